#include "platform/ProgramFolder.h"

#include "core/lang/Translator.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <vector>

using namespace ombrix;

TEST(ProgramFolder, HomeVariableNamesTheFolder)
{
    test::TempProgramFolder home;
    EXPECT_EQ(platform::programFolder(), QDir::cleanPath(home.path()));
    EXPECT_EQ(platform::programFile(QStringLiteral("config.ini")), home.file(QStringLiteral("config.ini")));
}

TEST(Copier, CopiesThroughTemporaryAndKeepsTime)
{
    test::TempProgramFolder home;
    QByteArray payload(3 * 1024 * 1024 + 7, 'x');
    payload[5] = '\0';
    home.write(QStringLiteral("a b/src -x.bin"), payload);
    const QString src = home.file(QStringLiteral("a b/src -x.bin"));
    {
        QFile f(src);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)), QFileDevice::FileModificationTime);
    }
    const QString dst = home.file(QStringLiteral("dst \"q\".bin"));
    const int rc = QProcess::execute(test::binDir() + QStringLiteral("/ombrixcopy"), {src, dst});
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(home.read(QStringLiteral("dst \"q\".bin")), payload);
    EXPECT_FALSE(QFileInfo::exists(dst + QStringLiteral(".tmp")));
    EXPECT_EQ(QFileInfo(dst).lastModified(), QFileInfo(src).lastModified());
}

TEST(Copier, MissingSourceLeavesNoDestination)
{
    test::TempProgramFolder home;
    const QString dst = home.file(QStringLiteral("out.bin"));
    const int rc = QProcess::execute(test::binDir() + QStringLiteral("/ombrixcopy"),
                                     {home.file(QStringLiteral("nope")), dst});
    EXPECT_NE(rc, 0);
    EXPECT_FALSE(QFileInfo::exists(dst));
    EXPECT_FALSE(QFileInfo::exists(dst + QStringLiteral(".tmp")));
}

namespace {

int modeOf(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

// Environment variables changed for one test and put back afterwards, and the usual umask
// (which would leave new folders readable by everyone).
class Surroundings
{
  public:
    Surroundings() : m_umask(::umask(022)) {}
    ~Surroundings()
    {
        ::umask(m_umask);
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->wasSet)
                qputenv(it->name.constData(), it->value);
            else
                qunsetenv(it->name.constData());
        }
    }
    Surroundings(const Surroundings&) = delete;
    Surroundings& operator=(const Surroundings&) = delete;

    void set(const char* name, const QString& value)
    {
        save(name);
        qputenv(name, QFile::encodeName(value));
    }
    void unset(const char* name)
    {
        save(name);
        qunsetenv(name);
    }

  private:
    struct Saved
    {
        QByteArray name;
        bool wasSet;
        QByteArray value;
    };
    void save(const char* name) { m_saved.push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)}); }

    mode_t m_umask;
    std::vector<Saved> m_saved;
};

} // namespace

TEST(ProgramFolder, HomeVariableThenAPortableFolderThenTheUsersOwnFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    QDir(root.path()).mkpath(QStringLiteral("portable"));
    QDir(root.path()).mkpath(QStringLiteral("installed"));
    QFile config(root.filePath(QStringLiteral("portable/config.ini")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.close();
    const QString portable = root.filePath(QStringLiteral("portable"));
    // Writable, like /usr/bin is for root, but without a config.ini: not a program folder.
    const QString installed = root.filePath(QStringLiteral("installed"));
    const QString userConfig = root.filePath(QStringLiteral("config"));

    const struct
    {
        QString home;
        QString executableFolder;
        QString expected;
    } cases[] = {
        {root.filePath(QStringLiteral("chosen/")), portable, root.filePath(QStringLiteral("chosen"))},
        {root.filePath(QStringLiteral("chosen")), installed, root.filePath(QStringLiteral("chosen"))},
        {QString(), portable, portable},
        {QString(), installed, userConfig + QStringLiteral("/ombrix")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::resolveProgramFolder(c.home, c.executableFolder, userConfig), c.expected)
            << "home '" << c.home.toStdString() << "', executable in " << c.executableFolder.toStdString();
    EXPECT_FALSE(QFileInfo::exists(userConfig)) << "resolving alone creates nothing";
}

TEST(ProgramFolder, UsersOwnFolderIsMadeForItsOwnerOnlyAtTheFirstStart)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ASSERT_FALSE(QFileInfo::exists(QDir(platform::executableFolder()).filePath(QStringLiteral("config.ini"))))
        << "a config.ini beside the test program makes its folder a portable program folder";
    Surroundings surroundings;
    surroundings.unset("OMBRIX_HOME");
    // A fresh account: not even the configuration folder exists yet.
    const QString configHome = root.filePath(QStringLiteral("fresh account/.config"));
    surroundings.set("XDG_CONFIG_HOME", configHome);

    const QString folder = platform::programFolder();
    EXPECT_EQ(folder, configHome + QStringLiteral("/ombrix"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(modeOf(folder), 0700);
    EXPECT_EQ(modeOf(configHome), 0700);
    EXPECT_EQ(platform::programFile(QStringLiteral("config.ini")), folder + QStringLiteral("/config.ini"));

    // An existing folder is the person's: its permissions are left as they are.
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                  QFileDevice::ExeGroup));
    EXPECT_EQ(platform::programFolder(), folder);
    EXPECT_EQ(modeOf(folder), 0750);
}

TEST(ProgramFolder, UserConfigFolderFollowsXdgConfigHomeOnlyWhenAbsolute)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    Surroundings surroundings;
    surroundings.set("HOME", home.path());
    const QString usual = QDir::cleanPath(home.path() + QStringLiteral("/.config"));
    const struct
    {
        const char* value; // nullptr: unset
        QString expected;
    } cases[] = {
        {nullptr, usual},
        {"", usual},
        {"relative/config", usual},
        {"/srv/settings/", QStringLiteral("/srv/settings")},
    };
    for (const auto& c : cases) {
        if (c.value)
            surroundings.set("XDG_CONFIG_HOME", QString::fromUtf8(c.value));
        else
            surroundings.unset("XDG_CONFIG_HOME");
        EXPECT_EQ(platform::userConfigFolder(), c.expected) << (c.value ? c.value : "(unset)");
    }
}

TEST(LanguageFolder, ProgramFolderThenBesideTheExecutableThenTheInstalledShareFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir dir(root.path());
    dir.mkpath(QStringLiteral("usr/bin"));
    dir.mkpath(QStringLiteral("usr/share/ombrix/lang"));
    dir.mkpath(QStringLiteral("home"));
    const QString executableFolder = root.filePath(QStringLiteral("usr/bin"));
    const QString home = root.filePath(QStringLiteral("home"));
    const auto found = [&] {
        return QDir::cleanPath(
            Translator::findLangFolder(platform::languageSearchFolders(home, executableFolder)));
    };

    // As installed: /usr/bin/ombrix reads /usr/share/ombrix/lang.
    EXPECT_EQ(found(), root.filePath(QStringLiteral("usr/share/ombrix/lang")));
    dir.mkpath(QStringLiteral("usr/bin/lang"));
    EXPECT_EQ(found(), root.filePath(QStringLiteral("usr/bin/lang")));
    dir.mkpath(QStringLiteral("home/lang"));
    EXPECT_EQ(found(), root.filePath(QStringLiteral("home/lang")));
}
