#include "restore/ArchiveBrowser.h"

#include "archive/Archiver.h"
#include "archive/ArchiverRunner.h"
#include "archive/ArchiveSetChecks.h"
#include "core/catalog/CatalogFile.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/text/TextFile.h"
#include "restore/ArchiveBrowserControls.h"
#include "support/RestoreFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {

namespace {

// The restore page as plain fields.
class TestBrowserControls : public ArchiveBrowserControls
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
    void setTestEnabled(bool enabled) override { testEnabled = enabled; }
    void setTestResult(const QString& text) override { testResult = text; }
    void setTestProgress(int maximum, int position) override
    {
        progressMaximum = qMax(progressMaximum, maximum);
        progressPosition = position;
        if (onProgress)
            onProgress(position);
    }
    bool restoreToOriginal() const override { return toOriginal; }
    bool exactStateSelected() const override { return exactSelected; }
    void setFolderEnabled(bool enabled) override { folderEnabled = enabled; }
    void setExactStateEnabled(bool enabled) override { exactEnabled = enabled; }
    void setKeepEnabled(bool enabled) override { keepEnabled = enabled; }
    void selectKeepUnarchived() override { exactSelected = false; }
    void refreshFileSystemWarning() override { ++warningRefreshes; }
    void setPasswordControlsEnabled(bool enabled) override { passwordControlsEnabled = enabled; }
    bool passwordEnabled() const override { return !password.isEmpty(); }
    QString archivePassword() const override { return password; }
    void setLogText(const QString& text) override { log = text; }
    QString logText() const override { return log; }
    void showLogModal() override { shownLogs << log; }
    void markTreeForRebuild() override { ++treeRebuilds; }

    QStringList entries;
    QString selected;
    bool listEnabled = false;
    bool refreshEnabled = false;
    bool setButtonsEnabled = false;
    bool restoreEnabled = false;
    bool controlsEnabled = false;
    bool colored = false;
    QString testCaption = QStringLiteral("test");
    bool testEnabled = true;
    QString testResult;
    int progressMaximum = 0;
    int progressPosition = 0;
    std::function<void(int)> onProgress;
    bool toOriginal = false;
    bool exactSelected = false;
    bool folderEnabled = true;
    bool exactEnabled = false;
    bool keepEnabled = false;
    int warningRefreshes = 0;
    bool passwordControlsEnabled = false;
    QString password;
    QString log;
    QStringList shownLogs;
    int treeRebuilds = 0;
};

QString lastStatus(const RecordingHost& host)
{
    const QStringList texts = host.statusTexts(Page::Restore);
    return texts.isEmpty() ? QString() : texts.last();
}

QString shown(const char* text)
{
    return QStringLiteral("  ") + QString::fromUtf8(text);
}

} // namespace

class ArchiveBrowserTest : public RestoreFixture
{
  protected:
    void SetUp() override
    {
        RestoreFixture::SetUp();
        browser = std::make_unique<ArchiveBrowser>(host, page, *config, runState, archiveState, *destination);
    }
    void TearDown() override
    {
        browser.reset();
        RestoreFixture::TearDown();
    }

    // Lists the sets and chooses set (full name).
    bool choose(const QString& set)
    {
        browser->listArchiveSets();
        page.selected = set.mid(4);
        return browser->chooseArchiveSet();
    }

    // Replaces a side file of a set by the given lines, as if the run had stored them.
    void replaceSideFile(const QString& set, const QString& side, const QByteArray& bytes)
    {
        program->write(side, bytes);
        QFile::remove(SetLayout::sideArchivePath(destinationDir.path(), set, side));
        ArchiveSettings settings;
        settings.targetArchiveName = set;
        ArchiverRunner runner(runState, host);
        Archiver archiver(*destination, runner, host, nullptr, settings);
        ASSERT_TRUE(archiver.archivovat(side, QStringLiteral("0")));
    }

    QString archiveOf(const QString& set, const QString& relPath) const
    {
        return SetLayout::archivePath(destinationDir.path(), set, sourceDir.filePath(relPath), false);
    }

