#include "platform/FileReplace.h"

#include <filesystem>
#include <QFile>
#include <QFileInfo>
#include <system_error>

namespace ombrix::platform {

bool replaceByRename(const QString& source, const QString& target)
{
    const QFileInfo existing(target);
    if (existing.isDir() && !existing.isSymLink())
        return false;
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(source).toStdString()),
                            std::filesystem::path(QFile::encodeName(target).toStdString()), error);
    return !error;
}

} // namespace ombrix::platform
