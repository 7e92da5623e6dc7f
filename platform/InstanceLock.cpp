#include "platform/InstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/file.h>
#include <unistd.h>

namespace ombrix::platform {

namespace {

// Longest lock name in UTF-8 bytes; file names may have 255.
constexpr int maxNameBytes = 200;

} // namespace

InstanceLock::InstanceLock(const QString& programFolder)
{
    m_path = QDir(QDir::tempPath())
                 .filePath(QStringLiteral("ombrix-") + lockName(programFolder) + QStringLiteral(".lock"));
}

InstanceLock::~InstanceLock()
{
    release();
}

QString InstanceLock::lockName(const QString& programFolder)
{
    const QString absolute = QDir::cleanPath(QFileInfo(programFolder).absoluteFilePath());
    QString name = absolute;
    name.remove(QLatin1Char(':'));
    name.remove(QLatin1Char('\\'));
    name.remove(QLatin1Char('.'));
    name.remove(QLatin1Char('/'));
    if (name.toUtf8().size() <= maxNameBytes)
        return name;
    const QByteArray hash = QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha1).toHex();
    QString start = name.left(100);
    while (start.toUtf8().size() > 100)
        start.chop(1);
    return start + QLatin1Char('-') + QString::fromLatin1(hash);
}

InstanceLock::Result InstanceLock::tryAcquire()
{
    if (m_fd >= 0)
        return Result::Acquired;
    const QByteArray native = QFile::encodeName(m_path);
    // Close-on-exec: a child (7za, the uploader) must not inherit the lock and keep it after we end.
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Result::Unavailable;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Result::HeldElsewhere : Result::Unavailable;
    }
    m_fd = fd;
    return Result::Acquired;
}

void InstanceLock::release()
{
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

} // namespace ombrix::platform
