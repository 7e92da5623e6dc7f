#include "BackupWindowFixture.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/log/Status.h"
#include "support/Screenshots.h"
#include "ui/logviewer/LogViewer.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RunController.h"
#include "ui/wiring/BackupEngines.h"
#include "ui/wiring/BackupWiring.h"
#include "ui/wiring/WindowBackupControls.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace ombrix;
using namespace ombrix::test;

namespace {

QString shown(const char* czechText)
{
    return statusText(Page::Backup, QString::fromUtf8(czechText)).trimmed();
}

QByteArray text(int lines, const char* word)
{
    QByteArray bytes;
    for (int i = 0; i < lines; ++i)
        bytes += QByteArray(word) + ' ' + QByteArray::number(i) + '\n';
    return bytes;
}

} // namespace

TEST_F(BackupWindowFixture, StartMakesAFullBackupThenAnIncrementalOne)
{
    const QString a = writeSource(QStringLiteral("a.txt"), text(50, "alpha"));
    const QString b = writeSource(QStringLiteral("sub/b c.txt"), text(80, "beta"));
    const QString c = writeSource(QString::fromUtf8("sub/deeper/žluťoučký kůň.txt"), text(20, "gamma"));
    startProgram();
    EXPECT_EQ(status(), shown("Nový start zálohování je připraven"));
    EXPECT_EQ(light(), 1);

    clickStart();
    ASSERT_EQ(sets().size(), 1);
    const QString first = sets().first();
    EXPECT_EQ(status(), shown("Úspěšný konec zálohování"));
    EXPECT_EQ(light(), 2);
    EXPECT_EQ(button("BitBtn1")->text(), QStringLiteral("START"));
    EXPECT_EQ(button("BitBtn1")->font().pointSize(), 16);
    EXPECT_TRUE(button("BitBtn1")->isEnabled());
    EXPECT_FALSE(button("Button21")->isEnabled());
    for (const QString& file : {a, b, c})
        EXPECT_TRUE(QFileInfo::exists(archiveOf(first, file))) << file.toStdString();
    EXPECT_EQ(catalogOf(first).size(), 3);
    EXPECT_EQ(configValue(u"SYSTEM", u"LAST_BACKUP_DONE"), QStringLiteral("1"));
    EXPECT_EQ(configValue(u"SYSTEM", u"LAST_ARCHIV_NAME"), first);
    // The pages are unlocked again and the password cannot change inside the chain.
    ui::MainWindow* window = program().shell().window();
    for (int page = 0; page < ui::MainWindow::PageCount; ++page)
        EXPECT_TRUE(window->pages()->isTabEnabled(page)) << page;
    EXPECT_FALSE(window->findChild<QCheckBox*>(QStringLiteral("CheckBox9"))->isEnabled());

    EXPECT_TRUE(window->grab().save(screenshotPath(QStringLiteral("backup_page_after_run.png"))));

    // A changed file: the next click makes an incremental set holding only that file (what its
    // catalog then holds is the backup run's own test, BackupRunTest).
    writeSource(QStringLiteral("sub/b c.txt"), text(90, "beta"));
    clickStart();
    ASSERT_EQ(sets().size(), 2) << status().toStdString();
    const QString second = sets().last();
    EXPECT_EQ(status(), shown("Úspěšný konec zálohování"));
    EXPECT_TRUE(QFileInfo::exists(archiveOf(second, b)));
    EXPECT_FALSE(QFileInfo::exists(archiveOf(second, a)));
    EXPECT_EQ(catalogOf(second).size(), 3);
}

