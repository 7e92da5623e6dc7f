#include "ui/mainwindow/MainWindow.h"

#include "core/log/Status.h"
#include "support/Screenshots.h"
#include "support/TempProgramFolder.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/mainwindow/TrafficLamp.h"
#include "ui/mainwindow/TrafficLight.h"
#include "ui/mainwindow/WindowHost.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace ombrix;
using namespace ombrix::ui;

namespace {

template <typename T> T* child(QWidget* root, const char* name)
{
    T* found = root->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

} // namespace

TEST(MainWindow, SevenPagesInOrderWithTheirCaptions)
{
    MainWindow window;
    auto* pages = child<QTabWidget>(&window, "PageControl1");
    ASSERT_NE(pages, nullptr);
    const QStringList expected = {QString::fromUtf8("Úvod"),          QString::fromUtf8("Co zálohovat"),
                                  QString::fromUtf8("Kam zálohovat"), QString::fromUtf8("Zálohování"),
                                  QString::fromUtf8("Obnova"),        QString::fromUtf8("Sloučení archivů"),
                                  QString::fromUtf8("Nastavení")};
    ASSERT_EQ(pages->count(), expected.size());
    for (int i = 0; i < pages->count(); ++i)
        EXPECT_EQ(pages->tabText(i), expected.at(i)) << i;
    EXPECT_EQ(pages->widget(MainWindow::BackupIndex), window.backupPage());
    EXPECT_EQ(pages->widget(MainWindow::SettingsIndex), window.settingsPage());
    EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("Ombrix v")));
}

TEST(MainWindow, SetPagesEnabledLeavesTheKeptPageAlone)
{
    MainWindow window;
    QTabWidget* pages = window.pages();
    window.setPagesEnabled(false, 3);
    for (int i = 0; i < pages->count(); ++i)
        EXPECT_EQ(pages->isTabEnabled(i), i == 3) << i;

    // The kept page keeps whatever state it had, even a disabled one.
    window.setPagesEnabled(true, 0);
    EXPECT_FALSE(pages->isTabEnabled(0));
    for (int i = 1; i < pages->count(); ++i)
        EXPECT_TRUE(pages->isTabEnabled(i)) << i;
    window.setPagesEnabled(true, 5);
    EXPECT_TRUE(pages->isTabEnabled(0));
    EXPECT_TRUE(window.backupPage()->isEnabled());
}

TEST(MainWindow, BackupPageStartsWithTheTransferLabelHiddenAndSkipDisabled)
{
    MainWindow window;
    window.show();
    window.showPage(MainWindow::BackupIndex);
    auto* transfer = child<QLabel>(&window, "Label45");
    ASSERT_NE(transfer, nullptr);
    EXPECT_EQ(transfer->text(), QStringLiteral("FTP přenos"));
    EXPECT_FALSE(transfer->isVisible());
    EXPECT_FALSE(child<QPushButton>(&window, "Button21")->isEnabled());
    EXPECT_EQ(child<QPushButton>(&window, "BitBtn1")->text(), QStringLiteral("START"));
    for (const char* name : {"StaticText1", "ProgressBar1", "Label3", "ComboBox1", "Button11", "imgStartc",
                             "imgIncrementc", "imgPrerusenic", "Label12", "Label13", "Label14"})
        EXPECT_NE(window.findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
}

TEST(WindowHost, TrafficLightShowsOneLampAndItsLabel)
{
    MainWindow window;
    WindowHost host(&window);
    const char* lamps[] = {"imgStartc", "imgIncrementc", "imgPrerusenic"};
    const char* labels[] = {"Label12", "Label13", "Label14"};
    for (int stav : {1, 2, 3, 0, 2, 7, -1}) {
        semafor(host, stav);
        const int lit = (stav >= 1 && stav <= 3) ? stav : 0;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(child<TrafficLamp>(&window, lamps[i])->isLit(), lit == i + 1) << stav << " " << i;
            EXPECT_EQ(child<QLabel>(&window, labels[i])->isEnabled(), lit == i + 1) << stav << " " << i;
        }
        EXPECT_EQ(window.backupPage()->trafficLight()->state(), lit);
    }
    EXPECT_EQ(child<QLabel>(&window, "Label13")->text(),
              QStringLiteral("Provede se nová přírůstková záloha"));
}

