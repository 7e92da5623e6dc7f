#include "platform/InstanceLock.h"

#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <optional>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

using namespace ombrix;
using platform::InstanceLock;

namespace {

// Sets an environment variable for the life of the object and puts the old value back.
class EnvironmentValue
{
  public:
    EnvironmentValue(const char* name, const QString& value) : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_previous = qgetenv(name);
        qputenv(name, QFile::encodeName(value));
    }
    ~EnvironmentValue()
    {
        if (m_previous)
            qputenv(m_name, *m_previous);
        else
            qunsetenv(m_name);
    }
    EnvironmentValue(const EnvironmentValue&) = delete;
    EnvironmentValue& operator=(const EnvironmentValue&) = delete;

  private:
    const char* m_name;
    std::optional<QByteArray> m_previous;
};

QString fallbackIn(const QString& temp)
{
    return QDir(temp).filePath(QStringLiteral("ombrix-") + QString::number(::geteuid()));
}

mode_t modeOf(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 07777;
}

} // namespace

TEST(InstanceLock, NameIsAHashOfTheCanonicalFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("x/ab/home")));
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("x/a/bhome")));
    const QString first = root.filePath(QStringLiteral("x/ab/home"));
    const QString second = root.filePath(QStringLiteral("x/a/bhome"));
    ASSERT_TRUE(QFile::link(first, root.filePath(QStringLiteral("linked"))));

    const QString name = InstanceLock::lockName(first);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^ombrix-[0-9a-f]{64}\\.lock$")).match(name).hasMatch())
        << name.toStdString();
    // Folders whose paths differ only in where their slashes are have names of their own.
    EXPECT_NE(name, InstanceLock::lockName(second));
    // Every way of naming the same folder gives the same name: other spellings and links.
    EXPECT_EQ(name, InstanceLock::lockName(first + QStringLiteral("/./")));
    EXPECT_EQ(name, InstanceLock::lockName(root.filePath(QStringLiteral("x/a/../ab/home"))));
    EXPECT_EQ(name, InstanceLock::lockName(root.filePath(QStringLiteral("linked"))));
    EXPECT_EQ(InstanceLock::canonicalFolder(root.filePath(QStringLiteral("linked"))),
              QFileInfo(first).canonicalFilePath());
    // A folder that does not exist (yet) is named by its cleaned absolute path.
    EXPECT_EQ(InstanceLock::lockName(root.filePath(QStringLiteral("none/../later"))),
              InstanceLock::lockName(root.filePath(QStringLiteral("later"))));
}

TEST(InstanceLock, SecondLockOfTheSameFolderFailsAnotherFolderSucceeds)
{
    QTemporaryDir a;
    QTemporaryDir b;
    InstanceLock first(a.path());
    ASSERT_EQ(first.tryAcquire(), InstanceLock::Result::Acquired) << first.problem().toStdString();
    EXPECT_TRUE(QFileInfo::exists(first.lockFilePath()));
    EXPECT_FALSE(first.lockFilePath().startsWith(a.path())); // the lock is not left in the program folder

    InstanceLock second(a.path());
    EXPECT_EQ(second.tryAcquire(), InstanceLock::Result::HeldElsewhere);
    EXPECT_TRUE(second.problem().contains(QStringLiteral("another instance")))
        << second.problem().toStdString();
    EXPECT_TRUE(second.problem().contains(QFileInfo(a.path()).canonicalFilePath()));
    InstanceLock sameFolderOtherSpelling(a.path() + QStringLiteral("/./"));
    EXPECT_EQ(sameFolderOtherSpelling.tryAcquire(), InstanceLock::Result::HeldElsewhere);

    InstanceLock other(b.path());
    EXPECT_EQ(other.tryAcquire(), InstanceLock::Result::Acquired);

    first.release();
    EXPECT_EQ(second.tryAcquire(), InstanceLock::Result::Acquired);
}

// Two program folders whose paths differ only in where the slashes are once shared a lock (the
// second program ended without a backup), and a link to a program folder had a lock of its own
// (two runs wrote one set).
TEST(InstanceLock, EachFolderHasOneLockHoweverItIsReached)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("x/ab/home")));
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("x/a/bhome")));
    const QString home = root.filePath(QStringLiteral("x/ab/home"));
    ASSERT_TRUE(QFile::link(home, root.filePath(QStringLiteral("shortcut"))));

    InstanceLock running(home);
    ASSERT_EQ(running.tryAcquire(), InstanceLock::Result::Acquired) << running.problem().toStdString();
    InstanceLock lookalike(root.filePath(QStringLiteral("x/a/bhome")));
    EXPECT_EQ(lookalike.tryAcquire(), InstanceLock::Result::Acquired);
    InstanceLock throughLink(root.filePath(QStringLiteral("shortcut")));
    EXPECT_EQ(throughLink.tryAcquire(), InstanceLock::Result::HeldElsewhere);
}