TEST_F(BackupWindowFixture, StopInTheMiddleThenContinueCompletesTheSameSet)
{
    QStringList files;
    for (int i = 0; i < 6; ++i)
        files.append(writeSource(QStringLiteral("f%1.txt").arg(i), text(200 + i, "line")));
    startProgram();

    // STOP is pressed once the second file is being archived; the click is handled inside the
    // run's message pumping, as a person's click is.
    QPushButton* start = button("BitBtn1");
    QProgressBar* bar = program().shell().window()->backupPage()->progressBar();
    bool pressed = false;
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [&](int value) {
        if (pressed || value < 1 || start->text() != QLatin1String("STOP"))
            return;
        pressed = true;
        QTimer::singleShot(0, start, [start] { QTest::mouseClick(start, Qt::LeftButton); });
    });
    clickStart();
    ASSERT_TRUE(pressed);
    ASSERT_EQ(sets().size(), 1);
    const QString set = sets().first();
    EXPECT_EQ(status(), shown("přerušeno uživatelem"));
    EXPECT_EQ(start->text(), QStringLiteral("pokračovat.."));
    EXPECT_EQ(start->font().pointSize(), 10);
    EXPECT_TRUE(start->isEnabled());
    EXPECT_EQ(light(), 3);
    EXPECT_EQ(configValue(u"SYSTEM", u"LAST_BACKUP_DONE"), QStringLiteral("0"));
    const int stoppedAt = configValue(u"SYSTEM", u"LAST_BACKUP_LIST_INDEX").toInt();
    EXPECT_LT(stoppedAt, files.size() - 1);
    int archived = 0;
    for (const QString& file : files)
        archived += QFileInfo::exists(archiveOf(set, file)) ? 1 : 0;
    EXPECT_LT(archived, files.size());

    // Pressing again continues in the same set and completes it.
    clickStart();
    EXPECT_EQ(sets(), QStringList{set});
    EXPECT_EQ(status(), shown("Úspěšný konec zálohování"));
    EXPECT_EQ(start->text(), QStringLiteral("START"));
    EXPECT_EQ(light(), 2);
    for (const QString& file : files)
        EXPECT_TRUE(QFileInfo::exists(archiveOf(set, file))) << file.toStdString();
    EXPECT_EQ(catalogOf(set).size(), files.size());
    EXPECT_EQ(configValue(u"SYSTEM", u"LAST_BACKUP_DONE"), QStringLiteral("1"));
}

TEST_F(BackupWindowFixture, ResetMakesTheNextStartANewFullBackup)
{
    const QString a = writeSource(QStringLiteral("a.txt"), text(10, "alpha"));
    startProgram();
    clickStart();
    ASSERT_EQ(sets().size(), 1);

    ui::MainWindow* window = program().shell().window();
    window->showPage(ui::MainWindow::SettingsIndex);
    auto* resetBox = window->findChild<QCheckBox*>(QStringLiteral("CheckBox2"));
    QTest::mouseClick(resetBox, Qt::LeftButton, {}, QPoint(8, resetBox->height() / 2));
    ASSERT_TRUE(button("Button5")->isEnabled());
    QTest::mouseClick(button("Button5"), Qt::LeftButton);
    EXPECT_EQ(status(), shown("Nový start zálohování je připraven"));
    EXPECT_EQ(light(), 1);
    EXPECT_FALSE(button("Button5")->isEnabled());
    EXPECT_FALSE(resetBox->isChecked());
    EXPECT_EQ(configValue(u"SYSTEM", u"LAST_ARCHIV_NAME"), QString());
    EXPECT_TRUE(window->findChild<QCheckBox*>(QStringLiteral("CheckBox9"))->isEnabled());

    // Nothing changed at the source, yet the next run is a full one in a new chain.
    clickStart();
    ASSERT_EQ(sets().size(), 2);
    EXPECT_TRUE(QFileInfo::exists(archiveOf(sets().last(), a)));
    EXPECT_EQ(status(), shown("Úspěšný konec zálohování"));
}

