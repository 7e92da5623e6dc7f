#include "core/app/RunMode.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/lang/Translator.h"
#include "core/text/TextFile.h"
#include "support/TempProgramFolder.h"
#include "ui/lang/LanguageHooks.h"
#include "ui/lang/LanguageSwitcher.h"
#include "ui/lang/LanguageWindows.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

using namespace ombrix;
using namespace ombrix::ui;
using ombrix::test::TempProgramFolder;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

// Every caption of a window, by widget and tab, so two moments can be compared whole.
QStringList allCaptions(QWidget* window)
{
    QStringList captions;
    const QList<QWidget*> widgets = window->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        const QString name =
            w->objectName() + QStringLiteral("/") + QString::fromLatin1(w->metaObject()->className());
        if (auto* label = qobject_cast<QLabel*>(w))
            captions << name + QStringLiteral(": ") + label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            captions << name + QStringLiteral(": ") + button->text();
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            captions << name + QStringLiteral(": ") + box->title();
        else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                captions << name + QStringLiteral(" tab: ") + tabs->tabText(i);
        }
    }
    return captions;
}

// A program folder with the shipped language files and a config.ini asking for Czech.
struct ShippedLanguages
{
    TempProgramFolder folder;
    QString lang;

    ShippedLanguages()
    {
        lang = folder.file(QStringLiteral("lang"));
        QDir().mkpath(lang);
        const QDir shipped(QDir(test::sourceDir()).filePath(QStringLiteral("lang")));
        for (const QString& name : shipped.entryList(QDir::Files))
            QFile::copy(shipped.filePath(name), QDir(lang).filePath(name));
        folder.write(QStringLiteral("config.ini"), QByteArray("[OPTIONS]\r\nLANGUAGE=CZ\r\n"));
    }
};

LanguageSwitcher* attachTo(QWidget* window, const TempProgramFolder& folder, const QString& lang)
{
    LanguageSwitcher* switcher = LanguageSwitcher::attach(window);
    switcher->setConfigPath(folder.file(QStringLiteral("config.ini")));
    switcher->setLanguageFolder(lang);
    switcher->loadLanguages();
    return switcher;
}

void resetTranslator()
{
    Translator::global().setCurrentLanguage(Translator::masterCode);
    Translator::global().setLangMaster({});
    Translator::global().setLangTarget({});
}

class LanguageSwitch : public ::testing::Test
{
  protected:
    void TearDown() override { resetTranslator(); }
};

} // namespace

TEST_F(LanguageSwitch, CzechToEnglishAndBackRestoresEveryCaptionOfTheMainWindow)
{
    ShippedLanguages languages;
    MainWindow window;
    window.resize(1024, 768);
    LanguageSwitcher* switcher = attachTo(&window, languages.folder, languages.lang);
    ASSERT_EQ(Translator::global().currentLanguage(), QStringLiteral("CZ"));
    window.show();
    const QStringList czech = allCaptions(&window);

    ASSERT_TRUE(switcher->changeLanguage(QStringLiteral("EN")));
    EXPECT_EQ(window.pages()->tabText(MainWindow::RestoreIndex), QStringLiteral("Restore"));
    EXPECT_EQ(window.pages()->tabText(MainWindow::SettingsIndex), QStringLiteral("Settings"));
    const QStringList english = allCaptions(&window);
    EXPECT_NE(english, czech);
    // Every caption that the master list knows is now its English line.
    Translator czechToEnglish;
    czechToEnglish.load(languages.lang, QStringLiteral("EN"));
    ASSERT_EQ(english.size(), czech.size());
    for (qsizetype i = 0; i < czech.size(); ++i) {
        const QString prefix = czech.at(i).left(czech.at(i).indexOf(QStringLiteral(": ")) + 2);
        QString translated;
        if (czechToEnglish.lookup(czech.at(i).mid(prefix.size()), &translated)) {
            EXPECT_EQ(english.at(i), prefix + translated);
        }
    }
    // getLang translates from Czech again after the switch, and the choice is stored.
    EXPECT_EQ(getLang(u8("Obnova")), QStringLiteral("Restore"));
    EXPECT_EQ(IniStore(languages.folder.file(QStringLiteral("config.ini")))
                  .readString(ConfigKeys::LANGUAGE, QString()),
              QStringLiteral("EN"));

    ASSERT_TRUE(switcher->changeLanguage(QStringLiteral("CZ")));
    const QStringList back = allCaptions(&window);
    ASSERT_EQ(back.size(), czech.size());
    for (qsizetype i = 0; i < czech.size(); ++i)
        EXPECT_EQ(back.at(i), czech.at(i)) << "was " << qPrintable(english.at(i));
    EXPECT_EQ(getLang(u8("Obnova")), u8("Obnova"));
}

