#include "ui/mainwindow/ScheduleGroup.h"

#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "core/schedule/ScheduleUnits.h"
#include "DesktopTestSupport.h"
#include "platform/UserSchedule.h"
#include "platform/UserServiceManager.h"
#include "support/TempProgramFolder.h"
#include "ui/lang/LanguageSwitcher.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RunController.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/wiring/ProgramAssembly.h"
#include "ui/wiring/ScheduleWiring.h"

#include <gtest/gtest.h>
#include <memory>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>

using namespace ombrix;
using namespace ombrix::ui;
using platform::ScheduleOutcome;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

// Stands in for "systemctl --user", so no test ever touches the real user manager: records every
// command and answers as the test says.
class FakeServiceManager : public platform::UserServiceManager
{
  public:
    bool available = true;
    // The first word of a command that fails ("enable", ...), empty for none.
    QString failing;
    QString failureOutput = QStringLiteral("Failed to enable unit: Unit ombrix-backup.timer is masked.");
    QList<QStringList> commands;

    bool isAvailable() override { return available; }
    platform::ServiceCommandResult run(const QStringList& arguments) override
    {
        commands << arguments;
        if (!failing.isEmpty() && arguments.value(0) == failing)
            return {false, failureOutput};
        return {true, QString()};
    }
};

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

const QStringList reload{QStringLiteral("daemon-reload")};
const QStringList enableNow{QStringLiteral("enable"), QStringLiteral("--now"),
                            QStringLiteral("ombrix-backup.timer")};
const QStringList disableNow{QStringLiteral("disable"), QStringLiteral("--now"),
                             QStringLiteral("ombrix-backup.timer")};

// The settings page in a shown 1024x768 window, its schedule group wired to a fake service
// manager, a temporary unit folder and the config.ini of a temporary program folder.
class ScheduleGroupTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(units.isValid());
        home.write(QStringLiteral("config.ini"), defaultConfigBytes());
        window.resize(1024, 768);
        window.show();
        window.showPage(MainWindow::SettingsIndex);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        group = window.settingsPage()->scheduleGroup();
        ASSERT_NE(group, nullptr);
        wiring = std::make_unique<ScheduleWiring>(group, configPath());
        wiring->setServiceManager(&manager);
        wiring->setUnitFolder(units.path());
        wiring->setProgram(program);
        wiring->setProgramFolder(home.path());
        // The group lies low on the page; bring it into view as a person scrolls to it.
        if (auto* scroll = window.findChild<QScrollArea*>(QStringLiteral("SettingsScroll")))
            scroll->ensureWidgetVisible(group);
        QCoreApplication::processEvents();
    }
    void TearDown() override { test::resetLanguage(); }

    QString configPath() const { return home.file(QStringLiteral("config.ini")); }
    QString key(const ConfigKey& k) const
    {
        return IniStore(configPath()).readString(k, QStringLiteral("<missing>"));
    }
    QString timerFile() const { return QDir(units.path()).filePath(QStringLiteral("ombrix-backup.timer")); }
    QString serviceFile() const
    {
        return QDir(units.path()).filePath(QStringLiteral("ombrix-backup.service"));
    }
    // What a person does: a click on a radio button's indicator, a day picked from the list, a
    // time set, a click on "Použij".
    void choose(QRadioButton* radio)
    {
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
    }
    void pickDay(int day) { group->dayList()->setCurrentIndex(group->dayList()->findData(day)); }
    void setTime(int hour, int minute) { group->timeEdit()->setTime(QTime(hour, minute)); }
    void clickApply() { QTest::mouseClick(group->applyButton(), Qt::LeftButton); }
    QString state() const
    {
        return group->stateLabel()->isVisible() ? group->stateLabel()->text() : QString();
    }

    const QString program = QStringLiteral("/usr/bin/ombrix");
    test::TempProgramFolder home;
    QTemporaryDir units;
    FakeServiceManager manager;
    MainWindow window;
    ScheduleGroup* group = nullptr;
    std::unique_ptr<ScheduleWiring> wiring;
};

} // namespace

