#include "ui/mainwindow/DestinationPage.h"

#include "core/config/PasswordField.h"
#include "core/config/Scrambling.h"
#include "PageTestSupport.h"
#include "storage/AttachList.h"
#include "storage/FolderDestination.h"
#include "support/RecordingHost.h"
#include "ui/destination/RemoteFolderField.h"
#include "ui/dialogs/FileDialogs.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/settings/LinkLabel.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QUrlQuery>

using namespace ombrix;
using namespace ombrix::test;
using namespace ombrix::ui;

namespace {

// The destination page inside a shown main window, writing to a fresh config.ini.
struct DestinationFixture : ConfigFixture
{
    DestinationFixture()
    {
        window.resize(1024, 740);
        window.show();
        window.showPage(MainWindow::DestinationIndex);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window)) << "the window was not shown within 5 s";
        QCoreApplication::processEvents();
        page = window.destinationPage();
        page->setConfigStore(store.get());
        page->setHost(&host);
        QObject::connect(page, &DestinationPage::readinessRequested, [this] { events << "readiness"; });
        QObject::connect(page, &DestinationPage::restoreListStale, [this] { events << "stale"; });
        QObject::connect(page, &DestinationPage::ftpApplyRequested, [this] { events << "ftp"; });
        QObject::connect(page, &DestinationPage::skyvraApplyRequested, [this] { events << "skyvra"; });
        FileDialogs::instance().resetForTest();
        FileDialogs::instance().setQueuedOnly(true);
    }
    ~DestinationFixture() { FileDialogs::instance().resetForTest(); }

    QString key(const ConfigKey& k) const { return store->readString(k, QStringLiteral("<missing>")); }
    QStringList messages() const
    {
        QStringList texts;
        for (const auto& question : host.questions())
            texts << question.text;
        return texts;
    }
    // A click as a person makes it: on a radio button's indicator, in the middle of a button.
    void click(const char* name)
    {
        QWidget* widget = child<QWidget>(&window, name);
        if (qobject_cast<QRadioButton*>(widget))
            QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(6, widget->height() / 2));
        else
            QTest::mouseClick(widget, Qt::LeftButton);
    }

    MainWindow window;
    DestinationPage* page = nullptr;
    RecordingHost host;
    QStringList events;
};

bool looksEnabledForInput(QLineEdit* edit)
{
    return edit->isEnabled() &&
           edit->palette().color(QPalette::Base) == DestinationPage::enabledFieldColour();
}

} // namespace

TEST(DestinationPage, EachRadioButtonStoresItsDestinationAndEnablesOnlyItsGroup)
{
    DestinationFixture f;
    const struct
    {
        const char* radio;
        const char* stored;
        QStringList enabled;
    } cases[] = {
        {"RadioButton2", "FTP", {"Edit2", "Edit3", "Edit4", "Edit5"}},
        {"RadioButton5", "SKYVRA", {"Edit9", "Edit10"}},
        {"RadioButton1", "DIR", {"Edit1"}},
    };
    const QStringList allFields = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit9", "Edit10"};
    const QStringList buttons[] = {{"Button4"}, {"Button14"}, {"Button3", "Button16"}};
    int i = 0;
    for (const auto& c : cases) {
        f.click(c.radio);
        EXPECT_EQ(f.key(ConfigKeys::BACKUP_DESTINATION), QLatin1String(c.stored)) << c.radio;
        EXPECT_EQ(f.page->chosenDestination(), QLatin1String(c.stored));
        for (const QString& field : allFields) {
            auto* edit = child<QLineEdit>(&f.window, field.toLatin1().constData());
            EXPECT_EQ(looksEnabledForInput(edit), c.enabled.contains(field))
                << c.radio << " " << field.toStdString();
            if (!c.enabled.contains(field)) {
                EXPECT_FALSE(edit->isEnabled());
                EXPECT_NE(edit->palette().color(QPalette::Base), DestinationPage::enabledFieldColour());
            }
        }
        for (const QString& button : buttons[i])
            EXPECT_TRUE(child<QPushButton>(&f.window, button.toLatin1().constData())->isEnabled());
        // Only one destination is chosen at a time, across both frames.
        int checked = 0;
        for (const char* radio : {"RadioButton1", "RadioButton2", "RadioButton5"})
            checked += child<QRadioButton>(&f.window, radio)->isChecked() ? 1 : 0;
        EXPECT_EQ(checked, 1);
        ++i;
    }
    // The choice alone asks for no readiness pass: that is what "Použij" is for.
    EXPECT_TRUE(f.events.isEmpty());
    EXPECT_FALSE(child<QRadioButton>(&f.window, "RadioButton6")->isEnabled());
}

