#include "archive/ArchiveSetChecks.h"
#include "core/catalog/CatalogFile.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"
#include "core/config/Scrambling.h"
#include "core/remote/RemoteName.h"
#include "restore/ArchiveBrowser.h"
#include "restore/ArchiveBrowserControls.h"
#include "ServerChainFixture.h"

#include <functional>
#include <memory>
#include <QFile>

namespace ombrix::test {
namespace {

// The restore page as plain fields.
class BrowserControls : public ArchiveBrowserControls
{
  public:
    void setSetList(const QStringList& list) override
    {
        entries = list;
        selected.clear();
    }
    QString selectedEntry() const override { return selected; }
    void setSetListEnabled(bool enabled) override { listEnabled = enabled; }
    void setRefreshEnabled(bool enabled) override { refreshEnabled = enabled; }
    void setSetButtonsEnabled(bool enabled) override { setButtonsEnabled = enabled; }
    void setRestoreEnabled(bool enabled) override { restoreEnabled = enabled; }
    void enableRestoreControls(bool on) override { controlsEnabled = on; }
    bool coloredListing() const override { return colored; }
    void setTestCaption(const QString& caption) override { testCaption = caption; }
    void setTestEnabled(bool) override {}
    void setTestResult(const QString& text) override { testResult = text; }
    void setTestProgress(int maximum, int) override
    {
        if (onProgress)
            onProgress(maximum);
    }
    bool restoreToOriginal() const override { return false; }
    bool exactStateSelected() const override { return false; }
    void setFolderEnabled(bool) override {}
    void setExactStateEnabled(bool) override {}
    void setKeepEnabled(bool) override {}
    void selectKeepUnarchived() override {}
    void refreshFileSystemWarning() override {}
    void setPasswordControlsEnabled(bool enabled) override { passwordControlsEnabled = enabled; }
    bool passwordEnabled() const override { return !password.isEmpty(); }
    QString archivePassword() const override { return password; }
    void setLogText(const QString& text) override { log = text; }
    QString logText() const override { return log; }
    void showLogModal() override { shownLogs << log; }
    void markTreeForRebuild() override {}

    QStringList entries;
    QString selected;
    bool listEnabled = false;
    bool refreshEnabled = false;
    bool setButtonsEnabled = false;
    bool restoreEnabled = false;
    bool controlsEnabled = false;
    bool colored = false;
    QString testCaption;
    QString testResult;
    // Called with the test's progress maximum whenever the test reports its progress.
    std::function<void(int)> onProgress;
    bool passwordControlsEnabled = false;
    QString password;
    QString log;
    QStringList shownLogs;
};

class ArchiveBrowserOnFtp : public ServerChainFixture
{
  protected:
    void SetUp() override
    {
        ServerChainFixture::SetUp();
        if (HasFatalFailure())
            return;
        browser =
            std::make_unique<ArchiveBrowser>(host, controls, *config, runState, archiveState, *destination);
    }
    void TearDown() override
    {
        browser.reset();
        ServerChainFixture::TearDown();
    }

    // Two sets: a full backup and one change.
    void makeTwoSets()
    {
        writeSource(QStringLiteral("a.txt"), "a");
        writeSource(QStringLiteral("d/b.txt"), "b");
        writeSource(QStringLiteral("d/c.txt"), "c");
        addSet();
        writeSource(QStringLiteral("d/b.txt"), "b changed");
        addSet();
        ASSERT_EQ(serverSets(), sets);
    }

    bool choose(int i)
    {
        controls.selected = SetName::withoutPrefix(sets[i]);
        return browser->chooseArchiveSet();
    }

    QString status() const { return host.currentStatus(Page::Restore).trimmed(); }