TEST_F(ScheduleGroupTest, AWeeklyScheduleIsStoredWrittenEnabledAndSaidSo)
{
    // Off at first: neither the day nor the time means anything yet.
    EXPECT_TRUE(group->offChoice()->isChecked());
    EXPECT_FALSE(group->dayList()->isEnabled());
    EXPECT_FALSE(group->timeEdit()->isEnabled());

    choose(group->weeklyChoice());
    ASSERT_TRUE(group->weeklyChoice()->isChecked());
    EXPECT_TRUE(group->dayList()->isEnabled());
    EXPECT_TRUE(group->timeEdit()->isEnabled());
    pickDay(3);
    setTime(7, 30);
    EXPECT_EQ(group->timeEdit()->time(), QTime(7, 30));
    clickApply();

    EXPECT_EQ(key(ConfigKeys::SCHEDULE), QStringLiteral("WEEKLY"));
    EXPECT_EQ(key(ConfigKeys::SCHEDULE_TIME), QStringLiteral("07:30"));
    EXPECT_EQ(key(ConfigKeys::SCHEDULE_DAY), QStringLiteral("3"));
    EXPECT_TRUE(readText(timerFile()).contains(QStringLiteral("\nOnCalendar=Wed *-*-* 07:30:00\n")))
        << qPrintable(readText(timerFile()));
    EXPECT_TRUE(readText(serviceFile()).contains(QStringLiteral("\nExecStart=\"/usr/bin/ombrix\" -start\n")))
        << qPrintable(readText(serviceFile()));
    EXPECT_EQ(manager.commands, (QList<QStringList>{reload, enableNow}));
    EXPECT_EQ(state(), u8("Plánované zálohování je zapnuto: týdně, středa v 07:30"));
    EXPECT_FALSE(group->crontabEdit()->isVisible());

    // Turning it off stops the timer and removes both files.
    manager.commands.clear();
    choose(group->offChoice());
    EXPECT_FALSE(group->dayList()->isEnabled());
    clickApply();
    EXPECT_EQ(key(ConfigKeys::SCHEDULE), QStringLiteral("OFF"));
    EXPECT_EQ(manager.commands.value(0), disableNow);
    EXPECT_FALSE(QFileInfo::exists(timerFile()));
    EXPECT_FALSE(QFileInfo::exists(serviceFile()));
    EXPECT_EQ(state(), u8("Plánované zálohování je vypnuto"));
}

// Without a systemd user manager nothing is written; the page says so and offers the crontab
// line that runs the same backups, whole and ready to copy.
TEST_F(ScheduleGroupTest, WithoutAUserManagerTheCrontabLineIsShown)
{
    manager.available = false;
    choose(group->dailyChoice());
    setTime(20, 15);
    clickApply();
    EXPECT_EQ(key(ConfigKeys::SCHEDULE), QStringLiteral("DAILY"));
    EXPECT_EQ(key(ConfigKeys::SCHEDULE_TIME), QStringLiteral("20:15"));
    EXPECT_TRUE(manager.commands.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(timerFile()));
    EXPECT_TRUE(state().startsWith(u8("Správce služeb systemd pro tohoto uživatele neodpovídá")))
        << qPrintable(state());

    BackupSchedule daily;
    daily.frequency = BackupSchedule::Frequency::Daily;
    daily.hour = 20;
    daily.minute = 15;
    QLineEdit* line = group->crontabEdit();
    ASSERT_TRUE(line->isVisible());
    EXPECT_TRUE(line->isReadOnly());
    EXPECT_EQ(line->text(), ScheduleUnits::crontabLine(daily, program, home.path()));
    EXPECT_TRUE(line->text().startsWith(QStringLiteral("15 20 * * * "))) << qPrintable(line->text());
    EXPECT_GE(line->width(), line->fontMetrics().horizontalAdvance(line->text()))
        << "the line is not shown whole";
}

TEST_F(ScheduleGroupTest, AFailureIsShownWithWhatWentWrong)
{
    manager.failing = QStringLiteral("enable");
    choose(group->dailyChoice());
    clickApply();
    EXPECT_TRUE(state().startsWith(u8("Plán nelze nastavit: "))) << qPrintable(state());
    EXPECT_TRUE(state().contains(manager.failureOutput)) << qPrintable(state());
}

// A config.ini that cannot be written stops the apply before the service manager hears of it:
// the stored schedule and the timer never disagree.
TEST_F(ScheduleGroupTest, AnUnwritableConfigChangesNothing)
{
    // A regular file where the folder of config.ini should be: not even root can write there.
    home.write(QStringLiteral("blocker"), "x");
    ScheduleWiring blocked(group, home.file(QStringLiteral("blocker/config.ini")));
    blocked.setServiceManager(&manager);
    blocked.setUnitFolder(units.path());
    blocked.setProgram(program);
    blocked.setProgramFolder(home.path());
    BackupSchedule daily;
    daily.frequency = BackupSchedule::Frequency::Daily;
    const ScheduleOutcome outcome = blocked.apply(daily);
    EXPECT_EQ(outcome.state, ScheduleOutcome::State::Failed);
    EXPECT_TRUE(manager.commands.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(timerFile()));
    EXPECT_TRUE(state().startsWith(u8("Plán nelze nastavit: "))) << qPrintable(state());
    EXPECT_TRUE(state().contains(QStringLiteral("blocker/config.ini"))) << qPrintable(state());
}