    TestBrowserControls page;
    std::unique_ptr<ArchiveBrowser> browser;
};

TEST_F(ArchiveBrowserTest, ListsOnlySetFoldersOldestFirst)
{
    for (const char* name : {"OMX_2023-01-02_10-00-00", "OMX_2022-12-31_09-00-00", "data", "omx_lower"})
        ASSERT_TRUE(QDir(destinationDir.path()).mkdir(QString::fromLatin1(name)));
    QFile stray(destinationDir.filePath(QStringLiteral("OMX_2021-01-01_00-00-00")));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly)); // a file, not a set folder

    page.setButtonsEnabled = true;
    page.restoreEnabled = true;
    EXPECT_TRUE(browser->listArchiveSets());
    EXPECT_EQ(page.entries,
              (QStringList{QStringLiteral("2022-12-31_09-00-00"), QStringLiteral("2023-01-02_10-00-00")}));
    EXPECT_TRUE(page.listEnabled);
    EXPECT_FALSE(page.setButtonsEnabled);
    EXPECT_FALSE(page.restoreEnabled);
    EXPECT_EQ(page.testResult, QStringLiteral("...."));
    EXPECT_EQ(lastStatus(host), shown("Vyberte archiv"));
    EXPECT_TRUE(archiveState.archiveColorCache.isEmpty());
}

TEST_F(ArchiveBrowserTest, MissingDestinationOffersOnlyTheRefreshButton)
{
    destination = std::make_unique<FolderDestination>(destinationDir.filePath(QStringLiteral("gone")));
    browser = std::make_unique<ArchiveBrowser>(host, page, *config, runState, archiveState, *destination);
    page.entries = {QStringLiteral("kept")};
    page.controlsEnabled = true;
    page.restoreEnabled = true;
    EXPECT_FALSE(browser->listArchiveSets());
    EXPECT_FALSE(page.controlsEnabled);
    EXPECT_FALSE(page.restoreEnabled);
    EXPECT_TRUE(page.refreshEnabled);
    EXPECT_EQ(page.entries, QStringList{QStringLiteral("kept")});
}

TEST_F(ArchiveBrowserTest, ColouredListingCachesEachSetsStateUnderItsFullName)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    const QString complete = makeSet();
    // A clean run's log has a known size; anything else says the run logged events.
    writeSource(QStringLiteral("b.txt"), "bravo");
    const QString eventful = makeSet();
    replaceSideFile(eventful, QStringLiteral("log.txt"), QByteArray(95, 'x'));
    writeSource(QStringLiteral("c.txt"), "charlie");
    const QString broken = makeSet();
    ASSERT_TRUE(
        QFile::remove(SetLayout::sideArchivePath(destinationDir.path(), broken, SetLayout::configFile)));
    archiveState.archiveColorCache.insert(QStringLiteral("OMX_stale"), 1);

    page.colored = true;
    ASSERT_TRUE(browser->listArchiveSets());
    EXPECT_EQ(archiveState.archiveColorCache.size(), 3);
    EXPECT_EQ(archiveState.archiveColorCache.value(complete, 7), ArchiveSetChecks::colorBlack);
    EXPECT_EQ(archiveState.archiveColorCache.value(eventful, 7), ArchiveSetChecks::colorOlive);
    EXPECT_EQ(archiveState.archiveColorCache.value(broken, 7), ArchiveSetChecks::colorRed);
}

TEST_F(ArchiveBrowserTest, IncompleteSetIsRefusedAndNothingChanges)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    const QString set = makeSet();
    ASSERT_TRUE(
        QFile::remove(SetLayout::sideArchivePath(destinationDir.path(), set, SetLayout::sourcesFile)));
    program->write(QStringLiteral("recoverylist.csv"), "old list\r\n");

    EXPECT_FALSE(choose(set));
    EXPECT_EQ(lastStatus(host), shown("Neúplný archiv - pravděpodobně nebyl dokončen"));
    EXPECT_TRUE(page.listEnabled);
    EXPECT_FALSE(page.restoreEnabled);
    EXPECT_EQ(program->read(QStringLiteral("recoverylist.csv")), QByteArray("old list\r\n"));
}

