#include "core/app/StartupFiles.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QFile>
#include <sys/stat.h>

using namespace ombrix;

namespace {

int modeOf(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

// The usual umask, which leaves new files readable by everyone: only the program's own care can
// make config.ini private under it.
class UsualUmask
{
  public:
    UsualUmask() : m_previous(::umask(022)) {}
    ~UsualUmask() { ::umask(m_previous); }
    UsualUmask(const UsualUmask&) = delete;
    UsualUmask& operator=(const UsualUmask&) = delete;

  private:
    mode_t m_previous;
};

} // namespace

TEST(ConfigPermissions, DefaultConfigIsCreatedForItsOwnerOnlyAndStaysSoWhenRewritten)
{
    const UsualUmask usualUmask;
    test::TempProgramFolder home;
    const QString config = home.file(QStringLiteral("config.ini"));
    ASSERT_TRUE(app::StartupFiles(home.path()).ensureConfig());
    EXPECT_EQ(modeOf(config), 0600);

    IniStore store(config);
    ASSERT_TRUE(store.writeString(ConfigKeys::BACKUP_DIR, QStringLiteral("/srv/backup")));
    ASSERT_TRUE(store.writeInt(ConfigKeys::LAST_BACKUP_LIST_INDEX, 42));
    EXPECT_EQ(modeOf(config), 0600);
    EXPECT_EQ(store.readString(ConfigKeys::BACKUP_DIR, {}), QStringLiteral("/srv/backup"));
    EXPECT_EQ(store.readInt(ConfigKeys::EMAIL_SMTP_PORT, 0), 25);
}

TEST(ConfigPermissions, AConfigOthersCanReadIsClosedAtItsNextWriteAndANewOneIsPrivate)
{
    const UsualUmask usualUmask;
    test::TempProgramFolder home;
    // An older installation's file, created with the umask's mode.
    home.write(QStringLiteral("config.ini"), "[SYSTEM]\r\nTAB_INDEX=3\r\n");
    const QString config = home.file(QStringLiteral("config.ini"));
    ASSERT_EQ(modeOf(config), 0644);
    IniStore store(config);
    ASSERT_TRUE(store.writeInt(ConfigKeys::TAB_INDEX, 4));
    EXPECT_EQ(modeOf(config), 0600);
    EXPECT_EQ(home.read(QStringLiteral("config.ini")), QByteArray("[SYSTEM]\r\nTAB_INDEX=4\r\n"));

    // A store writing to a file that does not exist yet creates it private too.
    const QString fresh = home.file(QStringLiteral("fresh.ini"));
    ASSERT_TRUE(IniStore(fresh).writeString(ConfigKeys::PASSWORD, QStringLiteral("scrambled")));
    EXPECT_EQ(modeOf(fresh), 0600);
}