TEST(DestinationPage, AccountFieldsStoreTheirKeysAtEveryKeystroke)
{
    DestinationFixture f;
    f.click("RadioButton2");
    const struct
    {
        const char* field;
        ConfigKey key;
        const char* typed;
    } cases[] = {
        {"Edit2", ConfigKeys::BACKUP_FTP_HOST, "ftp.example.net"},
        {"Edit3", ConfigKeys::BACKUP_FTP_USER, "pavel"},
        {"Edit5", ConfigKeys::BACKUP_FTP_DIR, "zalohy/domov"},
    };
    for (const auto& c : cases) {
        auto* edit = child<QLineEdit>(&f.window, c.field);
        const QString typed = QString::fromUtf8(c.typed);
        for (int n = 1; n <= typed.size(); ++n) {
            QTest::keyClick(edit, typed.at(n - 1).toLatin1());
            ASSERT_EQ(f.key(c.key), typed.left(n)) << c.field;
        }
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(f.key(c.key), typed.chopped(1)) << c.field;
    }
    f.click("RadioButton5");
    QTest::keyClicks(child<QLineEdit>(&f.window, "Edit9"), QStringLiteral("ucet"));
    EXPECT_EQ(f.key(ConfigKeys::SKYVRA_USER), QStringLiteral("ucet"));
}

TEST(DestinationPage, PasswordsAreStoredScrambledAndTheAsteriskRowIsNeverWrittenBack)
{
    const struct
    {
        const char* radio;
        const char* field;
        PasswordField which;
    } cases[] = {
        {"RadioButton2", "Edit4", PasswordField::FtpAccount},
        {"RadioButton5", "Edit10", PasswordField::SkyvraAccount},
    };
    for (const auto& c : cases) {
        DestinationFixture f;
        f.click(c.radio);
        auto* edit = child<QLineEdit>(&f.window, c.field);
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        QTest::keyClicks(edit, QStringLiteral("Tajne1"));
        EXPECT_NE(f.key(passwordKey(c.which)), QStringLiteral("Tajne1"));
        EXPECT_EQ(desifruj(f.key(passwordKey(c.which))), QStringLiteral("Tajne1")) << c.field;
        edit->setText(QString::fromUtf8("Žluťoučký kůň"));
        const QString stored = f.key(passwordKey(c.which));
        EXPECT_EQ(desifruj(stored), QString::fromUtf8("Žluťoučký kůň")) << c.field;

        // The readiness pass shows the row in place of the stored password; that stores nothing.
        f.page->loadSettings(*f.store);
        EXPECT_EQ(edit->text(), QString(13, QLatin1Char('*')));
        EXPECT_EQ(f.key(passwordKey(c.which)), stored);
        // Nor does a change that ends on the row again.
        edit->setText(QString(12, QLatin1Char('*')));
        edit->setText(asteriskRow(c.which));
        EXPECT_EQ(desifruj(f.key(passwordKey(c.which))), QString(12, QLatin1Char('*')));
        edit->clear();
        EXPECT_EQ(f.key(passwordKey(c.which)), QString());
    }
}

