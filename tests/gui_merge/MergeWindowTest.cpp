#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"
#include "core/lang/Translator.h"
#include "core/util/Clock.h"
#include "support/RestoreFixture.h"
#include "support/Screenshots.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/MergePage.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RunController.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/mainwindow/StatusLine.h"
#include "ui/setlists/SetEntryDelegate.h"
#include "ui/wiring/BackupWiring.h"
#include "ui/wiring/ProgramAssembly.h"

#include <optional>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimeZone>

namespace ombrix::test {

// The real program window on a program folder whose destination already holds a chain of sets
// made with the real 7za. The process end is recorded instead of happening.
class MergeWindowTest : public RestoreFixture
{
  protected:
    void SetUp() override
    {
        RestoreFixture::SetUp();
        m_previousDir = QDir::currentPath();
        config->writeString(ConfigKeys::BACKUP_DIR, destinationDir.path());
        config->writeString(ConfigKeys::LANGUAGE, QStringLiteral("CZ"));
    }

    void TearDown() override
    {
        m_program.reset();
        Clock::clearFake();
        QDir::setCurrent(m_previousDir);
        RestoreFixture::TearDown();
    }

    // count sets; set i changes "changing.txt" and adds "f<i>.txt".
    void makeChain(int count)
    {
        for (int i = 0; i < count; ++i) {
            writeSource(QStringLiteral("changing.txt"), QByteArray("version ") + QByteArray::number(i));
            writeSource(QStringLiteral("f%1.txt").arg(i), QByteArray("from set ") + QByteArray::number(i));
            sets << makeSet();
            states.push_back(sourceTree());
        }
    }

    void startProgram(app::RunMode mode = app::RunMode::Interactive)
    {
        m_program = std::make_unique<ui::ProgramAssembly>(mode);
        ui::RunController* controller = m_program->shell().controller();
        controller->setTerminator([this](int code) { endedWith = code; });
        controller->setExitDelay(0);
        ASSERT_TRUE(m_program->start());
    }

    ui::MainWindow* window() const { return m_program->shell().window(); }
    ui::RunController* controller() const { return m_program->shell().controller(); }
    ui::ProgramAssembly& assembly() { return *m_program; }
    QListWidget* list() const { return window()->mergePage()->setList(); }
    QPushButton* mergeButton() const { return window()->mergePage()->runButton(); }
    QPushButton* sizeButton() const { return window()->mergePage()->sizeButton(); }
    QString status() const { return window()->mergePage()->statusLine()->text().trimmed(); }
    QTabWidget* pages() const { return window()->findChild<QTabWidget*>(QStringLiteral("PageControl1")); }

    void showMergePage()
    {
        window()->showPage(ui::MainWindow::MergeIndex);
        QCoreApplication::processEvents();
    }

    void clickEntry(int row)
    {
        QListWidgetItem* item = list()->item(row);
        ASSERT_NE(item, nullptr);
        list()->scrollToItem(item);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(item).center());
    }

    QList<int> selectedRows() const
    {
        QList<int> rows;
        for (int q = 0; q < list()->count(); ++q) {
            if (list()->item(q)->isSelected())
                rows << q;
        }
        return rows;
    }

    QStringList entries() const
    {
        QStringList texts;
        for (int q = 0; q < list()->count(); ++q)
            texts << list()->item(q)->text();
        return texts;
    }

    QString stamp(int i) const { return SetName::withoutPrefix(sets[i]); }
    QString stored(const ConfigKey& key) const { return config->readString(key, QStringLiteral("<none>")); }

    QStringList sets;
    std::vector<Tree> states;
    std::optional<int> endedWith;

  private:
    QString m_previousDir;
    std::unique_ptr<ui::ProgramAssembly> m_program;
};

