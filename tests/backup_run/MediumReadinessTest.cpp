#include "BackupFixture.h"
#include "platform/FileSystemInfo.h"
#include "storage/local/LocalPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {
namespace {

using MediumReadinessTest = BackupFixture;

const QString absentMedium = QStringLiteral("Cílová složka není dostupná, médium není připojeno:");

// A destination /mnt/NAME that is a plain folder of the system disk: no medium is mounted there.
// The readiness check once found it ready and the run then refused it as a missing medium; now
// both refuse it, and the refusal says why.
TEST_F(MediumReadinessTest, PlainFolderBelowMntIsRefusedByReadinessAndRunAlike)
{
    QTemporaryDir mountFolder(QStringLiteral("/mnt/ombrix-ready-test-XXXXXX"));
    if (!mountFolder.isValid())
        GTEST_SKIP() << "cannot make a folder below /mnt here";
    if (platform::isMountPoint(QStringLiteral("/mnt")))
        GTEST_SKIP() << "a medium is mounted at /mnt here";
    const QString folder = mountFolder.path();
    config->writeString(ConfigKeys::BACKUP_DIR, folder);
    writeSource(QStringLiteral("a.txt"), "alpha");

    // Empty, and with something left behind in it: the same answer.
    for (bool leftBehind : {false, true}) {
        SCOPED_TRACE(leftBehind ? "with a file in it" : "empty");
        if (leftBehind) {
            QFile file(QDir(folder).filePath(QStringLiteral("left.txt")));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        controls.startEnabled = true;
        readiness->inicializace();
        const QString reason = absentMedium + QLatin1Char(' ') + folder;
        EXPECT_EQ(host.currentStatus(Page::Backup), statusText(Page::Backup, reason));
        EXPECT_EQ(host.currentHint(Page::Backup), reason);
        EXPECT_FALSE(controls.startEnabled);
        EXPECT_EQ(host.currentTrafficLight(), 0);
        EXPECT_FALSE(readiness->destinationReachable());
        // The run's side of the rule: nothing is ever created there.
        EXPECT_FALSE(
            storage::forceLocalDir(QDir(folder).filePath(QStringLiteral("OMX_2024-05-06_10-01-00"))));
        EXPECT_TRUE(QDir(folder).entryList({QStringLiteral("OMX_*")}, QDir::Dirs).isEmpty());
    }

    // A scheduled run ends at once instead of trying.
    controls.scheduled = true;
    readiness->inicializace();
    EXPECT_EQ(controls.autoStartDisabled, 1);
    EXPECT_EQ(controls.xExitCalls, 1);
}

// An ordinary folder destination is not affected by the rule, and a missing one keeps its message.
TEST_F(MediumReadinessTest, FolderOutsideMediaRootsIsReadyWhenItExists)
{
    readiness->inicializace();
    EXPECT_TRUE(controls.startEnabled);
    EXPECT_TRUE(readiness->destinationReachable());
    EXPECT_TRUE(storage::forceLocalDir(destination.filePath(QStringLiteral("OMX_2024-05-06_10-01-00"))));

    config->writeString(ConfigKeys::BACKUP_DIR, destination.filePath(QStringLiteral("unplugged")));
    readiness->inicializace();
    EXPECT_EQ(
        host.currentStatus(Page::Backup),
        statusText(Page::Backup, QStringLiteral("Cílová složka není dostupná. Zálohování není možné.")));
    EXPECT_FALSE(controls.startEnabled);
    EXPECT_FALSE(readiness->destinationReachable());
}

} // namespace
} // namespace ombrix::test