TEST(DestinationPage, FolderFieldIsStoredByApplyWhichThenAsksForTheReadinessPass)
{
    DestinationFixture f;
    f.click("RadioButton1");
    auto* edit = child<QLineEdit>(&f.window, "Edit1");
    const QString existing = f.folder.file(QStringLiteral("cil"));
    ASSERT_TRUE(QDir().mkpath(existing));

    // Typing alone changes nothing stored: the folder takes effect with "Použij" or "...".
    edit->clear();
    QTest::keyClicks(edit, existing);
    EXPECT_EQ(f.key(ConfigKeys::BACKUP_DIR), QString());

    const struct
    {
        QString text;
        QStringList events;
        QString message;
    } cases[] = {
        {existing, {"readiness", "stale"}, QStringLiteral("OK")},
        {f.folder.file(QStringLiteral("chybi")),
         {"readiness"},
         QString::fromUtf8("Cílová složka NEEXISTUJE")},
        {QStringLiteral("   "), {"readiness"}, QString::fromUtf8("Cílová složka NEEXISTUJE")},
    };
    for (const auto& c : cases) {
        edit->setText(c.text);
        f.events.clear();
        f.host = RecordingHost();
        f.click("Button16");
        EXPECT_EQ(f.key(ConfigKeys::BACKUP_DIR), c.text.trimmed().isEmpty() ? QString() : c.text);
        EXPECT_EQ(f.events, c.events) << c.text.toStdString();
        EXPECT_EQ(f.messages(), QStringList{c.message}) << c.text.toStdString();
    }
}

TEST(DestinationPage, BrowseTakesThePickedFolderAndACancelChangesNothing)
{
    DestinationFixture f;
    f.click("RadioButton1");
    auto* edit = child<QLineEdit>(&f.window, "Edit1");
    edit->setText(QStringLiteral("/puvodni"));

    FileDialogs::instance().queueAnswer(QString());
    f.click("Button3");
    EXPECT_EQ(edit->text(), QStringLiteral("/puvodni"));
    EXPECT_EQ(f.key(ConfigKeys::BACKUP_DIR), QString());
    EXPECT_TRUE(f.events.isEmpty());

    FileDialogs::instance().queueAnswer(f.folder.path());
    f.click("Button3");
    EXPECT_EQ(edit->text(), f.folder.path());
    EXPECT_EQ(f.key(ConfigKeys::BACKUP_DIR), f.folder.path());
    EXPECT_EQ(f.events, QStringList{"readiness"});
    EXPECT_EQ(FileDialogs::instance().startFolders().size(), 2);
}

TEST(DestinationPage, FtpApplyRefusesAFolderInsideASetAndStoresTheNormalisedFolder)
{
    DestinationFixture f;
    f.click("RadioButton2");
    auto* folder = child<QLineEdit>(&f.window, "Edit5");

    folder->setText(QStringLiteral("zalohy/OMX_2023-01-01_10-00-00"));
    f.click("Button4");
    EXPECT_EQ(f.messages(), QStringList{QString::fromUtf8("Cesta nesmí obsahovat řetězec OMX_")});
    EXPECT_TRUE(f.events.isEmpty());

    folder->setText(QStringLiteral("/zalohy/"));
    f.click("Button4");
    EXPECT_EQ(folder->text(), QStringLiteral("zalohy"));
    EXPECT_EQ(f.key(ConfigKeys::BACKUP_FTP_DIR), QStringLiteral("zalohy"));
    EXPECT_EQ(f.events, QStringList{"ftp"});

    f.events.clear();
    f.click("RadioButton5");
    f.click("Button14");
    EXPECT_EQ(f.events, (QStringList{"skyvra", "stale"}));
}