// The lock lives where only this user can create files, so nobody else can hold it.
TEST(InstanceLock, LockFolderIsOneOnlyThisUserCanUse)
{
    QTemporaryDir runtime; // QTemporaryDir makes its folder 0700
    QTemporaryDir temp;
    ASSERT_TRUE(runtime.isValid() && temp.isValid());
    const EnvironmentValue tmpdir("TMPDIR", temp.path());
    ASSERT_EQ(QDir::cleanPath(QDir::tempPath()), QDir::cleanPath(temp.path()));

    {
        const EnvironmentValue xdg("XDG_RUNTIME_DIR", runtime.path());
        EXPECT_EQ(InstanceLock::lockFolder(), QDir::cleanPath(runtime.path()));
        InstanceLock lock(temp.path());
        ASSERT_EQ(lock.tryAcquire(), InstanceLock::Result::Acquired);
        EXPECT_TRUE(lock.lockFilePath().startsWith(runtime.path()));
        EXPECT_EQ(modeOf(lock.lockFilePath()) & 077, 0u);
    }

    // A runtime folder others may use is not taken: the user's own folder in TMPDIR is made.
    ASSERT_EQ(::chmod(QFile::encodeName(runtime.path()).constData(), 0777), 0);
    {
        const EnvironmentValue xdg("XDG_RUNTIME_DIR", runtime.path());
        QString problem;
        EXPECT_EQ(InstanceLock::lockFolder(&problem), fallbackIn(temp.path())) << problem.toStdString();
        EXPECT_EQ(modeOf(fallbackIn(temp.path())), 0700u);
        InstanceLock lock(runtime.path());
        EXPECT_EQ(lock.tryAcquire(), InstanceLock::Result::Acquired);
        EXPECT_TRUE(lock.lockFilePath().startsWith(fallbackIn(temp.path())));
    }
    ASSERT_EQ(::chmod(QFile::encodeName(runtime.path()).constData(), 0700), 0);
    ASSERT_TRUE(QDir(fallbackIn(temp.path())).removeRecursively());

    const EnvironmentValue noRuntime("XDG_RUNTIME_DIR", QString());
    // Without the variable a login session's /run/user/<uid> is taken while it is there.
    if (QFileInfo(QStringLiteral("/run/user/") + QString::number(::geteuid())).isDir())
        GTEST_SKIP() << "a login session's runtime folder exists here; the fallback is not used";
    // A folder of that name that somebody opened up, or a link planted in its place: refused,
    // and the start goes on without a lock, saying why.
    ASSERT_TRUE(QDir().mkdir(fallbackIn(temp.path())));
    ASSERT_EQ(::chmod(QFile::encodeName(fallbackIn(temp.path())).constData(), 0777), 0);
    {
        QString problem;
        EXPECT_TRUE(InstanceLock::lockFolder(&problem).isEmpty());
        EXPECT_TRUE(problem.contains(fallbackIn(temp.path()))) << problem.toStdString();
        InstanceLock lock(temp.path());
        EXPECT_EQ(lock.tryAcquire(), InstanceLock::Result::Unavailable);
        EXPECT_FALSE(lock.problem().isEmpty());
    }
    ASSERT_TRUE(QDir().rmdir(fallbackIn(temp.path())));
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), fallbackIn(temp.path())));
    EXPECT_TRUE(InstanceLock::lockFolder().isEmpty());
    ASSERT_TRUE(QFile::remove(fallbackIn(temp.path())));

    // A folder that belongs to another user (only root can make one for the test).
    if (::geteuid() == 0) {
        ASSERT_TRUE(QDir().mkdir(fallbackIn(temp.path())));
        ASSERT_EQ(::chmod(QFile::encodeName(fallbackIn(temp.path())).constData(), 0700), 0);
        ASSERT_EQ(::chown(QFile::encodeName(fallbackIn(temp.path())).constData(), 65534, 65534), 0);
        QString problem;
        EXPECT_TRUE(InstanceLock::lockFolder(&problem).isEmpty());
        EXPECT_TRUE(problem.contains(QStringLiteral("another user"))) << problem.toStdString();
    }
}
