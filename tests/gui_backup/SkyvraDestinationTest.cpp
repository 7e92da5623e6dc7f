#include "BackupWindowFixture.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/config/Scrambling.h"
#include "core/log/Status.h"
#include "core/remote/RemoteName.h"
#include "storage/ftp/FtpConnection.h"
#include "storage/ProgramDestination.h"
#include "support/QtPrinters.h"
#include "support/SkyvraStandIn.h"
#include "support/TestCertificate.h"
#include "support/TrustStore.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/WindowHost.h"
#include "ui/wiring/BackupEngines.h"
#include "ui/wiring/BackupWiring.h"

#include <memory>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace ombrix;
using namespace ombrix::test;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

const QString works = u8("Vzdálený síťový disk funguje správně");
const QString fails = u8("Vzdálený síťový disk NEFUNGUJE");

// The real program window with the network disk as its destination: the stand-in service's web
// host and FTP host on loopback, the program pointed at them, config.ini holding the account.
class SkyvraDestination : public BackupWindowFixture
{
  protected:
    void SetUp() override
    {
        BackupWindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(certificates.isValid()) << certificates.error().toStdString();
        trust = std::make_unique<TrustStore>(certificates.authorityFile(), certificates.emptyFolder());
        standIn = std::make_unique<SkyvraStandIn>(certificates.certificateFile(), certificates.keyFile());
        QString error;
        ASSERT_TRUE(standIn->start(&error)) << error.toStdString();
        standIn->pointProgramHere();
        standIn->setInfo(QByteArray("\xEF\xBB\xBF") +
                         u8("Kapacita 10 GB, volno 9,5 GB\r\nplatnost do 31. 12. 2025\r\n").toUtf8());
        IniStore config(home->file(QStringLiteral("config.ini")));
        ASSERT_TRUE(
            config.writeString(ConfigKeys::BACKUP_DESTINATION, QString(ConfigKeys::DESTINATION_SKYVRA)));
        ASSERT_TRUE(config.writeString(ConfigKeys::SKYVRA_USER, standIn->user()));
        ASSERT_TRUE(config.writeString(ConfigKeys::SKYVRA_PASSW, sifruj(standIn->password())));
    }

    void TearDown() override
    {
        // The program (and its connection) goes before the servers it talks to.
        BackupWindowFixture::TearDown();
        standIn.reset();
        trust.reset();
    }

    void startAndListen()
    {
        startProgram();
        QObject::connect(program().shell().host(), &ui::WindowHost::messageAsked,
                         [this](const QString& text) { messages << text; });
    }

    template <typename T> T* widget(const char* name)
    {
        T* found = program().shell().window()->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // ftpOnline of the program's connection, as the last readiness pass left it.
    bool programOnline()
    {
        ui::BackupEngines* engines = program().backup().engines();
        return engines && engines->destination().connection() &&
               engines->destination().connection()->ftpOnline();
    }

    TestCertificate certificates;
    std::unique_ptr<TrustStore> trust;
    std::unique_ptr<SkyvraStandIn> standIn;
    QStringList messages;
};

TEST_F(SkyvraDestination, ShowingThePageFillsTheAccountInformation)
{
    startAndListen();
    auto* info = widget<QLabel>("Label37");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->text(), QStringLiteral("..."));
    EXPECT_TRUE(programOnline()) << "the readiness pass did not reach the account";

    program().shell().window()->showPage(ui::MainWindow::DestinationIndex);
    QCoreApplication::processEvents();
    EXPECT_EQ(info->text(), u8("Kapacita 10 GB, volno 9,5 GB"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}

TEST_F(SkyvraDestination, ApplyTellsWhetherTheAccountWorksAndShowsItsInformation)
{
    startAndListen();
    program().shell().window()->showPage(ui::MainWindow::DestinationIndex);
    QCoreApplication::processEvents();
    auto* user = widget<QLineEdit>("Edit9");
    auto* password = widget<QLineEdit>("Edit10");
    auto* apply = widget<QPushButton>("Button14");
    auto* info = widget<QLabel>("Label37");
    ASSERT_TRUE(user && password && apply && info);
    ASSERT_TRUE(apply->isEnabled());
    standIn->setInfo("Kapacita 10 GB, volno 8 GB\nplatnost do 31. 12. 2025\n");

    const struct
    {
        QString user;
        QString password;
        bool works;
    } cases[] = {
        {standIn->user(), QStringLiteral("spatne heslo"), false},
        {QStringLiteral("jiny-ucet"), standIn->password(), false},
        {standIn->user(), standIn->password(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.user.toStdString() + " / " + c.password.toStdString());
        messages.clear();
        user->setText(c.user);
        password->setText(c.password);
        QTest::mouseClick(apply, Qt::LeftButton);
        EXPECT_EQ(messages, QStringList{c.works ? works : fails});
        EXPECT_EQ(info->text(), c.works ? u8("Kapacita 10 GB, volno 8 GB") : QString());
        // The readiness pass ran again on what the fields stored.
        EXPECT_EQ(programOnline(), c.works);
        EXPECT_EQ(password->text(), QString(13, u'*'));
    }
}

TEST_F(SkyvraDestination, ABackupGoesIntoTheAccountRoot)
{
    const QString a = writeSource(QStringLiteral("a.txt"), QByteArray("alpha\n").repeated(40));
    const QString b = writeSource(u8("sub/Zpráva ř.txt"), QByteArray("beta\n").repeated(70));
    startAndListen();
    EXPECT_EQ(status(), statusText(Page::Backup, u8("Nový start zálohování je připraven")).trimmed());

    clickStart();
    EXPECT_EQ(status(), statusText(Page::Backup, u8("Úspěšný konec zálohování")).trimmed());
    const QString set = configValue(u"SYSTEM", u"LAST_ARCHIV_NAME");
    EXPECT_EQ(configValue(u"SYSTEM", u"LAST_BACKUP_DONE"), QStringLiteral("1"));
    EXPECT_EQ(sets(standIn->accountRoot()), QStringList{set});
    EXPECT_TRUE(sets().isEmpty()) << "the folder destination of the defaults got a set";

    const struct
    {
        QString source;
        QByteArray content;
    } files[] = {{a, QByteArray("alpha\n").repeated(40)}, {b, QByteArray("beta\n").repeated(70)}};
    for (const auto& f : files) {
        const QString onServer =
            standIn->accountRoot() +
            fnEncode(lomitka(set + QLatin1Char('/') + SetLayout::pathInSet(f.source, false)));
        ASSERT_TRUE(QFileInfo::exists(onServer)) << onServer.toStdString();
        QProcess extract;
        extract.start(QStringLiteral("7za"), {QStringLiteral("e"), QStringLiteral("-so"),
                                              QStringLiteral("-y"), QStringLiteral("-p"), onServer});
        ASSERT_TRUE(extract.waitForFinished(60000));
        EXPECT_EQ(extract.readAllStandardOutput(), f.content) << onServer.toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(standIn->accountRoot() +
                                  fnEncode(lomitka(set + QStringLiteral("/archivlist.csv.7z")))));
}

} // namespace
