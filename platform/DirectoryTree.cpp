#include "platform/DirectoryTree.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ombrix::platform::DirectoryTree {

namespace {

// Folders kept open at once while walking; deeper ones are closed and found again through ".."
// (checked by device and inode) so a very deep tree never runs out of file descriptors.
constexpr int maxOpenFolders = 48;
constexpr int pumpEvery = 256;

class Fd
{
  public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

  private:
    int m_fd;
};

Kind kindFromMode(mode_t mode)
{
    if (S_ISLNK(mode))
        return Kind::Symlink;
    if (S_ISDIR(mode))
        return Kind::Folder;
    if (S_ISREG(mode))
        return Kind::File;
    return Kind::Other;
}

// Splits a path into its non-empty components; "." components are dropped, ".." kept.
std::vector<QByteArray> components(const QByteArray& path)
{
    std::vector<QByteArray> parts;
    for (const QByteArray& part : path.split('/')) {
        if (!part.isEmpty() && part != ".")
            parts.push_back(part);
    }
    return parts;
}

// Opens the folder a path starts from: the root for absolute paths, the working folder otherwise.
int openStart(const QByteArray& path)
{
    return ::open(path.startsWith('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// Opens the folder holding the last component of path, one level at a time so any length
// works, and gives that last component. Intermediate links are followed as the system would.
bool openParent(const QByteArray& path, Fd& parent, QByteArray& leaf)
{
    std::vector<QByteArray> parts = components(path);
    parent.reset(openStart(path));
    if (!parent.valid())
        return false;
    if (parts.empty()) {
        leaf = ".";
        return true;
    }
    leaf = parts.back();
    parts.pop_back();
    for (const QByteArray& part : parts) {
        const int next = ::openat(parent.get(), part.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (next < 0)
            return false;
        parent.reset(next);
    }
    return true;
}

bool statPath(const QString& path, bool follow, struct stat& st)
{
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.isEmpty() || bytes.contains('\0'))
        return false;
    if (bytes.size() < PATH_MAX - 1) {
        const int rc = follow ? ::stat(bytes.constData(), &st) : ::lstat(bytes.constData(), &st);
        if (rc == 0)
            return true;
        if (errno != ENAMETOOLONG)
            return false;
    }
    Fd parent;
    QByteArray leaf;
    if (!openParent(bytes, parent, leaf))
        return false;
    return ::fstatat(parent.get(), leaf.constData(), &st, follow ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
}

// Opens a folder by path for reading its entries, following links on the way and at the end.
int openFolder(const QByteArray& path)
{
    if (path.isEmpty() || path.contains('\0'))
        return -1;
    if (path.size() < PATH_MAX - 1) {
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0 || errno != ENAMETOOLONG)
            return fd;
    }
    Fd parent;
    QByteArray leaf;
    if (!openParent(path, parent, leaf))
        return -1;
    return ::openat(parent.get(), leaf.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

struct RawEntry
{
    QByteArray name;
    Kind kind = Kind::Other;
    quint64 size = 0;
    dev_t dev = 0;
    ino_t ino = 0;
};

// Reads a folder's entries (without "." and ".."), sorted by name.
std::vector<RawEntry> readEntries(int dirFd)
{
    std::vector<RawEntry> entries;
    // A separate open of the same folder so the listing has its own read position.
    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return entries;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return entries;
    }
    while (const dirent* d = ::readdir(dir)) {
        const char* name = d->d_name;
        if ((name[0] == '.' && name[1] == '\0') || (name[0] == '.' && name[1] == '.' && name[2] == '\0'))
            continue;
        struct stat st;
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // vanished meanwhile
        RawEntry e;
        e.name = QByteArray(name);
        e.kind = kindFromMode(st.st_mode);
        e.size = e.kind == Kind::File ? quint64(st.st_size) : 0;
        e.dev = st.st_dev;
        e.ino = st.st_ino;
        entries.push_back(std::move(e));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const RawEntry& a, const RawEntry& b) { return a.name < b.name; });
    return entries;
}

struct Frame
{
    int fd = -1;
    dev_t dev = 0;
    ino_t ino = 0;
    std::vector<RawEntry> entries;
    size_t next = 0;
    QByteArray relativePath;
    int depth = 0;
};

struct WalkHooks
{
    // Called for every entry with the open folder that holds it.
    std::function<Visit(int dirFd, const Entry& entry)> enter;
    // Called when a folder could not be opened for reading; true to try once more.
    std::function<bool(int dirFd, const RawEntry& entry)> openDenied;
    // Called after a folder's content has been walked, with the open folder that holds it and the
    // folder's path relative to the start.
    std::function<void(int dirFd, const RawEntry& entry, const QByteArray& relativePath)> leave;
};

// The walk itself, starting from an open folder it takes over. Depth first, without recursion.
bool walkFrom(int rootFd, const WalkHooks& hooks)
{
    std::vector<Frame> stack;
    auto closeAll = [&stack] {
        for (Frame& f : stack) {
            if (f.fd >= 0)
                ::close(f.fd);
            f.fd = -1;
        }
    };
    struct stat rootStat;
    if (::fstat(rootFd, &rootStat) != 0) {
        ::close(rootFd);
        return false;
    }
    Frame root;
    root.fd = rootFd;
    root.dev = rootStat.st_dev;
    root.ino = rootStat.st_ino;
    root.entries = readEntries(rootFd);
    stack.push_back(std::move(root));

    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.entries.size()) {
            const RawEntry& raw = top.entries[top.next++];
            Entry entry;
            entry.name = raw.name;
            entry.relativePath = top.relativePath.isEmpty() ? raw.name : top.relativePath + '/' + raw.name;
            entry.depth = top.depth;
            entry.kind = raw.kind;
            entry.size = raw.size;
            const Visit visit = hooks.enter(top.fd, entry);
            if (visit == Visit::Stop) {
                closeAll();
                return false;
            }
            if (visit != Visit::Descend || raw.kind != Kind::Folder)
                continue;
            int childFd =
                ::openat(top.fd, raw.name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (childFd < 0 && (errno == EACCES || errno == EPERM) && hooks.openDenied &&
                hooks.openDenied(top.fd, raw))
                childFd =
                    ::openat(top.fd, raw.name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (childFd < 0)
                continue;
            struct stat childStat;
            if (::fstat(childFd, &childStat) != 0 || childStat.st_dev != raw.dev ||
                childStat.st_ino != raw.ino) {
                // Replaced between listing and opening: leave it alone.
                ::close(childFd);
                continue;
            }
            Frame child;
            child.fd = childFd;
            child.dev = childStat.st_dev;
            child.ino = childStat.st_ino;
            child.entries = readEntries(childFd);
            child.relativePath = entry.relativePath;
            child.depth = top.depth + 1;
            stack.push_back(std::move(child));
            const size_t closeAt =
                stack.size() > size_t(maxOpenFolders) ? stack.size() - maxOpenFolders - 1 : 0;
            if (closeAt > 0 && stack[closeAt].fd >= 0) {
                ::close(stack[closeAt].fd);
                stack[closeAt].fd = -1;
            }
            continue;
        }
        // Folder done: go back to its parent.
        if (stack.size() == 1) {
            closeAll();
            return true;
        }
        Frame& parent = stack[stack.size() - 2];
        if (parent.fd < 0) {
            const int up = ::openat(top.fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            struct stat upStat;
            if (up < 0 || ::fstat(up, &upStat) != 0 || upStat.st_dev != parent.dev ||
                upStat.st_ino != parent.ino) {
                if (up >= 0)
                    ::close(up);
                closeAll();
                return false; // the tree was moved while we were inside it
            }
            parent.fd = up;
        }
        ::close(top.fd);
        const QByteArray leftPath = top.relativePath;
        stack.pop_back();
        Frame& back = stack.back();
        if (hooks.leave)
            hooks.leave(back.fd, back.entries[back.next - 1], leftPath);
    }
    return true;
}

// Gives us write access to a folder we own so its entries can be removed.
bool openUpFolder(int dirFd)
{
    struct stat st;
    return ::fstat(dirFd, &st) == 0 && ::fchmod(dirFd, (st.st_mode & 07777) | S_IRWXU) == 0;
}

// Removes one entry of an open folder (flags AT_REMOVEDIR for an empty folder); an entry that is
// already gone counts as removed.
bool removeEntryIn(int dirFd, const QByteArray& name, int flags)
{
    if (::unlinkat(dirFd, name.constData(), flags) == 0 || errno == ENOENT)
        return true;
    if ((errno == EACCES || errno == EPERM) && openUpFolder(dirFd))
        return ::unlinkat(dirFd, name.constData(), flags) == 0 || errno == ENOENT;
    return false;
}

// Makes a folder of ours that cannot be read openable, so what is in it can be removed.
bool openUpEntry(int dirFd, const RawEntry& entry)
{
    struct stat st;
    return ::fstatat(dirFd, entry.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) &&
           ::fchmodat(dirFd, entry.name.constData(), (st.st_mode & 07777) | S_IRWXU, 0) == 0;
}

// True when relativePath lies inside folder (both relative to the same start).
bool isInside(const QByteArray& relativePath, const QByteArray& folder)
{
    return relativePath.size() > folder.size() && relativePath.startsWith(folder) &&
           relativePath.at(folder.size()) == '/';
}

QString absoluteClean(const QString& path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

// True when candidate is folder itself or one of its parents.
bool coversFolder(const QString& candidate, const QString& folder)
{
    if (candidate.isEmpty() || folder.isEmpty())
        return false;
    if (candidate == QLatin1String("/") || candidate == folder)
        return true;
    return folder.startsWith(candidate + QLatin1Char('/'));
}

QString passwdHome()
{
    const passwd* pw = ::getpwuid(::getuid());
    return pw && pw->pw_dir ? QFile::decodeName(pw->pw_dir) : QString();
}

} // namespace

bool walk(const QString& path, const std::function<Visit(const Entry&)>& visit)
{
    const int fd = openFolder(QFile::encodeName(path));
    if (fd < 0)
        return false;
    WalkHooks hooks;
    hooks.enter = [&visit](int, const Entry& e) { return visit(e); };
    return walkFrom(fd, hooks);
}

Kind kindOf(const QString& path)
{
    struct stat st;
    return statPath(path, false, st) ? kindFromMode(st.st_mode) : Kind::Missing;
}

Kind targetKindOf(const QString& path)
{
    struct stat st;
    return statPath(path, true, st) ? kindFromMode(st.st_mode) : Kind::Missing;
}

Target targetOf(const QString& path)
{
    struct stat st;
    errno = 0; // a path statPath refuses without a system call leaves no error of its own
    if (!statPath(path, true, st))
        return errno == ELOOP ? Target::Loop : Target::Missing;
    if (S_ISREG(st.st_mode))
        return Target::File;
    if (S_ISDIR(st.st_mode))
        return Target::Folder;
    if (S_ISFIFO(st.st_mode))
        return Target::NamedPipe;
    if (S_ISSOCK(st.st_mode))
        return Target::Socket;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return Target::Device;
    return Target::OtherSpecial;
}

bool makeFolders(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.isEmpty() || bytes.contains('\0'))
        return false;
    Fd current(openStart(bytes));
    if (!current.valid())
        return false;
    for (const QByteArray& part : components(bytes)) {
        int next = ::openat(current.get(), part.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (next < 0 && errno == ENOENT) {
            ::mkdirat(current.get(), part.constData(), 0777);
            next = ::openat(current.get(), part.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        }
        if (next < 0)
            return false;
        current.reset(next);
    }
    return true;
}

bool isProtectedFromRemoval(const QString& path)
{
    if (path.trimmed().isEmpty() || path.contains(QChar(0)))
        return true;
    const QString clean = absoluteClean(path);
    const QString canonical = QFileInfo(clean).canonicalFilePath();

    QStringList guarded = {QStringLiteral("/")};
    for (const QString& folder : {QDir::homePath(), passwdHome(), QDir::currentPath()}) {
        if (folder.isEmpty())
            continue;
        guarded << absoluteClean(folder);
        const QString real = QFileInfo(folder).canonicalFilePath();
        if (!real.isEmpty())
            guarded << real;
    }
    for (const QString& folder : guarded) {
        if (coversFolder(clean, folder) || coversFolder(canonical, folder))
            return true;
    }
    return false;
}

RemoveResult removeTree(const QString& path, const std::function<void()>& pump)
{
    if (isProtectedFromRemoval(path))
        return RemoveResult::Refused;
    const QByteArray bytes = QFile::encodeName(QDir::cleanPath(path));
    Fd parent;
    QByteArray leaf;
    if (!openParent(bytes, parent, leaf) || leaf == "." || leaf == "..")
        return RemoveResult::Missing;

    struct stat top;
    if (::fstatat(parent.get(), leaf.constData(), &top, AT_SYMLINK_NOFOLLOW) != 0)
        return RemoveResult::Missing;
    if (S_ISLNK(top.st_mode)) {
        // A link to a folder goes as a link; the folder it points at stays.
        struct stat target;
        if (::fstatat(parent.get(), leaf.constData(), &target, 0) != 0 || !S_ISDIR(target.st_mode))
            return RemoveResult::Missing;
        return ::unlinkat(parent.get(), leaf.constData(), 0) == 0 ? RemoveResult::Removed
                                                                  : RemoveResult::Incomplete;
    }
    if (!S_ISDIR(top.st_mode))
        return RemoveResult::Missing;

    int rootFd = ::openat(parent.get(), leaf.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (rootFd < 0 && (errno == EACCES || errno == EPERM) &&
        ::fchmodat(parent.get(), leaf.constData(), (top.st_mode & 07777) | S_IRWXU, 0) == 0)
        rootFd = ::openat(parent.get(), leaf.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (rootFd < 0)
        return RemoveResult::Incomplete;

    bool complete = true;
    int counter = 0;
    const dev_t rootDev = top.st_dev;
    const auto removeIn = removeEntryIn;

    WalkHooks hooks;
    hooks.enter = [&](int dirFd, const Entry& entry) {
        if (pump && ++counter % pumpEvery == 0)
            pump();
        if (entry.kind == Kind::Folder) {
            struct stat st;
            if (::fstatat(dirFd, entry.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                st.st_dev != rootDev) {
                complete = false; // another file system is mounted here: not ours to empty
                return Visit::Skip;
            }
            return Visit::Descend;
        }
        if (!removeIn(dirFd, entry.name, 0))
            complete = false;
        return Visit::Skip;
    };
    hooks.openDenied = openUpEntry;
    hooks.leave = [&](int dirFd, const RawEntry& entry, const QByteArray&) {
        if (!removeIn(dirFd, entry.name, AT_REMOVEDIR))
            complete = false;
    };
    if (!walkFrom(rootFd, hooks))
        complete = false;
    if (!removeIn(parent.get(), leaf, AT_REMOVEDIR))
        complete = false;
    return complete ? RemoveResult::Removed : RemoveResult::Incomplete;
}

RemoveResult pruneTree(const QString& path, const std::function<bool(const QByteArray&, bool)>& keep,
                       const std::function<void()>& pump)
{
    if (isProtectedFromRemoval(path))
        return RemoveResult::Refused;
    const QByteArray bytes = QFile::encodeName(QDir::cleanPath(path));
    Fd parent;
    QByteArray leaf;
    if (!openParent(bytes, parent, leaf) || leaf == "." || leaf == "..")
        return RemoveResult::Missing;
    struct stat top;
    // A link is not followed: what it points at is not this folder's to prune.
    if (::fstatat(parent.get(), leaf.constData(), &top, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(top.st_mode))
        return RemoveResult::Missing;
    const int rootFd =
        ::openat(parent.get(), leaf.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (rootFd < 0)
        return RemoveResult::Incomplete;

    bool complete = true;
    int counter = 0;
    const dev_t rootDev = top.st_dev;
    // The folder whose whole content goes (relative path), empty while none is being emptied.
    QByteArray emptying;
    bool lastGoes = false;

    WalkHooks hooks;
    hooks.enter = [&](int dirFd, const Entry& entry) {
        if (pump && ++counter % pumpEvery == 0)
            pump();
        if (!emptying.isEmpty() && !isInside(entry.relativePath, emptying)) {
            // The walk is past that folder without having been inside: it could not be opened.
            complete = false;
            emptying.clear();
        }
        const bool isFolder = entry.kind == Kind::Folder;
        lastGoes = !emptying.isEmpty() || !keep(entry.relativePath, isFolder);
        if (isFolder) {
            struct stat st;
            if (::fstatat(dirFd, entry.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                st.st_dev != rootDev) {
                if (lastGoes)
                    complete = false; // another file system is mounted here: not ours to empty
                return Visit::Skip;
            }
            if (lastGoes && emptying.isEmpty())
                emptying = entry.relativePath;
            return Visit::Descend;
        }
        if (lastGoes && !removeEntryIn(dirFd, entry.name, 0))
            complete = false;
        return Visit::Skip;
    };
    // Only a folder that goes is opened up; the permissions of a kept one stay as they are.
    hooks.openDenied = [&lastGoes](int dirFd, const RawEntry& entry) {
        return lastGoes && openUpEntry(dirFd, entry);
    };
    hooks.leave = [&](int dirFd, const RawEntry& entry, const QByteArray& relativePath) {
        if (emptying.isEmpty() || (relativePath != emptying && !isInside(relativePath, emptying)))
            return;
        if (!removeEntryIn(dirFd, entry.name, AT_REMOVEDIR))
            complete = false;
        if (relativePath == emptying)
            emptying.clear();
    };
    if (!walkFrom(rootFd, hooks))
        complete = false;
    if (!emptying.isEmpty())
        complete = false;
    return complete ? RemoveResult::Removed : RemoveResult::Incomplete;
}

} // namespace ombrix::platform::DirectoryTree