TEST_F(ArchiveBrowserTest, ChoosingASetMakesItsCatalogTheWorkList)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    writeSource(QStringLiteral("sub/b.txt"), "bravo");
    const QString first = makeSet();
    writeSource(QStringLiteral("c.txt"), "charlie");
    const QString second = makeSet();
    // The list of another set and the catalog of an unfinished backup lie in the program folder.
    ASSERT_TRUE(CatalogFile::write(program->file(QStringLiteral("recoverylist.csv")), catalogOf(first)));
    program->write(QStringLiteral("archivlist.csv"), "catalog of the running backup\r\n");

    ASSERT_TRUE(choose(second));
    EXPECT_EQ(CatalogFile::read(program->file(QStringLiteral("recoverylist.csv"))).lines, catalogOf(second));
    EXPECT_EQ(program->read(QStringLiteral("archivlist.csv")),
              QByteArray("catalog of the running backup\r\n"));
    EXPECT_FALSE(QFileInfo::exists(program->file(QStringLiteral("tmp"))));
    EXPECT_EQ(lastStatus(host), shown("Obnova CELÉHO ARCHIVU začne od začátku"));
    EXPECT_TRUE(page.setButtonsEnabled);
    EXPECT_TRUE(page.restoreEnabled);
    EXPECT_TRUE(page.listEnabled);
    EXPECT_TRUE(page.log.startsWith(QStringLiteral("Archiv: ") + second)) << page.log.toStdString();
    EXPECT_EQ(page.treeRebuilds, 1);
    EXPECT_FALSE(browser->exactStateBlocked());

    // The prepared list restores the set.
    controls.set = second;
    controls.folder = restoreDir.path();
    run->runRestore();
    EXPECT_EQ(treeOf(QDir::cleanPath(restoreDir.path() + QLatin1Char('/') + sourceDir.path())), sourceTree());
}

TEST_F(ArchiveBrowserTest, ExactStateFollowsTheSetsLogAndSourceList)
{
    struct Case
    {
        const char* name;
        QByteArray log;
        QByteArray sourcesSuffix;
        bool blocked;
    };
    const Case cases[] = {
        {"two log lines", "one\r\ntwo\r\n", "", false},
        {"three log lines", "one\r\ntwo\r\nthree\r\n", "", true},
        {"mask marker", "one\r\n", "///+*.txt", true},
        {"option marker", "one\r\n", "///D", true},
        {"plain source list", "one\r\n", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeSource(QStringLiteral("a.txt"), c.name);
        const QString set = makeSet();
        replaceSideFile(set, QStringLiteral("log.txt"), c.log);
        replaceSideFile(set, QStringLiteral("sources.txt"),
                        "\xEF\xBB\xBF" + sourceDir.path().toUtf8() + c.sourcesSuffix + "\r\n");
        page.toOriginal = true;
        page.exactSelected = true;
        page.exactEnabled = false;
        ASSERT_TRUE(choose(set));
        EXPECT_EQ(browser->exactStateBlocked(), c.blocked);
        EXPECT_EQ(page.exactEnabled, !c.blocked);
        EXPECT_EQ(page.exactSelected, !c.blocked);
    }
}

TEST_F(ArchiveBrowserTest, WrongPasswordUnlocksThePasswordSettings)
{
    controls.password = QStringLiteral("secret");
    writeSource(QStringLiteral("a.txt"), "alpha");
    const QString set = makeSet();

    page.password = QStringLiteral("wrong");
    EXPECT_FALSE(choose(set));
    EXPECT_EQ(lastStatus(host), shown("Tento archiv je ZAHESLOVÁN, nastavte správné heslo"));
    EXPECT_TRUE(page.passwordControlsEnabled);
    EXPECT_TRUE(page.listEnabled);
    EXPECT_FALSE(page.setButtonsEnabled);
    EXPECT_FALSE(page.restoreEnabled);
    EXPECT_FALSE(QFileInfo::exists(program->file(QStringLiteral("recoverylist.csv"))));
    EXPECT_FALSE(QFileInfo::exists(program->file(QStringLiteral("tmp"))));

    page.password = QStringLiteral("secret");
    EXPECT_TRUE(browser->chooseArchiveSet());
    EXPECT_EQ(CatalogFile::read(program->file(QStringLiteral("recoverylist.csv"))).lines, catalogOf(set));
}

TEST_F(ArchiveBrowserTest, DamagedLogLeavesTheListAndButtonsDisabled)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    const QString set = makeSet();
    QFile damaged(SetLayout::sideArchivePath(destinationDir.path(), set, SetLayout::logFile));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("not an archive");
    damaged.close();

    EXPECT_FALSE(choose(set));
    EXPECT_EQ(lastStatus(host), shown("Poškozený archiv - pravděpodobně nebyl dokončen"));
    EXPECT_FALSE(page.listEnabled);
    EXPECT_FALSE(page.setButtonsEnabled);
    EXPECT_FALSE(page.restoreEnabled);
}