TEST_F(BackupWindowFixture, AFileThatVanishesEndsWithAWarningAndTheLogViewer)
{
    writeSource(QStringLiteral("a.txt"), text(300, "alpha"));
    writeSource(QStringLiteral("b.txt"), text(300, "beta"));
    const QString gone = writeSource(QStringLiteral("z.txt"), text(300, "zeta"));
    startProgram();

    // The last file of the catalog is removed while the first ones are being archived.
    QProgressBar* bar = program().shell().window()->backupPage()->progressBar();
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [&](int value) {
        if (value >= 1)
            QFile::remove(gone);
    });
    struct Shown
    {
        int count = 0;
        bool visible = false;
        bool modal = false;
        bool readOnly = false;
        QString title;
        QString text;
    } seen;
    ui::WindowBackupControls& controls = program().backup().controls();
    controls.setModalShower([&](ui::LogViewer& viewer) {
        QTimer::singleShot(0, &viewer, [&] {
            ++seen.count;
            seen.visible = viewer.isVisible();
            seen.modal = viewer.isModal();
            seen.readOnly = viewer.memo()->isReadOnly();
            seen.title = viewer.windowTitle();
            seen.text = viewer.memo()->toPlainText();
            viewer.close();
        });
        viewer.showModal();
    });
    clickStart();

    EXPECT_EQ(status(), shown("Zálohování dokončeno s varováním. Více v log.txt"));
    EXPECT_EQ(light(), 2);
    EXPECT_EQ(seen.count, 1);
    EXPECT_TRUE(seen.visible);
    EXPECT_TRUE(seen.modal);
    EXPECT_TRUE(seen.readOnly);
    EXPECT_EQ(seen.title, QStringLiteral("LOG.TXT"));
    EXPECT_TRUE(seen.text.contains(QStringLiteral("not archived: ") + gone)) << seen.text.toStdString();
    // The dropped file is not in the set's catalog, so the next run tries it again.
    ASSERT_EQ(sets().size(), 1);
    EXPECT_EQ(catalogOf(sets().first()).size(), 2);
}

TEST_F(BackupWindowFixture, ApplyingAnotherDestinationFolderRunsTheReadinessCheckAgain)
{
    const QString a = writeSource(QStringLiteral("a.txt"), text(10, "alpha"));
    startProgram();
    clickStart();
    ASSERT_EQ(sets().size(), 1);
    ui::BackupEngines* before = program().backup().engines();

    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    ui::MainWindow* window = program().shell().window();
    window->showPage(ui::MainWindow::DestinationIndex);
    auto* folder = window->findChild<QLineEdit*>(QStringLiteral("Edit1"));
    folder->setText(other.path());
    QTest::mouseClick(button("Button16"), Qt::LeftButton);

    // A fresh readiness pass on a fresh store: the last set is not on the new destination.
    EXPECT_NE(program().backup().engines(), before);
    EXPECT_EQ(configValue(u"SYSTEM", u"BACKUP_DIR"), other.path());
    EXPECT_EQ(status(), shown("Chyba integrity. Pro opravu použijte tlačítko NAVÁZAT"));
    EXPECT_EQ(light(), 1);
    EXPECT_TRUE(button("BitBtn1")->isEnabled());

    clickStart();
    ASSERT_EQ(sets(other.path()).size(), 1);
    EXPECT_EQ(sets().size(), 1);
    EXPECT_EQ(status(), shown("Úspěšný konec zálohování"));
}

TEST_F(BackupWindowFixture, UnreachableDestinationDisablesStart)
{
    IniStore(home->file(QStringLiteral("config.ini")))
        .writeString(ConfigKeys::BACKUP_DIR, destination.filePath(QStringLiteral("missing")));
    startProgram();
    EXPECT_EQ(status(), shown("Cílová složka není dostupná. Zálohování není možné."));
    EXPECT_EQ(light(), 0);
    EXPECT_FALSE(button("BitBtn1")->isEnabled());
    EXPECT_FALSE(endedWith.has_value());
}

TEST_F(BackupWindowFixture, ScheduledRunStartsFromTimer1AndEndsTheProcess)
{
    writeSource(QStringLiteral("a.txt"), text(10, "alpha"));
    startProgram(app::RunMode::Scheduled);
    EXPECT_FALSE(program().shell().window()->isVisible());
    QTimer* timer1 = program().shell().controller()->autoStartTimer();
    ASSERT_TRUE(timer1->isActive());
    EXPECT_EQ(timer1->interval(), 5000);
    Clock::advanceFake(60);
    timer1->setInterval(0);
    timer1->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return endedWith.has_value(); }, 120000))
        << "the scheduled run did not end the process within 120 s of Timer1";
    EXPECT_EQ(*endedWith, 0);
    ASSERT_EQ(sets().size(), 1);
    EXPECT_EQ(status(), shown("Úspěšný konec zálohování"));
    EXPECT_EQ(configValue(u"SYSTEM", u"LAST_BACKUP_DONE"), QStringLiteral("1"));
}
