#include "BackupFixture.h"
#include "core/catalog/CatalogFile.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {
namespace {

using ReadinessTest = BackupFixture;

const QString setName = QStringLiteral("OMX_2024-05-01_12-00-00");

struct DecisionRow
{
    const char* name;
    bool done;
    bool named;
    bool catalogFound;
    const char* status;
    const char* caption;
    int fontSize;
    int light;
    BackupMode mode;
    bool passwordLocked;
};

class ReadinessDecision : public BackupFixture, public ::testing::WithParamInterface<DecisionRow>
{
};

TEST_P(ReadinessDecision, FollowsTheStoredState)
{
    const DecisionRow row = GetParam();
    QDir(destination.path()).mkpath(setName);
    if (row.catalogFound) {
        QFile file(SetLayout::sideArchivePath(destination.path(), setName, SetLayout::catalogFile));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    config->writeInt(ConfigKeys::LAST_BACKUP_DONE, row.done ? 1 : 0);
    config->writeString(ConfigKeys::LAST_ARCHIV_NAME, row.named ? setName : QString());
    // Something other than the row's answer, so the check has to decide.
    session.backupMode =
        row.mode == BackupMode::novazaloha ? BackupMode::pokracovani : BackupMode::novazaloha;
    controls.passwordCheckEnabled = true;
    controls.passwordFieldEnabled = true;

    readiness->inicializace();

    EXPECT_EQ(host.currentStatus(Page::Backup), statusText(Page::Backup, QString::fromUtf8(row.status)));
    EXPECT_EQ(controls.startCaption, QString::fromUtf8(row.caption));
    EXPECT_EQ(controls.startFontSize, row.fontSize);
    EXPECT_EQ(host.currentTrafficLight(), row.light);
    EXPECT_EQ(session.backupMode, row.mode);
    EXPECT_EQ(controls.passwordCheckEnabled, !row.passwordLocked);
    EXPECT_EQ(controls.passwordFieldEnabled, !row.passwordLocked);
    EXPECT_TRUE(controls.startEnabled);
    EXPECT_GE(controls.restoreResumeCalls, 1);
    EXPECT_GE(controls.mergeResumeCalls, 1);
}

const char* const integrity = "Chyba integrity. Pro opravu použijte tlačítko NAVÁZAT";

INSTANTIATE_TEST_SUITE_P(
    Rows, ReadinessDecision,
    ::testing::Values(DecisionRow{"DoneWithCatalog", true, true, true,
                                  "Start přírůstkového zálohování je připraven", "START", 16, 2,
                                  BackupMode::inkremental, true},
                      DecisionRow{"DoneNoChain", true, false, false, "Nový start zálohování je připraven",
                                  "START", 16, 1, BackupMode::novazaloha, false},
                      DecisionRow{"DoneCatalogLost", true, true, false, integrity, "START", 16, 1,
                                  BackupMode::novazaloha, false},
                      DecisionRow{"UnfinishedWithCatalog", false, true, true,
                                  "Poslední záloha nebyla dokončena", "pokračovat..", 10, 3,
                                  BackupMode::pokracovani, true},
                      DecisionRow{"UnfinishedCatalogLost", false, true, false, integrity, "START", 16, 1,
                                  BackupMode::novazaloha, false},
                      DecisionRow{"UnfinishedNoChain", false, false, false, integrity, "START", 16, 1,
                                  BackupMode::novazaloha, false}),
    [](const ::testing::TestParamInfo<DecisionRow>& info) { return std::string(info.param.name); });

struct UnreachableRow
{
    const char* name;
    bool scheduled;
    int autoStartDisabled; // a scheduled run gives up its pending START
    int xExitCalls;        // and ends; an interactive one waits for the person
};

class UnreachableFolder : public BackupFixture, public ::testing::WithParamInterface<UnreachableRow>
{
};

// A destination folder that is not there: START is disabled with the reason in the status line
// and the traffic light off, in either kind of run; a scheduled run also ends.
TEST_P(UnreachableFolder, DisablesStartAndEndsOnlyAScheduledRun)
{
    const UnreachableRow row = GetParam();
    config->writeString(ConfigKeys::BACKUP_DIR, destination.filePath(QStringLiteral("unplugged")));
    controls.scheduled = row.scheduled;
    readiness->inicializace();
    EXPECT_EQ(
        host.currentStatus(Page::Backup),
        statusText(Page::Backup, QStringLiteral("Cílová složka není dostupná. Zálohování není možné.")));
    EXPECT_FALSE(controls.startEnabled);
    EXPECT_EQ(host.currentTrafficLight(), 0);
    EXPECT_EQ(controls.autoStartDisabled, row.autoStartDisabled);
    EXPECT_EQ(controls.xExitCalls, row.xExitCalls);
}

INSTANTIATE_TEST_SUITE_P(Runs, UnreachableFolder,
                         ::testing::Values(UnreachableRow{"Interactive", false, 0, 0},
                                           UnreachableRow{"Scheduled", true, 1, 1}),
                         [](const ::testing::TestParamInfo<UnreachableRow>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(ReadinessTest, LeftoverCatalogGoesIntoItsSet)
{
    QDir(destination.path()).mkpath(setName);
    config->writeInt(ConfigKeys::LAST_BACKUP_DONE, 0);
    config->writeString(ConfigKeys::LAST_ARCHIV_NAME, setName);
    const QString line =
        CatalogLine::make(sources.filePath(QStringLiteral("a.txt")), u"2024-01-02-08-00-00", setName, false);
    ASSERT_TRUE(CatalogFile::write(program->file(QStringLiteral("archivlist.csv")), {line}));

    readiness->inicializace();

    EXPECT_FALSE(QFileInfo::exists(program->file(QStringLiteral("archivlist.csv"))));
    EXPECT_EQ(catalogOf(setName), QStringList{line});
    EXPECT_EQ(session.backupMode, BackupMode::pokracovani);
}

TEST_F(ReadinessTest, LoadsTheStoredSettingsAndDropsObsoleteKeys)
{
    config->writeString(ConfigKeys::BACKUP_FTP, QStringLiteral("old"));
    config->writeString(ConfigKeys::SKYVRA_NAME, QStringLiteral("old"));
    config->writeString(ConfigKeys::PROGRAM_BB, QStringLiteral("\\\\\"/opt/my tool/run\\\\\" -x"));
    config->writeInt(ConfigKeys::ARCHIVLIST_BUFFER, 10);
    config->writeString(ConfigKeys::COMPRES_LEVEL, QStringLiteral("HIGH"));
    config->writeInt(ConfigKeys::ARCHIVE_COUNT, 4);

    readiness->inicializace();

    EXPECT_FALSE(config->hasKey(ConfigKeys::BACKUP_FTP));
    EXPECT_FALSE(config->hasKey(ConfigKeys::SKYVRA_NAME));
    EXPECT_EQ(controls.stored.programBefore, QStringLiteral("\"/opt/my tool/run\" -x"));
    EXPECT_EQ(controls.stored.archiveCount, QStringLiteral("4"));
    EXPECT_TRUE(controls.stored.highCompression);
    EXPECT_EQ(session.progressSaveInterval, 10);
    EXPECT_EQ(controls.edit1, destination.path());
    EXPECT_GE(controls.restoreListCleared, 1);
}

} // namespace
} // namespace ombrix::test