TEST(WindowHost, StatusLinesShowTwoLeadingBlanksAndHandleTheirHints)
{
    MainWindow window;
    WindowHost host(&window);
    auto* line1 = child<QLabel>(&window, "StaticText1");
    auto* line3 = child<QLabel>(&window, "StaticText3");

    host.setStatusHint(Page::Backup, QStringLiteral("/home/a/file.txt"));
    info(host, QStringLiteral("Probíhá zálohování..."));
    EXPECT_EQ(line1->text(), QStringLiteral("  Probíhá zálohování..."));
    EXPECT_TRUE(line1->toolTip().isEmpty());

    const QString long56 =
        QStringLiteral("0123456789") + QStringLiteral("a").repeated(40) + QStringLiteral("ZYXWVU");
    info(host, long56);
    EXPECT_EQ(line1->text(),
              QStringLiteral("  ") + long56.left(10) + QStringLiteral("...") + long56.right(46));

    host.setStatusHint(Page::Merge, QStringLiteral("hint"));
    info3(host, QStringLiteral("Slučování"));
    EXPECT_EQ(line3->text(), QStringLiteral("  Slučování"));
    EXPECT_EQ(line3->toolTip(), QStringLiteral("hint"));

    info2(host, QStringLiteral("Obnova"));
    EXPECT_EQ(child<QLabel>(&window, "StaticText2")->text(), QStringLiteral("  Obnova"));
}

TEST(WindowHost, ProgressNeverTurnsIntoABusyIndicator)
{
    MainWindow window;
    WindowHost host(&window);
    auto* bar = child<QProgressBar>(&window, "ProgressBar1");
    host.setProgress(Page::Backup, 9, 4);
    EXPECT_EQ(bar->maximum(), 9);
    EXPECT_EQ(bar->value(), 4);
    // One item (maximum 0) and none (maximum -1) keep a real range.
    for (int maximum : {0, -1}) {
        host.setProgress(Page::Backup, maximum, 0);
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_GT(bar->maximum(), 0);
        EXPECT_EQ(bar->value(), 0);
    }
    host.setProgress(Page::Backup, 5, 99);
    EXPECT_EQ(bar->value(), 5);
    host.setProgress(Page::Merge, 3, 1);
    EXPECT_EQ(child<QProgressBar>(&window, "ProgressBar3")->value(), 1);
    EXPECT_EQ(bar->value(), 5);
}

TEST(WindowHost, TransferLabelAndPercent)
{
    MainWindow window;
    window.show();
    window.showPage(MainWindow::BackupIndex);
    WindowHost host(&window);
    auto* transfer = child<QLabel>(&window, "Label45");
    auto* percent = child<QLabel>(&window, "Label3");
    host.setTransferActivity(true, QStringLiteral("42 %"));
    EXPECT_TRUE(transfer->isVisible());
    EXPECT_EQ(percent->text(), QStringLiteral("42 %"));
    EXPECT_TRUE(percent->isVisible());
    host.setTransferActivity(false);
    EXPECT_FALSE(transfer->isVisible());
    EXPECT_FALSE(percent->isVisible());
}

TEST(WindowHost, NobodyAnswersOffscreenSoTheDefaultComesBackAtOnce)
{
    MainWindow window;
    WindowHost host(&window);
    EXPECT_FALSE(host.personPresent());
    EXPECT_EQ(host.ask(AskKind::YesNo, QStringLiteral("?"), Answer::No), Answer::No);
    EXPECT_EQ(host.ask(AskKind::Error, QStringLiteral("!")), Answer::Ok);
    QString shown;
    QObject::connect(&host, &WindowHost::logRequested, [&](const QString& path) { shown = path; });
    host.showLog(QStringLiteral("log.txt"));
    EXPECT_EQ(shown, QStringLiteral("log.txt"));
}

