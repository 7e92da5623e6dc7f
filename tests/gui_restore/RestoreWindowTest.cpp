#include "core/catalog/CatalogFile.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "core/sources/SourcesFile.h"
#include "core/util/Clock.h"
#include "support/RestoreFixture.h"
#include "support/Screenshots.h"
#include "support/TempProgramFolder.h"
#include "ui/dialogs/FileDialogs.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RestorePage.h"
#include "ui/mainwindow/RunController.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/mainwindow/StatusLine.h"
#include "ui/restoretree/TreeWindow.h"
#include "ui/setlists/SetEntryDelegate.h"
#include "ui/wiring/BackupWiring.h"
#include "ui/wiring/ProgramAssembly.h"
#include "ui/wiring/RestoreWiring.h"
#include "ui/wiring/WindowBackupControls.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTimeZone>
#include <QTreeWidget>

namespace ombrix::test {

namespace {

using Tree = RestoreFixture::Tree;

Tree treeOf(const QString& folder)
{
    return RestoreFixture::treeOf(folder);
}

} // namespace

// The real program window on a temporary program folder, with sets made by the window's own
// START on the real 7za, and the restore page driven by clicks.
class RestoreWindowTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(destination.isValid());
        ASSERT_TRUE(sources.isValid());
        ASSERT_TRUE(target.isValid());
        m_previousDir = QDir::currentPath();
        home = std::make_unique<TempProgramFolder>();
        Clock::setFake(QDateTime(QDate(2024, 5, 6), QTime(10, 0, 0), QTimeZone::utc()), 0, false);
        home->write(QStringLiteral("config.ini"), defaultConfigBytes());
        IniStore config(home->file(QStringLiteral("config.ini")));
        config.writeString(ConfigKeys::BACKUP_DIR, destination.path());
        config.writeString(ConfigKeys::LANGUAGE, QStringLiteral("CZ"));
        ASSERT_TRUE(SourcesFile::write(home->file(SourcesFile::fileName), {sources.path()}));
        ui::FileDialogs::instance().resetForTest();
        ui::FileDialogs::instance().setQueuedOnly(true);
    }

    void TearDown() override
    {
        m_program.reset();
        ui::FileDialogs::instance().resetForTest();
        ui::FileDialogs::instance().setQueuedOnly(false);
        Clock::clearFake();
        QDir::setCurrent(m_previousDir);
        home.reset();
    }

    void startProgram()
    {
        m_program.reset();
        m_program = std::make_unique<ui::ProgramAssembly>(app::RunMode::Interactive);
        m_program->shell().controller()->setTerminator([](int) {});
        m_program->restore().setCompletionPausePercent(0);
        m_program->restore().setTreeEnabled(false);
        ASSERT_TRUE(m_program->start());
    }

    void writeSource(const QString& relPath, const QByteArray& bytes)
    {
        const QString path = sources.filePath(relPath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.flush();
        file.setFileTime(Clock::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    }

    // One backup with the window's START, a minute after the previous one.
    void backUp()
    {
        Clock::advanceFake(60);
        window()->showPage(ui::MainWindow::BackupIndex);
        QTest::mouseClick(control<QPushButton>("BitBtn1"), Qt::LeftButton);
    }

    ui::MainWindow* window() const { return m_program->shell().window(); }
    ui::RestorePage* page() const { return window()->restorePage(); }
    template <typename T> T* control(const char* name) const
    {
        return window()->findChild<T*>(QLatin1String(name));
    }
    // A click on the box or round button itself (its label may end before the widget's centre).
    static void clickBox(QWidget* box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    QString status() const { return page()->statusLine()->text(); }
    QStringList entries() const
    {
        QStringList texts;
        for (int row = 0; row < page()->setList()->count(); ++row)
            texts << page()->setList()->item(row)->text();
        return texts;
    }
    void clickEntry(const QString& text)
    {
        QListWidget* list = page()->setList();
        const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        const QRect rect = list->visualItemRect(found.first());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QString configValue(const ConfigKey& key) const
    {
        return IniStore(home->file(QStringLiteral("config.ini"))).readString(key, QStringLiteral("<none>"));
    }
    QStringList sets() const
    {
        return QDir(destination.path()).entryList({QStringLiteral("OMX_*")}, QDir::Dirs, QDir::Name);
    }

    std::unique_ptr<TempProgramFolder> home;
    QTemporaryDir destination;
    QTemporaryDir sources;
    QTemporaryDir target;

    std::unique_ptr<ui::ProgramAssembly> m_program;

  private:
    QString m_previousDir;
};

TEST_F(RestoreWindowTest, ChosenSetIsRestoredBelowTheChosenFolder)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    writeSource(QStringLiteral("sub/b.txt"), "bravo");
    startProgram();
    backUp();
    const Tree firstState = treeOf(sources.path());
    writeSource(QStringLiteral("a.txt"), "alpha, changed");
    writeSource(QStringLiteral("sub/new.txt"), "new");
    backUp();
    ASSERT_EQ(sets().size(), 2);

    window()->showPage(ui::MainWindow::RestoreIndex);
    ASSERT_EQ(entries(), (QStringList{sets().at(0).mid(4), sets().at(1).mid(4)}));
    EXPECT_EQ(status(), QStringLiteral("  Vyberte archiv"));
    EXPECT_FALSE(page()->runButton()->isEnabled());
    EXPECT_FALSE(page()->testButton()->isEnabled());

    clickEntry(sets().at(0).mid(4));
    EXPECT_EQ(status(), QString::fromUtf8("  Obnova CELÉHO ARCHIVU začne od začátku"));
    ASSERT_TRUE(page()->runButton()->isEnabled());
    EXPECT_TRUE(page()->testButton()->isEnabled());
    EXPECT_TRUE(page()->logButton()->isEnabled());
    EXPECT_TRUE(QFileInfo::exists(home->file(QStringLiteral("recoverylist.csv"))));

    QTest::mouseClick(page()->testButton(), Qt::LeftButton);
    EXPECT_EQ(page()->testResult()->text(), QString::fromUtf8("Chybějících soub.: 0"));

    page()->folderEdit()->setText(target.path());
    QTest::mouseClick(page()->runButton(), Qt::LeftButton);
    EXPECT_EQ(treeOf(QDir::cleanPath(target.path() + QLatin1Char('/') + sources.path())), firstState);
    EXPECT_EQ(configValue(ConfigKeys::RECOVERY_DONE), QStringLiteral("1"));
    EXPECT_FALSE(QFileInfo::exists(home->file(QStringLiteral("recoverylist.csv"))));
    EXPECT_EQ(page()->runButton()->text(), QStringLiteral("OBNOVA DAT"));
    // The list was refreshed: no set is chosen, so nothing can be restored again by accident.
    EXPECT_FALSE(page()->runButton()->isEnabled());
    EXPECT_TRUE(page()->setList()->selectedItems().isEmpty());
}

TEST_F(RestoreWindowTest, SelectedItemsOnlyAreRestoredAndExactStateIsBlocked)
{
    writeSource(QStringLiteral("keep/a.txt"), "alpha");
    writeSource(QStringLiteral("skip/b.txt"), "bravo");
    startProgram();
    m_program->restore().setTreeEnabled(true);
    backUp();
    window()->showPage(ui::MainWindow::RestoreIndex);
    clickBox(page()->originalPlaceBox());
    ASSERT_TRUE(page()->exactStateChoice()->isEnabled());
    clickBox(page()->exactStateChoice());
    clickEntry(sets().first().mid(4));
    ASSERT_TRUE(page()->treeButton()->isEnabled());

    // The person unticks the folder "skip" once the tree is built and presses "POUŽÍT".
    bool applied = false;
    QTimer driver;
    driver.setInterval(0);
    QObject::connect(&driver, &QTimer::timeout, window(), [&] {
        auto* tree = window()->findChild<ui::TreeWindow*>();
        if (!tree || applied || tree->state() != ui::TreeWindow::State::Complete)
            return;
        const auto found =
            tree->tree()->findItems(QStringLiteral("skip"), Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1);
        found.first()->setCheckState(0, Qt::Unchecked);
        applied = true;
        tree->applyButton()->click();
    });
    driver.start();
    QTest::mouseClick(page()->treeButton(), Qt::LeftButton);
    driver.stop();
    ASSERT_TRUE(applied);

    EXPECT_EQ(status(), QString::fromUtf8("  Obnova POUZE VYBRANÝCH POLOŽEK začne od začátku"));
    EXPECT_FALSE(page()->exactStateChoice()->isEnabled());
    EXPECT_TRUE(page()->keepChoice()->isChecked());
    EXPECT_EQ(configValue(ConfigKeys::RECOVERY_DEST), QStringLiteral("2"));

    clickBox(page()->originalPlaceBox());
    page()->folderEdit()->setText(target.path());
    QTest::mouseClick(page()->runButton(), Qt::LeftButton);
    const Tree restored = treeOf(QDir::cleanPath(target.path() + QLatin1Char('/') + sources.path()));
    EXPECT_EQ(restored, (Tree{{QStringLiteral("keep/a.txt"), QByteArray("alpha")}}));
}

TEST_F(RestoreWindowTest, StoppedRestoreKeepsItsListUntilItIsContinued)
{
    for (int i = 0; i < 5; ++i)
        writeSource(QStringLiteral("f%1.txt").arg(i), QByteArray::number(i));
    startProgram();
    backUp();
    const Tree state = treeOf(sources.path());
    writeSource(QStringLiteral("f0.txt"), "changed");
    backUp();
    ASSERT_EQ(sets().size(), 2);
    window()->showPage(ui::MainWindow::RestoreIndex);
    clickEntry(sets().first().mid(4));
    // Moving the selection afterwards does not change the set being restored.
    QTest::keyClick(page()->setList(), Qt::Key_Down);
    ASSERT_EQ(page()->setList()->currentItem()->text(), sets().last().mid(4));
    page()->folderEdit()->setText(target.path());

    // STOP is pressed as soon as the run lets the window work.
    QTimer::singleShot(0, page()->runButton(), [this] {
        ASSERT_EQ(page()->runButton()->text(), QStringLiteral("STOP"));
        QTest::mouseClick(page()->runButton(), Qt::LeftButton);
    });
    QTest::mouseClick(page()->runButton(), Qt::LeftButton);
    ASSERT_EQ(page()->runButton()->text(), QString::fromUtf8("pokra čovat"));
    ASSERT_EQ(configValue(ConfigKeys::RECOVERY_DONE), QStringLiteral("0"));
    EXPECT_EQ(configValue(ConfigKeys::RECOVERY_ARCHIVNAME), sets().first());

    // A backup in between makes the set list stale; showing the page again must not unlock it.
    m_program->backup().controls().setRestoreListLoaded(false);
    window()->showPage(ui::MainWindow::BackupIndex);
    window()->showPage(ui::MainWindow::RestoreIndex);
    EXPECT_FALSE(page()->setList()->isEnabled());
    EXPECT_TRUE(page()->runButton()->isEnabled());
    EXPECT_EQ(page()->runButton()->text(), QString::fromUtf8("pokra čovat"));

    QTest::mouseClick(page()->runButton(), Qt::LeftButton);
    EXPECT_EQ(configValue(ConfigKeys::RECOVERY_DONE), QStringLiteral("1"));
    EXPECT_EQ(treeOf(QDir::cleanPath(target.path() + QLatin1Char('/') + sources.path())), state);
}

TEST_F(RestoreWindowTest, RestorePlaceIsStoredAndLoadedAgain)
{
    startProgram();
    window()->showPage(ui::MainWindow::RestoreIndex);
    EXPECT_TRUE(page()->folderEdit()->isEnabled());
    EXPECT_FALSE(page()->exactStateChoice()->isEnabled());
    EXPECT_TRUE(page()->keepChoice()->isChecked());

    clickBox(page()->originalPlaceBox());
    EXPECT_EQ(configValue(ConfigKeys::RECOVERY_DEST), QStringLiteral("2"));
    EXPECT_FALSE(page()->folderEdit()->isEnabled());
    EXPECT_FALSE(page()->browseButton()->isEnabled());
    ASSERT_TRUE(page()->exactStateChoice()->isEnabled());
    clickBox(page()->exactStateChoice());
    EXPECT_EQ(configValue(ConfigKeys::RECOVERY_DEST), QStringLiteral("1"));

    startProgram();
    EXPECT_TRUE(page()->originalPlaceBox()->isChecked());
    EXPECT_TRUE(page()->exactStateChoice()->isChecked());
    EXPECT_TRUE(page()->exactStateChoice()->isEnabled());
    EXPECT_FALSE(page()->folderEdit()->isEnabled());
    // Loading wrote nothing back.
    EXPECT_EQ(configValue(ConfigKeys::RECOVERY_DEST), QStringLiteral("1"));

    clickBox(page()->originalPlaceBox());
    EXPECT_EQ(configValue(ConfigKeys::RECOVERY_DEST), QStringLiteral("0"));
    page()->folderEdit()->clear();
    QTest::keyClicks(page()->folderEdit(), QStringLiteral("/srv/restore"));
    EXPECT_EQ(configValue(ConfigKeys::RECOVERY_DIR), QStringLiteral("/srv/restore"));

    startProgram();
    EXPECT_FALSE(page()->originalPlaceBox()->isChecked());
    EXPECT_EQ(page()->folderEdit()->text(), QStringLiteral("/srv/restore"));
    EXPECT_TRUE(page()->folderEdit()->isEnabled());
    EXPECT_FALSE(page()->keepChoice()->isEnabled());
}

TEST_F(RestoreWindowTest, CancelledFolderDialogKeepsTheField)
{
    startProgram();
    window()->showPage(ui::MainWindow::RestoreIndex);
    page()->folderEdit()->setText(QStringLiteral("/srv/kept"));

    ui::FileDialogs::instance().queueAnswer(QString());
    QTest::mouseClick(page()->browseButton(), Qt::LeftButton);
    EXPECT_EQ(page()->folderEdit()->text(), QStringLiteral("/srv/kept"));
    EXPECT_EQ(configValue(ConfigKeys::RECOVERY_DIR), QStringLiteral("/srv/kept"));

    ui::FileDialogs::instance().queueAnswer(target.path());
    QTest::mouseClick(page()->browseButton(), Qt::LeftButton);
    EXPECT_EQ(page()->folderEdit()->text(), target.path());
    EXPECT_EQ(configValue(ConfigKeys::RECOVERY_DIR), target.path());
    EXPECT_EQ(ui::FileDialogs::instance().lastBrowseFolder(), target.path());
}

TEST_F(RestoreWindowTest, PendingRestoreIsOfferedAtStartAndResetByTheSettingsPage)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    startProgram();
    backUp();
    ASSERT_EQ(sets().size(), 1);
    const QString set = sets().first();
    window()->showPage(ui::MainWindow::RestoreIndex);
    clickEntry(set.mid(4));
    ASSERT_TRUE(page()->runButton()->isEnabled());

    // A restore that was left unfinished when the program ended.
    {
        IniStore config(home->file(QStringLiteral("config.ini")));
        config.writeString(ConfigKeys::RECOVERY_ARCHIVNAME, set);
        config.writeInt(ConfigKeys::RECOVERY_DONE, 0);
        config.writeInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, 0);
    }
    startProgram();
    EXPECT_EQ(status(), QString::fromUtf8("  Obnova dat nebyla dokončena, bude se pokračovat"));
    EXPECT_EQ(page()->runButton()->text(), QString::fromUtf8("pokra čovat"));
    EXPECT_TRUE(page()->runButton()->isEnabled());
    EXPECT_FALSE(page()->setList()->isEnabled());
    ASSERT_NE(page()->setList()->currentItem(), nullptr);
    EXPECT_EQ(page()->setList()->currentItem()->text(), set.mid(4));
    EXPECT_FALSE(control<QCheckBox>("CheckBox9")->isEnabled());

    ui::SettingsPage* settings = window()->settingsPage();
    window()->showPage(ui::MainWindow::SettingsIndex);
    EXPECT_FALSE(settings->restoreResetButton()->isEnabled());
    clickBox(settings->restoreResetBox());
    ASSERT_TRUE(settings->restoreResetButton()->isEnabled());
    QTest::mouseClick(settings->restoreResetButton(), Qt::LeftButton);

    EXPECT_EQ(configValue(ConfigKeys::RECOVERY_DONE), QStringLiteral("1"));
    EXPECT_EQ(configValue(ConfigKeys::RECOVERY_ARCHIVNAME), QString());
    EXPECT_FALSE(QFileInfo::exists(home->file(QStringLiteral("recoverylist.csv"))));
    EXPECT_FALSE(settings->restoreResetBox()->isChecked());
    EXPECT_FALSE(settings->restoreResetButton()->isEnabled());
    EXPECT_EQ(page()->runButton()->text(), QStringLiteral("OBNOVA DAT"));
    EXPECT_TRUE(page()->setList()->isEnabled());
    EXPECT_EQ(status(), QStringLiteral("  Vyberte archiv"));
}