TEST_F(ScheduleGroupTest, TheReadinessPassLoadsTheStoredSchedule)
{
    IniStore store(configPath());
    store.writeString(ConfigKeys::SCHEDULE, QStringLiteral("weekly"));
    store.writeString(ConfigKeys::SCHEDULE_TIME, QStringLiteral("6:05"));
    store.writeString(ConfigKeys::SCHEDULE_DAY, QStringLiteral("7"));
    window.settingsPage()->loadSettings(store);
    EXPECT_TRUE(group->weeklyChoice()->isChecked());
    EXPECT_EQ(group->dayList()->currentData().toInt(), 7);
    EXPECT_EQ(group->dayList()->currentText(), u8("neděle"));
    EXPECT_EQ(group->timeEdit()->time(), QTime(6, 5));
    EXPECT_TRUE(group->dayList()->isEnabled());
    EXPECT_TRUE(manager.commands.isEmpty()) << "loading applies nothing";

    // Keys nobody wrote read as their defaults: off, 20:00, Monday.
    store.deleteKey(ConfigKeys::SCHEDULE);
    store.deleteKey(ConfigKeys::SCHEDULE_TIME);
    store.deleteKey(ConfigKeys::SCHEDULE_DAY);
    window.settingsPage()->loadSettings(store);
    EXPECT_TRUE(group->offChoice()->isChecked());
    EXPECT_EQ(group->timeEdit()->time(), QTime(20, 0));
    EXPECT_EQ(group->dayList()->currentData().toInt(), 1);
    EXPECT_FALSE(group->timeEdit()->isEnabled());
}

// The settings page with the schedule group, in Czech and in English, at 1024x768: nothing is
// cut off, and the pictures are kept for a person to look at.
TEST_F(ScheduleGroupTest, ScreenshotsInBothLanguagesWithNothingClipped)
{
    const QString lang = test::copyShippedLanguages(home.path());
    IniStore(configPath()).writeString(ConfigKeys::LANGUAGE, QStringLiteral("CZ"));
    LanguageSwitcher* switcher = LanguageSwitcher::attach(&window);
    switcher->setConfigPath(configPath());
    switcher->setLanguageFolder(lang);
    switcher->loadLanguages();

    manager.available = false;
    choose(group->weeklyChoice());
    pickDay(5);
    setTime(18, 30);
    clickApply();
    for (const char* code : {"CZ", "EN"}) {
        // The language is chosen on the first page, as a person does it.
        window.showPage(MainWindow::IntroIndex);
        ASSERT_TRUE(switcher->changeLanguage(QLatin1String(code)));
        window.showPage(MainWindow::SettingsIndex);
        if (auto* scroll = window.findChild<QScrollArea*>(QStringLiteral("SettingsScroll")))
            scroll->ensureWidgetVisible(group);
        QCoreApplication::processEvents();

        const bool english = QLatin1String(code) == QLatin1String("EN");
        EXPECT_EQ(group->title(), english ? QStringLiteral("Scheduled backups") : u8("Plánované zálohování"));
        EXPECT_EQ(group->dayList()->currentText(), english ? QStringLiteral("Friday") : u8("pátek"));
        EXPECT_TRUE(group->crontabEdit()->isVisible());
        const QStringList clipped = test::clippedWidgets(window.settingsPage());
        EXPECT_TRUE(clipped.isEmpty()) << code << ": " << qPrintable(clipped.join(u'\n'));

        const QString file = QDir(test::desktopScreenshotFolder())
                                 .filePath(QStringLiteral("desktop-settings-schedule-%1.png")
                                               .arg(QString::fromLatin1(code).toLower()));
        const QPixmap shot = window.grab();
        EXPECT_EQ(shot.size(), QSize(1024, 768));
        EXPECT_TRUE(shot.save(file)) << qPrintable(file);
    }
    window.showPage(MainWindow::IntroIndex);
    switcher->changeLanguage(QStringLiteral("CZ"));
}

// The program as main() puts it together applies the schedule of its settings page.
TEST(ScheduleInTheProgram, TheAssembledProgramAppliesTheSchedule)
{
    const QString previous = QDir::currentPath();
    QTemporaryDir units;
    ASSERT_TRUE(units.isValid());
    test::TempProgramFolder home;
    home.write(QStringLiteral("config.ini"), defaultConfigBytes());
    {
        ProgramAssembly program(app::RunMode::Interactive);
        program.shell().controller()->setTerminator([](int) {});
        FakeServiceManager manager;
        program.schedule().setServiceManager(&manager);
        program.schedule().setUnitFolder(units.path());
        ASSERT_TRUE(program.start());
        ScheduleGroup* group = program.shell().window()->settingsPage()->scheduleGroup();
        program.shell().window()->showPage(MainWindow::SettingsIndex);
        QTest::mouseClick(group->dailyChoice(), Qt::LeftButton, {},
                          QPoint(6, group->dailyChoice()->height() / 2));
        QTest::mouseClick(group->applyButton(), Qt::LeftButton);
        EXPECT_EQ(
            IniStore(home.file(QStringLiteral("config.ini"))).readString(ConfigKeys::SCHEDULE, QString()),
            QStringLiteral("DAILY"));
        EXPECT_EQ(manager.commands, (QList<QStringList>{reload, enableNow}));
        // The service runs this program on this program folder.
        const QString service =
            readText(QDir(units.path()).filePath(QStringLiteral("ombrix-backup.service")));
        EXPECT_TRUE(service.contains(QDir(home.path()).canonicalPath()) || service.contains(home.path()))
            << qPrintable(service);
        program.schedule().setServiceManager(nullptr);
    }
    QDir::setCurrent(previous);
}
