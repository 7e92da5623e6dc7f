#include "platform/DurableFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace ombrix::platform {

namespace {

bool syncPath(const QString& path, int flags, bool dataOnly)
{
    const QByteArray name = QFile::encodeName(path);
    int fd = -1;
    do {
        fd = ::open(name.constData(), flags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    const bool synced = (dataOnly ? ::fdatasync(fd) : ::fsync(fd)) == 0;
    ::close(fd);
    return synced;
}

} // namespace

bool syncFile(const QString& path)
{
    return !path.isEmpty() && syncPath(path, O_RDONLY, true);
}

bool syncFolder(const QString& path)
{
    return !path.isEmpty() && syncPath(path, O_RDONLY | O_DIRECTORY, false);
}

FileIdentity identityOf(const QString& path)
{
    struct stat info;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {quint64(info.st_dev), quint64(info.st_ino)};
}

} // namespace ombrix::platform
