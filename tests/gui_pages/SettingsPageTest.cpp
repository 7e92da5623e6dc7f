#include "ui/mainwindow/SettingsPage.h"

#include "core/config/Scrambling.h"
#include "PageTestSupport.h"
#include "support/RecordingHost.h"
#include "ui/dialogs/FileDialogs.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/settings/TabIndexMemory.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

using namespace ombrix;
using namespace ombrix::test;
using namespace ombrix::ui;

namespace {

struct SettingsFixture : ConfigFixture
{
    SettingsFixture()
    {
        window.resize(1024, 740);
        window.show();
        window.showPage(MainWindow::SettingsIndex);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window)) << "the window was not shown within 5 s";
        QCoreApplication::processEvents();
        page = window.settingsPage();
        page->setConfigStore(store.get());
        page->setHost(&host);
        FileDialogs::instance().resetForTest();
        FileDialogs::instance().setQueuedOnly(true);
    }
    ~SettingsFixture() { FileDialogs::instance().resetForTest(); }

    QString key(const ConfigKey& k) const { return store->readString(k, QStringLiteral("<missing>")); }
    template <typename T> T* get(const char* name) { return child<T>(&window, name); }
    // A click on a check box's indicator, as a person makes it.
    void tick(const char* name)
    {
        auto* box = get<QCheckBox>(name);
        box->ensurePolished();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }

    MainWindow window;
    SettingsPage* page = nullptr;
    RecordingHost host;
};

} // namespace

TEST(SettingsPage, EachSwitchStoresItsKeyAtEveryClick)
{
    SettingsFixture f;
    const struct
    {
        const char* box;
        ConfigKey key;
        const char* on;
        const char* off;
    } cases[] = {
        {"CheckBox1", ConfigKeys::RUN_BEFORE_BACKUP, "1", "0"},
        {"CheckBox3", ConfigKeys::RUN_AFTER_BACKUP, "1", "0"},
        {"CheckBox6", ConfigKeys::COMPRES_LEVEL, "HIGH", "DEFAULT"},
        {"CheckBox7", ConfigKeys::VERIFY_LAST_ARCHIV, "1", "0"},
        {"CheckBox10", ConfigKeys::COLOR_ARCHIVES, "1", "0"},
        {"CheckBox11", ConfigKeys::EMAIL, "1", "0"},
        {"CheckBox13", ConfigKeys::SUM_FIRST_SECOND, "1", "0"},
        {"CheckBox14", ConfigKeys::AUTOSTART_BACKUP, "1", "0"},
        {"CheckBox15", ConfigKeys::SOURCE_ERROR_SKIP, "1", "0"},
        {"CheckBox16", ConfigKeys::AUTOUPDATE, "1", "0"},
    };
    for (const auto& c : cases) {
        f.tick(c.box);
        ASSERT_TRUE(f.get<QCheckBox>(c.box)->isChecked()) << c.box;
        EXPECT_EQ(f.key(c.key), QLatin1String(c.on)) << c.box;
        f.tick(c.box);
        EXPECT_EQ(f.key(c.key), QLatin1String(c.off)) << c.box;
    }
    // The keyboard switches and stores the same way.
    auto* box = f.get<QCheckBox>("CheckBox7");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_EQ(f.key(ConfigKeys::VERIFY_LAST_ARCHIV), QStringLiteral("1"));
}

TEST(SettingsPage, CommandLinesAreStoredEscapedAndShownAgainExactlyAsTyped)
{
    SettingsFixture f;
    const QString typed = QStringLiteral("\"/opt/my tools/pred.sh\" -v \"C D\"");
    const struct
    {
        const char* field;
        ConfigKey key;
    } cases[] = {{"Edit6", ConfigKeys::PROGRAM_BB}, {"Edit7", ConfigKeys::PROGRAM_AB}};
    for (const auto& c : cases) {
        QTest::keyClicks(f.get<QLineEdit>(c.field), typed);
        EXPECT_EQ(f.key(c.key), QStringLiteral("\\\\\"/opt/my tools/pred.sh\\\\\" -v \\\\\"C D\\\\\""));
    }
    EXPECT_TRUE(f.bytes().contains("PROGRAM_BB=\\\\\"/opt/my tools/pred.sh"));

    SettingsPage fresh;
    fresh.loadSettings(*f.store);
    EXPECT_EQ(fresh.runBeforeEdit()->text(), typed);
    EXPECT_EQ(fresh.runAfterEdit()->text(), typed);
}