TEST_F(ArchiveBrowserTest, TestOfACompleteSetFindsNothingLost)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    writeSource(QStringLiteral("b/c.txt"), "charlie");
    const QString set = makeSet();
    program->write(QStringLiteral("log.txt"), "run log\r\n");
    ASSERT_TRUE(choose(set));

    browser->testkondice();
    EXPECT_EQ(page.testResult, QString::fromUtf8("Chybějících soub.: 0"));
    EXPECT_TRUE(page.shownLogs.isEmpty());
    EXPECT_EQ(page.log, QStringLiteral("Archiv: ") + set);
    EXPECT_EQ(program->read(QStringLiteral("log.txt")), QByteArray("run log\r\n"));
    EXPECT_EQ(page.testCaption, QStringLiteral("test"));
    EXPECT_TRUE(page.restoreEnabled);
    EXPECT_EQ(page.progressPosition, 0);
}

TEST_F(ArchiveBrowserTest, StoppedTestCountsAndSavesTheLostFilesSeenSoFar)
{
    for (int i = 0; i < 60; ++i)
        writeSource(QStringLiteral("f%1.txt").arg(i, 2, 10, QLatin1Char('0')), QByteArray::number(i));
    const QString set = makeSet();
    for (const char* lost : {"f03.txt", "f10.txt", "f15.txt", "f40.txt"})
        ASSERT_TRUE(QFile::remove(archiveOf(set, QString::fromLatin1(lost))));
    ASSERT_TRUE(choose(set));

    // STOP is pressed while the test shows line 20: line 20 is the last one tested.
    page.onProgress = [this](int position) {
        if (position == 20 && browser->testing()) {
            EXPECT_EQ(page.testCaption, QStringLiteral("stop"));
            browser->testkondice();
        }
    };
    browser->testkondice();
    EXPECT_EQ(page.testResult, QString::fromUtf8("Chybějících soub.: 3"));
    EXPECT_EQ(page.progressMaximum, 59);
    const QStringList expected{QStringLiteral("Archiv: ") + set,
                               QStringLiteral("lost file: ") + sourceDir.filePath(QStringLiteral("f03.txt")) +
                                   QStringLiteral("; DIR: ") + set,
                               QStringLiteral("lost file: ") + sourceDir.filePath(QStringLiteral("f10.txt")) +
                                   QStringLiteral("; DIR: ") + set,
                               QStringLiteral("lost file: ") + sourceDir.filePath(QStringLiteral("f15.txt")) +
                                   QStringLiteral("; DIR: ") + set};
    EXPECT_EQ(page.shownLogs, QStringList{expected.join(QLatin1Char('\n'))});
    EXPECT_EQ(program->read(QStringLiteral("log.txt")), TextFile::encodeUtf8Bom(expected));
    EXPECT_FALSE(browser->testing());
    EXPECT_EQ(page.testCaption, QStringLiteral("test"));

    // A new test runs to the end.
    page.onProgress = nullptr;
    browser->testkondice();
    EXPECT_EQ(page.testResult, QString::fromUtf8("Chybějících soub.: 4"));
}

