#include "core/catalog/CatalogFile.h"
#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"
#include "support/RestoreFixture.h"
#include "ui/mainwindow/DestinationPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/MergePage.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RestorePage.h"
#include "ui/mainwindow/RunController.h"
#include "ui/mainwindow/StatusLine.h"
#include "ui/wiring/BackupWiring.h"
#include "ui/wiring/ProgramAssembly.h"
#include "ui/wiring/RestoreWiring.h"

#include <functional>
#include <memory>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace ombrix::test {

// The real program window on a destination holding a chain of sets made with the real 7za. While
// an operation of the merge or restore page lets events run, the person switches to the
// destination page and presses "Použij": the readiness pass that follows makes a new generation
// of the backup engines with a new configuration store. The running operation must go on with
// what it started on. Built with -DOMBRIX_ASAN=ON, any use of a freed store or engine is reported
// as heap-use-after-free and fails the test program.
class ReadinessDuringPageOperation : public RestoreFixture
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
        QDir::setCurrent(m_previousDir);
        RestoreFixture::TearDown();
    }

    // count sets; set i changes "changing.txt" and adds "f<i>.txt".
    void makeChain(int count)
    {
        for (int i = 0; i < count; ++i) {
            writeSource(QStringLiteral("changing.txt"), QByteArray("version ") + QByteArray::number(i));
            writeSource(QStringLiteral("f%1.txt").arg(i), QByteArray(3000, char('a' + i)));
            sets << makeSet();
        }
    }

    void startProgram()
    {
        m_program = std::make_unique<ui::ProgramAssembly>(app::RunMode::Interactive);
        m_program->shell().controller()->setTerminator([](int) {});
        m_program->shell().controller()->setExitDelay(0);
        m_program->restore().setTreeEnabled(false);
        ASSERT_TRUE(m_program->start());
    }

    ui::MainWindow* window() const { return m_program->shell().window(); }
    ui::BackupEngines* engines() const { return m_program->backup().engines(); }
    QString stamp(int i) const { return SetName::withoutPrefix(sets[i]); }

    void showPage(int index)
    {
        window()->showPage(index);
        QCoreApplication::processEvents();
    }

    static void clickRow(QListWidget* list, int row)
    {
        QListWidgetItem* item = list->item(row);
        ASSERT_NE(item, nullptr);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    }

    // The first time the next operation lets events run, "Použij" of the folder destination is
    // pressed on the destination page (with the folder unchanged, so only the pass itself differs).
    // operationRunning tells whether the operation was under way at that moment.
    void applyDestinationDuringNextOperation(std::function<bool()> operationRunning)
    {
        QTimer::singleShot(0, window(), [this, running = std::move(operationRunning)] {
            m_appliedWhileRunning = running();
            window()->showPage(ui::MainWindow::DestinationIndex);
            auto* apply = window()->destinationPage()->findChild<QPushButton*>(QStringLiteral("Button16"));
            ASSERT_NE(apply, nullptr);
            ASSERT_TRUE(apply->isEnabled());
            QTest::mouseClick(apply, Qt::LeftButton);
            m_applied = true;
        });
    }

    void expectAppliedDuringTheOperation(const ui::BackupEngines* before) const
    {
        EXPECT_TRUE(m_applied) << "the operation never let events run";
        EXPECT_TRUE(m_appliedWhileRunning) << "\"Použij\" was pressed outside the operation";
        // The pass made a new generation while the operation held on to the one it started with.
        EXPECT_NE(engines(), before);
    }

    QStringList sets;

  private:
    QString m_previousDir;
    std::unique_ptr<ui::ProgramAssembly> m_program;
    bool m_applied = false;
    bool m_appliedWhileRunning = false;
};