TEST(SettingsPage, PickingAProgramFillsTheFieldAndTicksItsBox)
{
    SettingsFixture f;
    FileDialogs::instance().queueAnswer(QString());
    QTest::mouseClick(f.get<QPushButton>("Button6"), Qt::LeftButton);
    EXPECT_TRUE(f.get<QLineEdit>("Edit6")->text().isEmpty());
    EXPECT_FALSE(f.get<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_EQ(f.key(ConfigKeys::RUN_BEFORE_BACKUP), QStringLiteral("0"));

    const struct
    {
        const char* button;
        const char* field;
        const char* box;
        ConfigKey program;
        ConfigKey run;
    } cases[] = {
        {"Button6", "Edit6", "CheckBox1", ConfigKeys::PROGRAM_BB, ConfigKeys::RUN_BEFORE_BACKUP},
        {"Button7", "Edit7", "CheckBox3", ConfigKeys::PROGRAM_AB, ConfigKeys::RUN_AFTER_BACKUP},
    };
    for (const auto& c : cases) {
        FileDialogs::instance().queueAnswer(QStringLiteral("/usr/local/bin/po zaloze.sh"));
        QTest::mouseClick(f.get<QPushButton>(c.button), Qt::LeftButton);
        EXPECT_EQ(f.get<QLineEdit>(c.field)->text(), QStringLiteral("/usr/local/bin/po zaloze.sh"));
        EXPECT_TRUE(f.get<QCheckBox>(c.box)->isChecked()) << c.box;
        EXPECT_EQ(f.key(c.program), QStringLiteral("/usr/local/bin/po zaloze.sh"));
        EXPECT_EQ(f.key(c.run), QStringLiteral("1"));
    }
}

TEST(SettingsPage, PasswordSwitchOffEmptiesTheFieldAndTheStoredPassword)
{
    SettingsFixture f;
    auto* edit = f.get<QLineEdit>("Edit12");
    f.tick("CheckBox9");
    ASSERT_TRUE(edit->isEnabled());
    QTest::keyClicks(edit, QStringLiteral("tajne"));
    EXPECT_EQ(desifruj(f.key(ConfigKeys::PASSWORD)), QStringLiteral("tajne"));
    EXPECT_NE(f.key(ConfigKeys::PASSWORD), QStringLiteral("tajne"));
    EXPECT_EQ(f.page->archivePassword(), QStringLiteral("tajne"));

    f.tick("CheckBox9");
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(f.key(ConfigKeys::PASSWORD), QString());
    EXPECT_TRUE(f.page->archivePassword().isEmpty());

    f.tick("CheckBox9");
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(f.key(ConfigKeys::PASSWORD), QString());
}

TEST(SettingsPage, StoredPasswordShowsTheRowWhichIsNeverWrittenBackAndChainsLockIt)
{
    SettingsFixture f;
    ASSERT_TRUE(f.store->writeString(ConfigKeys::PASSWORD, sifruj(QStringLiteral("heslo"))));
    const QString stored = f.key(ConfigKeys::PASSWORD);
    f.page->loadSettings(*f.store);
    auto* edit = f.get<QLineEdit>("Edit12");
    EXPECT_TRUE(f.get<QCheckBox>("CheckBox9")->isChecked());
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_EQ(edit->text(), QString(23, QLatin1Char('*')));
    EXPECT_EQ(f.page->archivePassword(), QStringLiteral("heslo"));
    EXPECT_EQ(f.key(ConfigKeys::PASSWORD), stored);

    edit->setText(QString(22, QLatin1Char('*')));
    edit->setText(QString(23, QLatin1Char('*')));
    EXPECT_EQ(desifruj(f.key(ConfigKeys::PASSWORD)), QString(22, QLatin1Char('*')));

    f.page->setPasswordChangeAllowed(false);
    EXPECT_FALSE(f.get<QCheckBox>("CheckBox9")->isEnabled());
    EXPECT_FALSE(edit->isEnabled());
    f.page->loadSettings(*f.store);
    EXPECT_FALSE(edit->isEnabled());
    f.page->setPasswordChangeAllowed(true);
    EXPECT_TRUE(f.get<QCheckBox>("CheckBox9")->isEnabled());
    EXPECT_TRUE(edit->isEnabled());
}

TEST(SettingsPage, DelayedWritesBoxOnlyShowsTheStoredInterval)
{
    SettingsFixture f;
    ASSERT_TRUE(f.store->writeInt(ConfigKeys::ARCHIVLIST_BUFFER, 10));
    f.page->loadSettings(*f.store);
    auto* box = f.get<QCheckBox>("CheckBox12");
    EXPECT_TRUE(box->isChecked());
    const QByteArray before = f.bytes();
    f.tick("CheckBox12");
    f.tick("CheckBox12");
    f.tick("CheckBox12");
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(f.bytes(), before);
}

TEST(SettingsPage, ColouredListsMeasureTheDestinationAndWarnWhenSlow)
{
    for (const qint64 milliseconds : {qint64(19), qint64(20), qint64(250)}) {
        SettingsFixture f;
        int probes = 0;
        f.page->setSpeedProbe([&] {
            ++probes;
            return milliseconds;
        });
        QList<bool> switched;
        QObject::connect(f.page, &SettingsPage::coloredListsChanged, [&](bool on) { switched << on; });
        f.tick("CheckBox10");
        EXPECT_EQ(f.key(ConfigKeys::COLOR_ARCHIVES), QStringLiteral("1"));
        EXPECT_EQ(probes, 1);
        if (milliseconds >= 20) {
            ASSERT_EQ(f.host.questions().size(), 1u) << milliseconds;
            EXPECT_TRUE(f.host.questions()[0].text.startsWith(
                QString::fromUtf8("Detekováno pomalé připojení cílové složky.")));
        } else {
            EXPECT_TRUE(f.host.questions().empty());
        }
        // The option stays on after the warning; switching off measures nothing.
        EXPECT_TRUE(f.get<QCheckBox>("CheckBox10")->isChecked());
        f.tick("CheckBox10");
        EXPECT_EQ(f.key(ConfigKeys::COLOR_ARCHIVES), QStringLiteral("0"));
        EXPECT_EQ(probes, 1);
        EXPECT_EQ(switched, (QList<bool>{true, false}));
    }
}

TEST(SettingsPage, FixedArchiveCountStoresTheNumberOrZero)
{
    SettingsFixture f;
    auto* count = f.get<QSpinBox>("SpinEdit1");
    EXPECT_FALSE(count->isEnabled());
    f.tick("CheckBox8");
    EXPECT_TRUE(count->isEnabled());
    EXPECT_EQ(f.key(ConfigKeys::ARCHIVE_COUNT), QStringLiteral("1"));
    count->setValue(7);
    EXPECT_EQ(f.key(ConfigKeys::ARCHIVE_COUNT), QStringLiteral("7"));
    f.tick("CheckBox8");
    EXPECT_FALSE(count->isEnabled());
    EXPECT_EQ(f.key(ConfigKeys::ARCHIVE_COUNT), QStringLiteral("0"));
    f.tick("CheckBox8");
    EXPECT_EQ(f.key(ConfigKeys::ARCHIVE_COUNT), QStringLiteral("1"));
}

TEST(SettingsPage, LoadingFillsEveryControlAndWritesNothing)
{
    SettingsFixture f;
    const ConfigKey on[] = {
        ConfigKeys::RUN_BEFORE_BACKUP,  ConfigKeys::RUN_AFTER_BACKUP,  ConfigKeys::EMAIL,
        ConfigKeys::VERIFY_LAST_ARCHIV, ConfigKeys::COLOR_ARCHIVES,    ConfigKeys::SUM_FIRST_SECOND,
        ConfigKeys::AUTOSTART_BACKUP,   ConfigKeys::SOURCE_ERROR_SKIP, ConfigKeys::AUTOUPDATE};
    for (const ConfigKey& key : on)
        ASSERT_TRUE(f.store->writeBool(key, true));
    ASSERT_TRUE(f.store->writeString(ConfigKeys::COMPRES_LEVEL, QStringLiteral("HIGH")));
    ASSERT_TRUE(f.store->writeInt(ConfigKeys::ARCHIVE_COUNT, 12));
    ASSERT_TRUE(f.store->writeString(ConfigKeys::PROGRAM_BB, QStringLiteral("\\\\\"/a b\\\\\" x")));
    const QByteArray before = f.bytes();
    f.page->loadSettings(*f.store);
    for (const char* name : {"CheckBox1", "CheckBox3", "CheckBox6", "CheckBox7", "CheckBox8", "CheckBox10",
                             "CheckBox11", "CheckBox13", "CheckBox14", "CheckBox15", "CheckBox16"})
        EXPECT_TRUE(f.get<QCheckBox>(name)->isChecked()) << name;
    EXPECT_EQ(f.get<QSpinBox>("SpinEdit1")->value(), 12);
    EXPECT_TRUE(f.get<QSpinBox>("SpinEdit1")->isEnabled());
    EXPECT_EQ(f.get<QLineEdit>("Edit6")->text(), QStringLiteral("\"/a b\" x"));
    EXPECT_FALSE(f.get<QCheckBox>("CheckBox9")->isChecked());
    EXPECT_EQ(f.bytes(), before);

    // Lower-case "high" is not the stronger compression; a later pass clears stale ticks.
    ASSERT_TRUE(f.store->writeString(ConfigKeys::COMPRES_LEVEL, QStringLiteral("high")));
    ASSERT_TRUE(f.store->writeBool(ConfigKeys::EMAIL, false));
    ASSERT_TRUE(f.store->writeInt(ConfigKeys::ARCHIVE_COUNT, 0));
    f.page->loadSettings(*f.store);
    EXPECT_FALSE(f.get<QCheckBox>("CheckBox6")->isChecked());
    EXPECT_FALSE(f.get<QCheckBox>("CheckBox11")->isChecked());
    EXPECT_FALSE(f.get<QCheckBox>("CheckBox8")->isChecked());
    EXPECT_FALSE(f.get<QSpinBox>("SpinEdit1")->isEnabled());
}

TEST(SettingsPage, ResetButtonsFollowTheirBoxesAndEmailSettingsAreOffered)
{
    SettingsFixture f;
    const std::pair<const char*, const char*> pairs[] = {{"CheckBox2", "Button5"}, {"CheckBox5", "Button12"}};
    for (const auto& [box, button] : pairs) {
        EXPECT_FALSE(f.get<QPushButton>(button)->isEnabled());
        f.tick(box);
        EXPECT_TRUE(f.get<QPushButton>(button)->isEnabled()) << button;
        f.tick(box);
        EXPECT_FALSE(f.get<QPushButton>(button)->isEnabled());
    }
    int requested = 0;
    QObject::connect(f.page, &SettingsPage::emailSettingsRequested, [&] { ++requested; });
    QTest::mouseClick(f.get<QPushButton>("Button20"), Qt::LeftButton);
    EXPECT_EQ(requested, 1);
}

TEST(SettingsPage, EveryPageChangeStoresTheShownPage)
{
    SettingsFixture f;
    IniStore* current = f.store.get();
    rememberShownPage(f.window.pages(), [&] { return current; });
    for (int index :
         {int(MainWindow::RestoreIndex), int(MainWindow::IntroIndex), int(MainWindow::SettingsIndex)}) {
        f.window.showPage(index);
        EXPECT_EQ(f.store->readInt(ConfigKeys::TAB_INDEX, -1), index);
    }
    current = nullptr;
    f.window.showPage(MainWindow::SourcesIndex);
    EXPECT_EQ(f.store->readInt(ConfigKeys::TAB_INDEX, -1), int(MainWindow::SettingsIndex));
}
