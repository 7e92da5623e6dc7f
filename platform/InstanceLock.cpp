#include "platform/InstanceLock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/file.h>
#include <chrono>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace ombrix::platform {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Whether folder is one only this user can create files in: a real folder (not a link), owned by
// this user, with no permission at all for group and others. Otherwise *why says what is wrong.
bool isPrivateFolder(const QString& folder, QString* why)
{
    struct stat st;
    if (::lstat(QFile::encodeName(folder).constData(), &st) != 0) {
        const int error = errno;
        *why = folder + QStringLiteral(" cannot be examined: ") + systemError(error);
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        *why = folder + QStringLiteral(" is a symbolic link");
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        *why = folder + QStringLiteral(" is not a folder");
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        *why = folder + QStringLiteral(" belongs to another user");
        return false;
    }
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        *why =
            folder +
            QStringLiteral(" is open to other users (mode %1)").arg(QString::number(st.st_mode & 07777, 8));
        return false;
    }
    return true;
}

} // namespace

InstanceLock::InstanceLock(const QString& programFolder) : m_folder(canonicalFolder(programFolder))
{
    QString problem;
    const QString folder = lockFolder(&problem);
    if (folder.isEmpty())
        m_problem = problem;
    else
        m_path = QDir(folder).filePath(lockName(programFolder));
}

InstanceLock::~InstanceLock()
{
    release();
}

QString InstanceLock::canonicalFolder(const QString& programFolder)
{
    const QFileInfo info(programFolder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QString InstanceLock::lockName(const QString& programFolder)
{
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(canonicalFolder(programFolder)),
                                                     QCryptographicHash::Sha256)
                                .toHex();
    return QStringLiteral("ombrix-") + QString::fromLatin1(hash) + QStringLiteral(".lock");
}

QString InstanceLock::lockFolder(QString* problem)
{
    QString runtimeProblem;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime)) {
        const QString clean = QDir::cleanPath(runtime);
        if (isPrivateFolder(clean, &runtimeProblem))
            return clean;
        runtimeProblem = QStringLiteral("XDG_RUNTIME_DIR ") + runtimeProblem + QStringLiteral("; ");
    }
    // A run started without the variable (cron) while the user is logged in must find the lock of
    // the session's instance: the folder the variable names there is this one.
    const QString session = QStringLiteral("/run/user/") + QString::number(::geteuid());
    QString sessionProblem;
    if (runtime.isEmpty() && isPrivateFolder(session, &sessionProblem))
        return session;

    // The user's own folder in the shared temporary folder. Made here with mode 0700; one that
    // somebody else made first (or that was opened up) is not used.
    const QString fallback =
        QDir(QDir::tempPath()).filePath(QStringLiteral("ombrix-") + QString::number(::geteuid()));
    const QByteArray native = QFile::encodeName(fallback);
    if (::mkdir(native.constData(), 0700) == 0) {
        // The umask may have taken more than group and others' rights; the owner needs all three.
        ::chmod(native.constData(), 0700);
    } else if (const int error = errno; error != EEXIST) {
        if (problem)
            *problem =
                runtimeProblem + fallback + QStringLiteral(" cannot be created: ") + systemError(error);
        return {};
    }
    QString why;
    if (isPrivateFolder(fallback, &why))
        return fallback;
    if (problem)
        *problem = runtimeProblem + why;
    return {};
}

InstanceLock::Result InstanceLock::tryAcquire()
{
    if (m_fd >= 0)
        return Result::Acquired;
    if (m_path.isEmpty())
        return Result::Unavailable; // m_problem says why
    const QByteArray native = QFile::encodeName(m_path);
    // Close-on-exec: a child (7za, the uploader) must not inherit the lock and keep it after we end.
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        const int error = errno;
        m_problem = QStringLiteral("the lock file ") + m_path + QStringLiteral(" cannot be opened: ") +
                    systemError(error);
        return Result::Unavailable;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            m_problem = QStringLiteral("another instance runs from the program folder ") + m_folder +
                        QStringLiteral(", so this one ends");
            return Result::HeldElsewhere;
        }
        m_problem = QStringLiteral("the lock file ") + m_path + QStringLiteral(" cannot be locked: ") +
                    systemError(error);
        return Result::Unavailable;
    }
    m_fd = fd;
    m_problem.clear();
    return Result::Acquired;
}

InstanceLock::Result InstanceLock::acquireWithin(int timeoutMs, int pollMs)
{
    const QDeadlineTimer deadline(qMax(0, timeoutMs));
    Result result = tryAcquire();
    while (result == Result::HeldElsewhere && !deadline.hasExpired()) {
        const qint64 left = deadline.remainingTime();
        const qint64 pause = std::clamp<qint64>(pollMs, 1, std::max<qint64>(1, left));
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        result = tryAcquire();
    }
    return result;
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