TEST_F(ArchiveBrowserTest, TestReportNeverReplacesTheLogOfAnUnfinishedBackup)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    const QString set = makeSet();
    ASSERT_TRUE(QFile::remove(archiveOf(set, QStringLiteral("a.txt"))));
    ASSERT_TRUE(choose(set));
    config->writeString(ConfigKeys::LAST_ARCHIV_NAME, set);
    config->writeInt(ConfigKeys::LAST_BACKUP_DONE, 0);
    program->write(QStringLiteral("log.txt"), "log of the unfinished run\r\n");

    browser->testkondice();
    EXPECT_EQ(page.testResult, QString::fromUtf8("Chybějících soub.: 1"));
    EXPECT_EQ(page.shownLogs.size(), 1);
    EXPECT_EQ(program->read(QStringLiteral("log.txt")), QByteArray("log of the unfinished run\r\n"));
}

TEST_F(ArchiveBrowserTest, TestOfAnUnreadableCatalogFails)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    const QString set = makeSet();
    ASSERT_TRUE(choose(set));
    ASSERT_TRUE(
        QFile::remove(SetLayout::sideArchivePath(destinationDir.path(), set, SetLayout::catalogFile)));

    browser->testkondice();
    EXPECT_EQ(page.testResult, QStringLiteral("FAIL"));
    EXPECT_TRUE(page.shownLogs.isEmpty());
}

TEST_F(ArchiveBrowserTest, RestorePlaceIsStoredAsTheControlsChange)
{
    auto dest = [this] { return config->readInt(ConfigKeys::RECOVERY_DEST, -1); };
    page.toOriginal = true;
    page.exactSelected = true;
    browser->setRestoreToOriginal(true);
    EXPECT_EQ(dest(), 1);
    EXPECT_FALSE(page.folderEnabled);
    EXPECT_TRUE(page.exactEnabled);
    EXPECT_TRUE(page.keepEnabled);

    page.exactSelected = false;
    browser->setKeepUnarchived();
    EXPECT_EQ(dest(), 2);

    page.toOriginal = false;
    browser->setRestoreToOriginal(false);
    EXPECT_EQ(dest(), 0);
    EXPECT_TRUE(page.folderEnabled);
    EXPECT_FALSE(page.exactEnabled);
    EXPECT_FALSE(page.keepEnabled);
    // A choice made while the box is unticked (blocking the exact state) leaves the key at 0.
    browser->blockExactState();
    browser->setKeepUnarchived();
    browser->setExactState();
    EXPECT_EQ(dest(), 0);

    // Blocked exact state stays disabled when the box is ticked again.
    page.toOriginal = true;
    browser->setRestoreToOriginal(true);
    EXPECT_FALSE(page.exactEnabled);
    EXPECT_EQ(dest(), 2);

    browser->setRestoreFolder(QStringLiteral("/srv/back"));
    EXPECT_EQ(config->readString(ConfigKeys::RECOVERY_DIR, QString()), QStringLiteral("/srv/back"));
    EXPECT_EQ(page.warningRefreshes, 4);

    const ArchiveBrowser::RestoreOptions options = ArchiveBrowser::loadOptions(*config);
    EXPECT_EQ(options.folder, QStringLiteral("/srv/back"));
    EXPECT_EQ(options.destination, 2);
}

TEST_F(ArchiveBrowserTest, UnknownRestorePlaceLoadsAsTheChosenFolder)
{
    for (const char* stored : {"7", "-1", "x", ""}) {
        config->writeString(ConfigKeys::RECOVERY_DEST, QString::fromLatin1(stored));
        EXPECT_EQ(ArchiveBrowser::loadOptions(*config).destination, 0) << stored;
    }
}

} // namespace ombrix::test