TEST_F(LanguageSwitch, SelectorAndFlagsChangeTheLanguage)
{
    ShippedLanguages languages;
    MainWindow window;
    attachTo(&window, languages.folder, languages.lang);
    window.show();
    auto* combo = window.findChild<QComboBox*>(QStringLiteral("ComboBox3"));
    auto* flagEn = window.findChild<QAbstractButton*>(QStringLiteral("vlajka_en"));
    auto* flagCz = window.findChild<QAbstractButton*>(QStringLiteral("vlajka_cz"));
    if (!combo || !flagEn || !flagCz)
        GTEST_SKIP() << "the first page has no language selector";
    EXPECT_EQ(combo->currentText(), QStringLiteral("CZ"));
    EXPECT_GE(combo->findText(QStringLiteral("EN")), 0);

    flagEn->click();
    EXPECT_EQ(Translator::global().currentLanguage(), QStringLiteral("EN"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("EN"));
    EXPECT_EQ(window.pages()->tabText(MainWindow::RestoreIndex), QStringLiteral("Restore"));

    flagCz->click();
    EXPECT_EQ(Translator::global().currentLanguage(), QStringLiteral("CZ"));
    EXPECT_EQ(window.pages()->tabText(MainWindow::RestoreIndex), u8("Obnova"));

    combo->setCurrentIndex(combo->findText(QStringLiteral("EN")));
    EXPECT_EQ(window.pages()->tabText(MainWindow::RestoreIndex), QStringLiteral("Restore"));
    EXPECT_EQ(IniStore(languages.folder.file(QStringLiteral("config.ini")))
                  .readString(ConfigKeys::LANGUAGE, QString()),
              QStringLiteral("EN"));
}

namespace {

// A small lang folder: Czech, English with one line left empty, German.
struct FixtureLanguages
{
    TempProgramFolder folder;
    QString lang;

    FixtureLanguages()
    {
        lang = folder.file(QStringLiteral("lang"));
        folder.write(QStringLiteral("lang/cz.txt"), TextFile::encodeUtf8Bom({u8("Obnova"), u8("Zálohování"),
                                                                             u8("Nastavení"), u8("Přidat")}));
        folder.write(QStringLiteral("lang/en.txt"),
                     TextFile::encodeUtf8Bom({u8("Restore"), u8("Backup"), QString(), u8("Add")}));
        folder.write(QStringLiteral("lang/de.txt"),
                     TextFile::encodeUtf8Bom(
                         {u8("Wiederherstellung"), u8("Sicherung"), u8("Einstellungen"), u8("Hinzufügen")}));
        folder.write(QStringLiteral("config.ini"), QByteArray("[OPTIONS]\r\nLANGUAGE=CZ\r\n"));
    }
};

// A stand-in for the main window, known by its object name.
struct SmallMainWindow
{
    QWidget window;
    QLabel* restore = new QLabel(u8("Obnova"));
    QLabel* settings = new QLabel(u8("Nastavení"));
    QLabel* status = new QLabel(u8("  Zálohování"));

    SmallMainWindow()
    {
        window.setObjectName(QStringLiteral("Form1"));
        status->setObjectName(QStringLiteral("StaticText1"));
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(restore);
        layout->addWidget(settings);
        layout->addWidget(status);
    }
};

} // namespace

TEST_F(LanguageSwitch, EnglishToGermanGoesThroughTheEnglishFile)
{
    FixtureLanguages languages;
    SmallMainWindow main;
    LanguageSwitcher* switcher = attachTo(&main.window, languages.folder, languages.lang);
    main.window.show();

    ASSERT_TRUE(switcher->changeLanguage(QStringLiteral("EN")));
    EXPECT_EQ(main.restore->text(), QStringLiteral("Restore"));
    EXPECT_EQ(main.settings->text(), QString()); // the empty English line empties the caption
    EXPECT_EQ(main.status->text(), QStringLiteral("  Backup"));

    ASSERT_TRUE(switcher->changeLanguage(QStringLiteral("DE")));
    EXPECT_EQ(main.restore->text(), QStringLiteral("Wiederherstellung"));
    EXPECT_EQ(main.settings->text(), QString()); // left empty in English, so it stays unchanged
    EXPECT_EQ(main.status->text(), QStringLiteral("  Sicherung"));
    // The master list is Czech again.
    EXPECT_EQ(Translator::global().langMaster().first(), u8("Obnova"));
    EXPECT_EQ(getLang(u8("zálohování")), QStringLiteral("Sicherung"));

    // A code without a file cannot be chosen.
    EXPECT_FALSE(switcher->changeLanguage(QStringLiteral("FR")));
    EXPECT_EQ(Translator::global().currentLanguage(), QStringLiteral("DE"));
}

TEST_F(LanguageSwitch, DialogShownLaterIsTranslatedFromCzech)
{
    FixtureLanguages languages;
    SmallMainWindow main;
    LanguageSwitcher* switcher = attachTo(&main.window, languages.folder, languages.lang);
    main.window.show();
    ASSERT_TRUE(switcher->changeLanguage(QStringLiteral("EN")));

    // A mask dialog made after the switch (known by its object name) appears in English, check
    // boxes included; the e-mail dialog's check boxes are not among its captions.
    QDialog mask;
    mask.setObjectName(QStringLiteral("maskForm"));
    auto* maskBox = new QCheckBox(u8("Přidat"), &mask);
    auto* maskLabel = new QLabel(u8("Obnova"), &mask);
    QDialog mail;
    mail.setObjectName(QStringLiteral("emailForm"));
    auto* mailBox = new QCheckBox(u8("Přidat"), &mail);
    auto* mailLabel = new QLabel(u8("Obnova"), &mail);
    mask.show();
    mail.show();
    EXPECT_EQ(maskBox->text(), QStringLiteral("Add"));
    EXPECT_EQ(maskLabel->text(), QStringLiteral("Restore"));
    EXPECT_EQ(mailBox->text(), u8("Přidat"));
    EXPECT_EQ(mailLabel->text(), QStringLiteral("Restore"));

    // Hidden again and switched to German: shown once more, it follows.
    mask.hide();
    ASSERT_TRUE(switcher->changeLanguage(QStringLiteral("DE")));
    EXPECT_EQ(maskLabel->text(), QStringLiteral("Wiederherstellung"));
    mask.show();
    EXPECT_EQ(maskBox->text(), QStringLiteral("Hinzufügen"));
    // A window that is none of the translated ones is left alone.
    QDialog other;
    auto* otherLabel = new QLabel(u8("Obnova"), &other);
    other.show();
    EXPECT_EQ(otherLabel->text(), u8("Obnova"));
}

TEST_F(LanguageSwitch, CheckCollectsMainWindowEmailTreeAndMaskCaptionsInOrder)
{
    SmallMainWindow main;
    QDialog mask;
    mask.setObjectName(QStringLiteral("maskForm"));
    new QCheckBox(u8("Zahrnout podadresáře"), &mask);
    LanguageWindows& windows = LanguageWindows::instance();
    windows.setCheckFactory(LanguageWindows::TreeRole, [] {
        auto* tree = new QDialog;
        new QLabel(u8("Vyberte soubory"), tree);
        new QCheckBox(u8("Nesbírá se"), tree);
        return tree;
    });
    windows.setCheckFactory(LanguageWindows::EmailRole, [] {
        auto* mail = new QDialog;
        new QLabel(u8("Odesílatel"), mail);
        return mail;
    });
    const QStringList captions = windows.checkCaptions();
    windows.setCheckFactory(LanguageWindows::TreeRole, {});
    windows.setCheckFactory(LanguageWindows::EmailRole, {});
    const QStringList expected = {u8("Obnova"), u8("Nastavení"), u8("Odesílatel"), u8("Vyberte soubory"),
                                  u8("Zahrnout podadresáře")};
    EXPECT_EQ(captions, expected);
}

TEST_F(LanguageSwitch, ProgramShellLoadsTheConfiguredLanguageAndTranslatesWhenShown)
{
    ShippedLanguages languages;
    languages.folder.write(QStringLiteral("config.ini"), QByteArray("[OPTIONS]\r\nLANGUAGE=EN\r\n"));
    const QString before = QDir::currentPath();
    {
        EngineHooks hooks;
        bool readinessRan = false;
        hooks.readinessCheck = [&readinessRan] {
            // The languages are loaded before the rest of the readiness check.
            readinessRan = Translator::global().currentLanguage() == QStringLiteral("EN");
        };
        LanguageHooks::install(hooks);
        ProgramShell shell(app::RunMode::Interactive, hooks);
        ASSERT_TRUE(shell.start());
        EXPECT_TRUE(readinessRan);
        EXPECT_EQ(shell.window()->pages()->tabText(MainWindow::RestoreIndex), QStringLiteral("Restore"));
        auto* combo = shell.window()->findChild<QComboBox*>(QStringLiteral("ComboBox3"));
        if (combo) {
            EXPECT_EQ(combo->currentText(), QStringLiteral("EN"));
        }
        // Showing the window again changes nothing.
        shell.window()->hide();
        shell.window()->show();
        EXPECT_EQ(shell.window()->pages()->tabText(MainWindow::RestoreIndex), QStringLiteral("Restore"));
    }
    QDir::setCurrent(before);
}