TEST(RemoteFolderField, OneSeparatorIsDroppedAtEachEnd)
{
    const struct
    {
        const char* typed;
        const char* kept;
    } cases[] = {
        {"/backup/", "backup"},
        {"\\backup\\", "backup"},
        {"\\", ""},
        {"/", ""},
        {"//x//", "/x/"},
        {"backup", "backup"},
        {"", ""},
        {"a/b/", "a/b"},
        {"/a", "a"},
        {"//", ""},
        {"\\/", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(normalizeRemoteFolder(QLatin1String(c.typed)), QLatin1String(c.kept)) << c.typed;
    EXPECT_TRUE(remoteFolderInsideSet(QStringLiteral("x/OMX_/y")));
    EXPECT_FALSE(remoteFolderInsideSet(QStringLiteral("omx_lower")));
}

TEST(DestinationPage, LoadingTheStoredDestinationEnablesItsGroupAndWritesNothing)
{
    DestinationFixture f;
    ASSERT_TRUE(f.store->writeString(ConfigKeys::BACKUP_DESTINATION, QStringLiteral("FTP")));
    ASSERT_TRUE(f.store->writeString(ConfigKeys::BACKUP_FTP_HOST, QStringLiteral("ftp.example.net")));
    ASSERT_TRUE(f.store->writeString(ConfigKeys::BACKUP_FTP_PASS, sifruj(QStringLiteral("heslo"))));
    ASSERT_TRUE(f.store->writeString(ConfigKeys::BACKUP_FTP_DIR, QStringLiteral("zalohy")));
    ASSERT_TRUE(f.store->deleteKey(ConfigKeys::BACKUP_DIR));
    const QByteArray before = f.bytes();

    f.page->loadSettings(*f.store);
    EXPECT_TRUE(child<QRadioButton>(&f.window, "RadioButton2")->isChecked());
    EXPECT_TRUE(looksEnabledForInput(child<QLineEdit>(&f.window, "Edit2")));
    EXPECT_FALSE(child<QLineEdit>(&f.window, "Edit1")->isEnabled());
    EXPECT_EQ(child<QLineEdit>(&f.window, "Edit1")->text(), QStringLiteral("..nezadano.."));
    EXPECT_EQ(child<QLineEdit>(&f.window, "Edit2")->text(), QStringLiteral("ftp.example.net"));
    EXPECT_EQ(child<QLineEdit>(&f.window, "Edit4")->text(), QString(13, QLatin1Char('*')));
    EXPECT_EQ(child<QLineEdit>(&f.window, "Edit10")->text(), QString());
    EXPECT_EQ(f.bytes(), before);

    // An unknown value is a folder destination.
    ASSERT_TRUE(f.store->writeString(ConfigKeys::BACKUP_DESTINATION, QStringLiteral("NONSENSE")));
    f.page->loadSettings(*f.store);
    EXPECT_TRUE(child<QRadioButton>(&f.window, "RadioButton1")->isChecked());
    EXPECT_TRUE(looksEnabledForInput(child<QLineEdit>(&f.window, "Edit1")));
}

TEST(DestinationPage, ServiceLinkOpensItsPageFromOmbrixAndUnderlinesUnderTheMouse)
{
    DestinationFixture f;
    QUrl opened;
    LinkLabel::setOpener([&](const QUrl& url) { opened = url; });
    auto* link = child<LinkLabel>(&f.window, "Label36");
    QTest::mouseClick(link, Qt::LeftButton);
    LinkLabel::setOpener({});
    EXPECT_EQ(QUrlQuery(opened).queryItemValue(QStringLiteral("from")), QStringLiteral("ombrix"));
    EXPECT_EQ(opened.scheme(), QStringLiteral("https"));

    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(link, &enter);
    EXPECT_TRUE(link->font().underline());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(link, &leave);
    EXPECT_FALSE(link->font().underline());
}

TEST(AttachList, SetsOfTheFolderWithoutTheirPrefixOldestFirst)
{
    TempProgramFolder folder;
    const QString root = folder.file(QStringLiteral("cil"));
    for (const char* name :
         {"OMX_2023-02-01_10-00-00", "OMX_2023-01-01_10-00-00", "jina", "omx_2023-03-01_10-00-00"})
        ASSERT_TRUE(QDir().mkpath(root + QLatin1Char('/') + QLatin1String(name)));
    folder.write(QStringLiteral("cil/OMX_2023-04-01_10-00-00"), "a file, not a set");

    FolderDestination destination(root);
    EXPECT_EQ(attachListEntries(destination),
              (QStringList{QStringLiteral("2023-01-01_10-00-00"), QStringLiteral("2023-02-01_10-00-00")}));

    FolderDestination missing(folder.file(QStringLiteral("nic")));
    EXPECT_TRUE(attachListEntries(missing).isEmpty());
    FolderDestination unset{QString()};
    EXPECT_TRUE(attachListEntries(unset).isEmpty());
}