TEST_F(MergeWindowTest, TwoClicksInEitherOrderSelectTheRangeAndStoreIt)
{
    makeChain(4);
    startProgram();
    showMergePage();
    ASSERT_EQ(entries(), (QStringList{stamp(0), stamp(1), stamp(2), stamp(3)}));
    EXPECT_FALSE(mergeButton()->isEnabled());
    EXPECT_EQ(status(), QStringLiteral("Kliknutím vyberte první a poslední archiv"));

    clickEntry(2);
    EXPECT_EQ(status(), QStringLiteral("vyberte druhý hraniční archiv"));
    EXPECT_EQ(selectedRows(), QList<int>{2});
    clickEntry(0);
    EXPECT_EQ(stored(ConfigKeys::SUM_FROM), stamp(0));
    EXPECT_EQ(stored(ConfigKeys::SUM_TO), stamp(2));
    EXPECT_EQ(selectedRows(), (QList<int>{0, 1, 2}));
    EXPECT_TRUE(mergeButton()->isEnabled());
    EXPECT_EQ(status(), QStringLiteral("Připraveno, sloučí se vybrané archivy"));
    EXPECT_TRUE(window()->grab().save(screenshotPath(QStringLiteral("page5-slouceni.png"))));

    // The same entry twice makes no range; the next click is a first boundary again.
    clickEntry(3);
    clickEntry(3);
    EXPECT_EQ(stored(ConfigKeys::SUM_FROM), stamp(3));
    EXPECT_EQ(stored(ConfigKeys::SUM_TO), QString());
    EXPECT_FALSE(mergeButton()->isEnabled());
    EXPECT_EQ(status(), QStringLiteral("vyberte druhý hraniční archiv"));
    clickEntry(1);
    EXPECT_EQ(stored(ConfigKeys::SUM_FROM), stamp(1));
    EXPECT_EQ(stored(ConfigKeys::SUM_TO), QString());
}

TEST_F(MergeWindowTest, SizeButtonShowsSizesAndKeepsTheSelection)
{
    makeChain(4);
    startProgram();
    showMergePage();
    clickEntry(1);
    clickEntry(2);
    QTest::mouseClick(sizeButton(), Qt::LeftButton);
    const QStringList texts = entries();
    ASSERT_EQ(texts.size(), 4);
    EXPECT_EQ(texts[0], stamp(0));
    EXPECT_TRUE(texts[1].startsWith(stamp(1) + QStringLiteral(" ..... "))) << texts[1].toStdString();
    EXPECT_TRUE(texts[2].startsWith(stamp(2) + QStringLiteral(" ..... "))) << texts[2].toStdString();
    EXPECT_TRUE(texts[2].endsWith(QStringLiteral(" kB"))) << texts[2].toStdString();
    EXPECT_EQ(texts[3], stamp(3));
    EXPECT_EQ(selectedRows(), (QList<int>{1, 2}));
    EXPECT_TRUE(status().startsWith(QStringLiteral("Součet velikostí vybraných archivů: ")))
        << status().toStdString();
    EXPECT_EQ(sizeButton()->text(), QStringLiteral("Velikost vybraných archivů"));
    // The range is still chosen: it can be merged at once.
    EXPECT_TRUE(mergeButton()->isEnabled());
}

TEST_F(MergeWindowTest, MergeButtonMergesAndTheLaterSetsRestoreToTheirOwnState)
{
    makeChain(5);
    startProgram();
    showMergePage();
    clickEntry(3);
    clickEntry(1);
    ASSERT_TRUE(mergeButton()->isEnabled());
    QTest::mouseClick(mergeButton(), Qt::LeftButton);
    EXPECT_EQ(destination->listSetFolders(), (QStringList{sets[0], sets[3], sets[4]}));
    EXPECT_EQ(restoreStored(sets[3]), states[3]);
    EXPECT_EQ(restoreStored(sets[4]), states[4]);
    EXPECT_EQ(restoreStored(sets[0]), states[0]);
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 0), 1);
    EXPECT_EQ(stored(ConfigKeys::SUM_TO), QString());
    EXPECT_EQ(entries(), (QStringList{stamp(0), stamp(3), stamp(4)}));
    EXPECT_EQ(mergeButton()->text(), QStringLiteral("SLOUČIT"));
    EXPECT_FALSE(mergeButton()->isEnabled());
    EXPECT_TRUE(list()->isEnabled());
    EXPECT_FALSE(endedWith.has_value()); // an interactive run goes on
}

TEST_F(MergeWindowTest, UnfinishedMergeAtStartLocksThePagesAndOffersToContinue)
{
    makeChain(4);
    config->writeInt(ConfigKeys::SUM_DONE, 0);
    config->writeString(ConfigKeys::SUM_FROM, stamp(1));
    config->writeString(ConfigKeys::SUM_TO, stamp(2));
    startProgram();
    QCoreApplication::processEvents();
    EXPECT_EQ(pages()->currentIndex(), int(ui::MainWindow::MergeIndex));
    for (int i = 0; i < pages()->count(); ++i)
        EXPECT_EQ(pages()->isTabEnabled(i), i == ui::MainWindow::MergeIndex) << "page " << i;
    EXPECT_EQ(mergeButton()->text(), QStringLiteral("pokračovat"));
    EXPECT_TRUE(mergeButton()->isEnabled());
    EXPECT_EQ(selectedRows(), (QList<int>{1, 2}));
    EXPECT_FALSE(list()->isEnabled());
    EXPECT_EQ(status(), QStringLiteral("slučování nebylo dokončeno, bude se pokračovat..."));

    QTest::mouseClick(mergeButton(), Qt::LeftButton);
    EXPECT_EQ(destination->listSetFolders(), (QStringList{sets[0], sets[2], sets[3]}));
    EXPECT_EQ(restoreStored(sets[3]), states[3]);
    for (int i = 0; i < pages()->count(); ++i)
        EXPECT_TRUE(pages()->isTabEnabled(i)) << "page " << i;
}

