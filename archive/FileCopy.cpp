#include "archive/FileCopy.h"

#include "platform/ChildProcess.h"
#include "platform/ProgramFolder.h"

#include <QFile>
#include <QFileInfo>

namespace ombrix {

namespace {

bool copyInternally(const QString& source, const QString& destination)
{
    if (QFileInfo::exists(destination) || !QFileInfo(source).isFile())
        return false;
    // QFile::copy writes a temporary file in the destination folder and renames it into place,
    // so the destination is either absent or complete.
    if (!QFile::copy(source, destination))
        return false;
    QFile copied(destination);
    if (copied.open(QIODevice::ReadOnly))
        copied.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
    return true;
}

} // namespace

bool CopyFileExternal(const QString& source_file, const QString& destination_file, bool internalCopy,
                      RunState& state, const std::function<void()>& pump,
                      const std::function<void(const QString& systemText)>& startFailed)
{
    if (internalCopy) {
        copyInternally(source_file, destination_file);
    } else {
        platform::ChildRequest request;
        request.program = platform::siblingProgram(QStringLiteral("ombrixcopy"));
        request.arguments = {source_file, destination_file};
        request.hidden = true;
        const platform::ChildResult result = platform::ShellExecAndWait(request, state, pump);
        if (!result.started && startFailed)
            startFailed(result.errorText);
    }
    const bool exists = QFileInfo(destination_file).isFile();
    const QString leftover = destination_file + QStringLiteral(".tmp");
    if (QFileInfo::exists(leftover))
        QFile::remove(leftover);
    return exists;
}

} // namespace ombrix