TEST_F(ReadinessDuringPageOperation, SizeMeasurementOfTwoSetsEndsNormallyThroughAnApply)
{
    makeChain(2);
    startProgram();
    showPage(ui::MainWindow::MergeIndex);
    QListWidget* list = window()->mergePage()->setList();
    ASSERT_EQ(list->count(), 2);
    clickRow(list, 0);
    clickRow(list, 1);
    ASSERT_TRUE(list->item(0)->isSelected() && list->item(1)->isSelected());

    QPushButton* size = window()->mergePage()->sizeButton();
    const ui::BackupEngines* before = engines();
    applyDestinationDuringNextOperation([size] { return size->text() == QStringLiteral("STOP"); });
    QTest::mouseClick(size, Qt::LeftButton);

    expectAppliedDuringTheOperation(before);
    // Both sets were measured and stay selected, as after any measurement.
    ASSERT_EQ(list->count(), 2);
    for (int row = 0; row < 2; ++row) {
        EXPECT_TRUE(list->item(row)->text().startsWith(stamp(row) + QStringLiteral(" ..... ")))
            << list->item(row)->text().toStdString();
        EXPECT_TRUE(list->item(row)->isSelected()) << row;
    }
    const QString status = window()->mergePage()->statusLine()->text().trimmed();
    EXPECT_TRUE(status.startsWith(QString::fromUtf8("Součet velikostí vybraných archivů: ")))
        << status.toStdString();
    EXPECT_EQ(size->text(), QString::fromUtf8("Velikost vybraných archivů"));

    // Shown again, the page lists the sets of the applied destination afresh.
    showPage(ui::MainWindow::MergeIndex);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), stamp(1));
}

TEST_F(ReadinessDuringPageOperation, LostFileTestEndsNormallyThroughAnApply)
{
    makeChain(2);
    // The newest set lost the archive of its own file.
    const QString lost = sourceDir.filePath(QStringLiteral("f1.txt"));
    const QString archive = destinationDir.filePath(sets[1]) + lost + QStringLiteral(".7z");
    ASSERT_TRUE(QFile::remove(archive)) << archive.toStdString();
    startProgram();
    showPage(ui::MainWindow::RestoreIndex);
    ui::RestorePage* page = window()->restorePage();
    ASSERT_EQ(page->setList()->count(), 2);
    clickRow(page->setList(), 1);
    QPushButton* test = page->testButton();
    ASSERT_TRUE(test->isEnabled());

    const ui::BackupEngines* before = engines();
    applyDestinationDuringNextOperation([test] { return test->text() == QStringLiteral("stop"); });
    QTest::mouseClick(test, Qt::LeftButton);

    expectAppliedDuringTheOperation(before);
    EXPECT_EQ(page->testResult()->text(), QString::fromUtf8("Chybějících soub.: 1"));
    EXPECT_EQ(test->text(), QStringLiteral("test"));
    // The report of the lost file was saved, as after every test that finds one.
    const QString report = QString::fromUtf8(program->read(QStringLiteral("log.txt")));
    EXPECT_TRUE(report.contains(QStringLiteral("lost file: ") + lost)) << report.toStdString();
}

TEST_F(ReadinessDuringPageOperation, SetChoiceEndsNormallyThroughAnApply)
{
    makeChain(2);
    startProgram();
    showPage(ui::MainWindow::RestoreIndex);
    ui::RestorePage* page = window()->restorePage();
    QListWidget* list = page->setList();
    ASSERT_EQ(list->count(), 2);

    const ui::BackupEngines* before = engines();
    // While a set is being prepared, the set list is disabled.
    applyDestinationDuringNextOperation([list] { return !list->isEnabled(); });
    clickRow(list, 1);

    expectAppliedDuringTheOperation(before);
    // The choice was prepared to its end on the set it started with: that set's catalog is the
    // work list and the set's buttons are usable.
    EXPECT_EQ(CatalogFile::read(program->file(QStringLiteral("recoverylist.csv"))).lines, catalogOf(sets[1]));
    EXPECT_TRUE(page->testButton()->isEnabled());
    EXPECT_TRUE(page->runButton()->isEnabled());
    EXPECT_TRUE(list->isEnabled());
    // The restore step of the readiness pass followed when the choice had ended.
    EXPECT_EQ(page->statusLine()->text().trimmed(), QStringLiteral("Vyberte archiv"));
}

} // namespace ombrix::test