// Timer1 of an unattended run with SUM_DONE 0: continue the stored range, or end when it is gone.
TEST_F(MergeWindowTest, AutoStartContinuesTheStoredRangeAndEndsTheRun)
{
    makeChain(4);
    config->writeInt(ConfigKeys::SUM_DONE, 0);
    config->writeString(ConfigKeys::SUM_FROM, stamp(0));
    config->writeString(ConfigKeys::SUM_TO, stamp(1));
    startProgram(app::RunMode::Scheduled);
    controller()->Timer1Timer();
    EXPECT_EQ(destination->listSetFolders(), (QStringList{sets[1], sets[2], sets[3]}));
    EXPECT_EQ(restoreStored(sets[2]), states[2]);
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 0), 1);
    EXPECT_EQ(endedWith, std::optional<int>(0));
}

TEST_F(MergeWindowTest, AutoStartWithTheTargetGoneEndsWithoutMerging)
{
    makeChain(3);
    config->writeInt(ConfigKeys::SUM_DONE, 0);
    config->writeString(ConfigKeys::SUM_FROM, stamp(0));
    config->writeString(ConfigKeys::SUM_TO, QStringLiteral("2001-01-01_00-00-00"));
    startProgram(app::RunMode::Scheduled);
    controller()->Timer1Timer();
    EXPECT_EQ(destination->listSetFolders(), sets);
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 0), 1);
    EXPECT_EQ(endedWith, std::optional<int>(0));
    EXPECT_TRUE(program->read(QStringLiteral("log.txt")).contains("merge not continued"));
}

// The fixed archive count after a backup made in the window: keep 2 of 3 sets, the oldest stays.
TEST_F(MergeWindowTest, CompletedBackupKeepsTheFixedArchiveCount)
{
    config->writeString(ConfigKeys::ARCHIVE_COUNT, QStringLiteral("2"));
    Clock::setFake(QDateTime(QDate(2024, 5, 6), QTime(10, 0, 0), QTimeZone::utc()), 0, false);
    startProgram();
    QStringList made;
    for (int i = 0; i < 3; ++i) {
        writeSource(QStringLiteral("f%1.txt").arg(i), QByteArray("from run ") + QByteArray::number(i));
        states.push_back(sourceTree());
        Clock::advanceFake(60);
        window()->showPage(ui::MainWindow::BackupIndex);
        QTest::mouseClick(window()->findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
        made = QDir(destinationDir.path()).entryList({QStringLiteral("OMX_*")}, QDir::Dirs, QDir::Name);
    }
    ASSERT_EQ(made.size(), 2);
    EXPECT_EQ(restoreStored(made[0]), states[0]);
    EXPECT_EQ(restoreStored(made[1]), states[2]);
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 0), 1);
    EXPECT_EQ(pages()->currentIndex(), int(ui::MainWindow::BackupIndex));
    EXPECT_FALSE(endedWith.has_value());
}

TEST_F(MergeWindowTest, ColouredListingFollowsTheSettingsBox)
{
    config->writeInt(ConfigKeys::COLOR_ARCHIVES, 1);
    startProgram();
    QCheckBox* box = window()->settingsPage()->colorListsBox();
    ASSERT_TRUE(box->isChecked());
    EXPECT_TRUE(ui::SetEntryDelegate::isColored(list()));
    window()->showPage(ui::MainWindow::SettingsIndex);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(ui::SetEntryDelegate::isColored(list()));
}

// A readiness pass on another destination folder: the shown list follows it.
TEST_F(MergeWindowTest, AnotherDestinationIsListedAfterTheReadinessPass)
{
    makeChain(2);
    QTemporaryDir other;
    ASSERT_TRUE(QDir(other.path()).mkpath(QStringLiteral("OMX_2030-01-01_00-00-00")));
    startProgram();
    showMergePage();
    ASSERT_EQ(entries().size(), 2);
    config->writeString(ConfigKeys::BACKUP_DIR, other.path());
    assembly().backup().readinessCheck();
    QCoreApplication::processEvents();
    EXPECT_EQ(entries(), QStringList{QStringLiteral("2030-01-01_00-00-00")});
}

} // namespace ombrix::test