TEST_F(RestoreWindowTest, ColouredListingDrawsTheListAndListsAgain)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    startProgram();
    backUp();
    window()->showPage(ui::MainWindow::RestoreIndex);
    EXPECT_FALSE(ui::SetEntryDelegate::isColored(page()->setList()));

    writeSource(QStringLiteral("b.txt"), "bravo");
    backUp();
    window()->showPage(ui::MainWindow::RestoreIndex);
    ASSERT_EQ(entries().size(), 2);
    const QHash<QString, quint32>& colours = m_program->backup().archiveState().archiveColorCache;
    EXPECT_TRUE(colours.isEmpty());

    // Switching the colours on makes the list stale: the next showing lists the sets with colours.
    window()->showPage(ui::MainWindow::SettingsIndex);
    clickBox(window()->settingsPage()->colorListsBox());
    EXPECT_TRUE(ui::SetEntryDelegate::isColored(page()->setList()));
    window()->showPage(ui::MainWindow::RestoreIndex);
    for (const QString& set : sets())
        EXPECT_TRUE(colours.contains(set)) << set.toStdString();

    EXPECT_TRUE(window()->grab().save(screenshotPath(QStringLiteral("page4-obnova.png"))));

    clickBox(window()->settingsPage()->colorListsBox());
    EXPECT_FALSE(ui::SetEntryDelegate::isColored(page()->setList()));
}

} // namespace ombrix::test
