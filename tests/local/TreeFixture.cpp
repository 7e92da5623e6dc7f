#include "TreeFixture.h"

#include "platform/DirectoryTree.h"

#include <fcntl.h>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace ombrix::test {

TreeFixture::TreeFixture() = default;

TreeFixture::~TreeFixture()
{
    if (platform::DirectoryTree::removeTree(m_dir.path()) == platform::DirectoryTree::RemoveResult::Removed)
        m_dir.setAutoRemove(false);
}

QByteArray TreeFixture::bytes() const
{
    return QFile::encodeName(m_dir.path());
}

int TreeFixture::openParent(const QByteArray& relative, QByteArray& leaf, bool create) const
{
    QList<QByteArray> parts = relative.split('/');
    leaf = parts.takeLast();
    int fd = ::open(bytes().constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (const QByteArray& part : parts) {
        if (fd < 0)
            return -1;
        if (part.isEmpty())
            continue;
        if (create)
            ::mkdirat(fd, part.constData(), 0755);
        const int next = ::openat(fd, part.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    return fd;
}

bool TreeFixture::makeFolder(const QByteArray& relative) const
{
    QByteArray leaf;
    const int fd = openParent(relative, leaf, true);
    if (fd < 0)
        return false;
    const bool ok = ::mkdirat(fd, leaf.constData(), 0755) == 0 || errno == EEXIST;
    ::close(fd);
    return ok;
}

bool TreeFixture::writeFile(const QByteArray& relative, qint64 size) const
{
    QByteArray leaf;
    const int dirFd = openParent(relative, leaf, true);
    if (dirFd < 0)
        return false;
    const int fd = ::openat(dirFd, leaf.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ::close(dirFd);
    if (fd < 0)
        return false;
    const QByteArray data(size, 'x');
    const bool ok = ::write(fd, data.constData(), size_t(size)) == size;
    ::close(fd);
    return ok;
}

bool TreeFixture::makeLink(const QByteArray& relative, const QByteArray& target) const
{
    QByteArray leaf;
    const int fd = openParent(relative, leaf, true);
    if (fd < 0)
        return false;
    const bool ok = ::symlinkat(target.constData(), fd, leaf.constData()) == 0;
    ::close(fd);
    return ok;
}

bool TreeFixture::exists(const QByteArray& relative) const
{
    QByteArray leaf;
    const int fd = openParent(relative, leaf, false);
    if (fd < 0)
        return false;
    struct stat st;
    const bool ok = ::fstatat(fd, leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    ::close(fd);
    return ok;
}

QByteArray TreeFixture::makeDeepChain(const QByteArray& relative, const QByteArray& component,
                                      int levels) const
{
    QByteArray path = relative;
    for (int i = 0; i < levels; ++i) {
        path += '/' + component;
        if (!makeFolder(path))
            return {};
    }
    return path;
}

} // namespace ombrix::test