    BrowserControls controls;
    std::unique_ptr<ArchiveBrowser> browser;
};

TEST_F(ArchiveBrowserOnFtp, ColouredListMarksAnIncompleteSetRedAfterReadingTheRunLogsFromTheServer)
{
    ASSERT_NO_FATAL_FAILURE(makeTwoSets());
    ASSERT_TRUE(QFile::remove(serverPathOf(sets[1] + QStringLiteral("/config.ini.7z"))));
    controls.colored = true;
    server->clearCommands();

    EXPECT_TRUE(browser->listArchiveSets());
    EXPECT_EQ(controls.entries,
              (QStringList{SetName::withoutPrefix(sets[0]), SetName::withoutPrefix(sets[1])}));
    ASSERT_TRUE(archiveState.archiveColorCache.contains(sets[0]));
    EXPECT_NE(archiveState.archiveColorCache.value(sets[0]), ArchiveSetChecks::colorRed);
    EXPECT_EQ(archiveState.archiveColorCache.value(sets[1]), ArchiveSetChecks::colorRed);
    // The state of a complete set comes from its run log, downloaded from the set.
    EXPECT_FALSE(server->commands()
                     .filter(QStringLiteral("RETR"))
                     .filter(encodeRemoteName(QStringLiteral("log.txt.7z")))
                     .isEmpty());
    EXPECT_EQ(status(), QStringLiteral("Vyberte archiv"));
}

TEST_F(ArchiveBrowserOnFtp, ChosenSetBecomesTheWorkListAndAnIncompleteOneIsRefused)
{
    ASSERT_NO_FATAL_FAILURE(makeTwoSets());
    ASSERT_TRUE(browser->listArchiveSets());
    EXPECT_TRUE(choose(1));
    EXPECT_EQ(CatalogFile::read(ArchiveBrowser::recoveryListPath()).lines, storedCatalog(sets[1]));
    EXPECT_FALSE(controls.log.isEmpty()); // the set's run log
    EXPECT_TRUE(controls.restoreEnabled);
    EXPECT_TRUE(controls.setButtonsEnabled);
    EXPECT_EQ(status(), QStringLiteral("Obnova CELÉHO ARCHIVU začne od začátku"));

    ASSERT_TRUE(QFile::remove(serverPathOf(sets[0] + QStringLiteral("/sources.txt.7z"))));
    EXPECT_FALSE(choose(0));
    EXPECT_EQ(status(), QStringLiteral("Neúplný archiv - pravděpodobně nebyl dokončen"));
}

// The password is checked on the catalog downloaded from the set.
TEST_F(ArchiveBrowserOnFtp, EncryptedSetOpensOnlyWithItsPassword)
{
    ASSERT_TRUE(config->writeString(ConfigKeys::PASSWORD, sifruj(QStringLiteral("Heslo 7"))));
    writeSource(QStringLiteral("secret.txt"), "only with the password");
    addSet();
    ASSERT_TRUE(browser->listArchiveSets());

    controls.password = QStringLiteral("jine");
    EXPECT_FALSE(choose(0));
    EXPECT_EQ(status(), QStringLiteral("Tento archiv je ZAHESLOVÁN, nastavte správné heslo"));
    EXPECT_TRUE(controls.passwordControlsEnabled);
    EXPECT_FALSE(controls.restoreEnabled);

    controls.password = QStringLiteral("Heslo 7");
    EXPECT_TRUE(choose(0));
    EXPECT_EQ(CatalogFile::read(ArchiveBrowser::recoveryListPath()).lines, storedCatalog(sets[0]));
}

TEST_F(ArchiveBrowserOnFtp, LostFilesTestFindsAnArchiveMissingOnTheServer)
{
    ASSERT_NO_FATAL_FAILURE(makeTwoSets());
    ASSERT_TRUE(browser->listArchiveSets());
    ASSERT_TRUE(choose(1));
    browser->testkondice();
    EXPECT_EQ(controls.testResult, QStringLiteral("Chybějících soub.: 0"));
    EXPECT_TRUE(controls.shownLogs.isEmpty());

    // c.txt was archived in the first set; its archive goes missing there.
    const QString lost = sourceDir.filePath(QStringLiteral("d/c.txt"));
    ASSERT_TRUE(QFile::remove(serverPathOf(sets[0] + QLatin1Char('/') + SetLayout::pathInSet(lost, false))));
    browser->testkondice();
    EXPECT_EQ(controls.testResult, QStringLiteral("Chybějících soub.: 1"));
    ASSERT_EQ(controls.shownLogs.size(), 1);
    EXPECT_TRUE(controls.shownLogs.first().contains(QStringLiteral("lost file: ") + lost +
                                                    QStringLiteral("; DIR: ") + sets[0]))
        << controls.shownLogs.first().toStdString();
    EXPECT_EQ(controls.testCaption, QStringLiteral("test"));
}

// The server goes away while the test walks the catalog: no file is reported lost for it; the
// test ends as failed and says the connection is gone.
TEST_F(ArchiveBrowserOnFtp, ConnectionLostDuringTheTestReportsNoLostFiles)
{
    ASSERT_NO_FATAL_FAILURE(makeTwoSets());
    ASSERT_TRUE(browser->listArchiveSets());
    ASSERT_TRUE(choose(1));
    const QByteArray logBefore = program->read(QStringLiteral("log.txt"));
    bool stopped = false;
    controls.onProgress = [&](int maximum) {
        if (!stopped && maximum > 0) {
            server->stop();
            stopped = true;
        }
    };
    browser->testkondice();
    controls.onProgress = {};
    ASSERT_TRUE(stopped);
    EXPECT_EQ(controls.testResult, QStringLiteral("FAIL"));
    EXPECT_EQ(status(), QStringLiteral("Obnova přerušena, FTP spojení ??"));
    EXPECT_TRUE(controls.shownLogs.isEmpty());
    EXPECT_FALSE(controls.log.contains(QStringLiteral("lost file: "))) << controls.log.toStdString();
    EXPECT_EQ(program->read(QStringLiteral("log.txt")), logBefore);
}

// With the server down a set is not called incomplete: the choice says the connection is gone,
// and once the server is back the next click prepares the set.
TEST_F(ArchiveBrowserOnFtp, ChoosingWithTheServerDownSaysTheConnectionIsGone)
{
    ASSERT_NO_FATAL_FAILURE(makeTwoSets());
    ASSERT_TRUE(browser->listArchiveSets());
    server->stop();
    EXPECT_FALSE(choose(1));
    EXPECT_EQ(status(), QStringLiteral("Obnova přerušena, FTP spojení ??"));
    EXPECT_TRUE(controls.listEnabled);
    EXPECT_FALSE(controls.restoreEnabled);

    EXPECT_FALSE(browser->listArchiveSets());
    EXPECT_TRUE(controls.entries.isEmpty());
    EXPECT_FALSE(controls.controlsEnabled);
    EXPECT_TRUE(controls.refreshEnabled);

    ASSERT_TRUE(server->restart()) << server->errorText().toStdString();
    EXPECT_TRUE(browser->listArchiveSets());
    EXPECT_TRUE(choose(1));
}

} // namespace
} // namespace ombrix::test