TEST(SettingsPage, ResetNeedsItsBoxAndThePasswordFieldItsSwitch)
{
    MainWindow window;
    window.show();
    window.showPage(MainWindow::SettingsIndex);
    auto* reset = child<QCheckBox>(&window, "CheckBox2");
    auto* resetButton = child<QPushButton>(&window, "Button5");
    auto* password = child<QCheckBox>(&window, "CheckBox9");
    auto* passwordEdit = child<QLineEdit>(&window, "Edit12");
    EXPECT_FALSE(resetButton->isEnabled());
    QTest::mouseClick(reset, Qt::LeftButton, {}, QPoint(4, reset->height() / 2));
    EXPECT_TRUE(resetButton->isEnabled());
    reset->setChecked(false);
    EXPECT_FALSE(resetButton->isEnabled());

    EXPECT_FALSE(passwordEdit->isEnabled());
    EXPECT_EQ(passwordEdit->echoMode(), QLineEdit::Password);
    password->setChecked(true);
    EXPECT_TRUE(passwordEdit->isEnabled());
    QTest::keyClicks(passwordEdit, QStringLiteral("tajne"));
    password->setChecked(false);
    EXPECT_FALSE(passwordEdit->isEnabled());
    EXPECT_TRUE(passwordEdit->text().isEmpty());

    const struct
    {
        const char* name;
        const char* caption;
    } boxes[] = {
        {"CheckBox1", "Před startem zálohování spustit program:"},
        {"CheckBox3", "Po dokončení zálohování spustit program:"},
        {"CheckBox6", "Použít účinnější, ale pomalejší kompresi"},
        {"CheckBox7", "Před zálohováním zkontrolovat archivy a ztracené soubory znovu zazálohovat"},
        {"CheckBox9", "Nastavit heslo:"},
        {"CheckBox14",
         "Po startu automaticky zahájit zálohování a ukončit program (použít jen při potížích s "
         "parametrem -start)"},
        {"CheckBox15",
         "Přeskakovat neplatné záznamy na záložce: co zálohovat. Neplatné záznamy pouze logovat."},
        {"CheckBox17", "Po dokončení zálohování vypnout počítač"},
    };
    for (const auto& box : boxes)
        EXPECT_EQ(child<QCheckBox>(&window, box.name)->text(), QString::fromUtf8(box.caption)) << box.name;
    EXPECT_NE(window.findChild<QLineEdit*>(QStringLiteral("Edit6")), nullptr);
    EXPECT_NE(window.findChild<QLineEdit*>(QStringLiteral("Edit7")), nullptr);
}

TEST(MainWindow, FitsAt1024x768AndScreenshotsOfBackupAndSettingsPages)
{
    MainWindow window;
    const QSize minimum = window.minimumSizeHint();
    EXPECT_LE(minimum.width(), 1024);
    EXPECT_LE(minimum.height(), 740);
    window.resize(1024, 740);
    window.show();
    WindowHost host(&window);
    semafor(host, 2);
    info(host, QStringLiteral("Nový start zálohování je připraven"));
    host.setProgress(Page::Backup, 10, 4);

    for (const auto& [index, name] : {std::pair{int(MainWindow::BackupIndex), "page3-zalohovani.png"},
                                      std::pair{int(MainWindow::SettingsIndex), "page6-nastaveni.png"}}) {
        window.showPage(index);
        QCoreApplication::processEvents();
        const QString path = test::screenshotPath(QLatin1String(name));
        ASSERT_TRUE(window.grab().save(path)) << path.toStdString();
        EXPECT_GT(QFileInfo(path).size(), 0);
    }
}
