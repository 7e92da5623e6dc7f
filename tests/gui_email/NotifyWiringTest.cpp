#include "ui/wiring/NotifyWiring.h"

#include "core/app/WebSite.h"
#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "notify/TComThread.h"
#include "support/HttpsServer.h"
#include "support/TempProgramFolder.h"
#include "support/TestCertificate.h"
#include "support/TrustStore.h"
#include "ui/dialogs/EmailDialog.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/mainwindow/UpdateNotice.h"
#include "ui/settings/LinkLabel.h"

#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QEnterEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace ombrix;
using namespace ombrix::test;
using namespace ombrix::ui;

namespace {

const QString running = QStringLiteral("1.8.10.0");
const QString noticeText =
    QString::fromUtf8("Novější verze programu je k dispozici ke stažení na webu výrobce:");

// Lets events run until the condition holds; false when it did not within the (generous) limit.
bool waitFor(const std::function<bool()>& condition, int limitMs = 120000)
{
    const QDeadlineTimer limit(limitMs);
    while (!condition()) {
        if (limit.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

// The program shell with the notify wiring, as the program assembles them, and Label35 on the
// backup page.
class NotifyWiringTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        home.write(QStringLiteral("config.ini"), defaultConfigBytes());
        shell = std::make_unique<ProgramShell>(app::RunMode::Interactive, EngineHooks{});
        wiring = std::make_unique<NotifyWiring>(*shell);
        // The label the wiring finds by its name, wherever the window put it.
        notice = shell->window()->findChild<UpdateNotice*>(QStringLiteral("Label35"));
        ASSERT_NE(notice, nullptr) << "the window has no Label35";
    }

    void TearDown() override
    {
        if (HasFailure() && server)
            std::cerr << "--- HTTPS server log ---\n" << server->log().toStdString() << '\n';
        wiring.reset();
        shell.reset();
        QDir::setCurrent(previous);
    }

    // An update server answering with version; the check of the wiring pointed at it.
    void serveVersion(const QByteArray& version)
    {
        certificates = std::make_unique<TestCertificate>();
        ASSERT_TRUE(certificates->isValid()) << certificates->error().toStdString();
        trust = std::make_unique<TrustStore>(certificates->authorityFile(), certificates->emptyFolder());
        server = std::make_unique<HttpsServer>(certificates->certificateFile(), certificates->keyFile());
        QString error;
        ASSERT_TRUE(server->start(&error)) << error.toStdString();
        server->setAnswer(QStringLiteral("/verze_info.php"), version);
        server->setAnswer(QStringLiteral("/crc_info.php"), "1");
        TComThread::Settings settings;
        settings.server = server->url();
        settings.programFolder = home.path();
        settings.configPath = home.file(QStringLiteral("config.ini"));
        settings.runningVersion = running;
        settings.maySelfUpdate = false;
        wiring->setUpdateSettings(settings);
    }

    // Starts the check as the window's first showing does and waits for it to end.
    bool runCheck()
    {
        wiring->startUpdateCheck();
        return waitFor([this] { return wiring->updateCheck() == nullptr; });
    }

    QString previous = QDir::currentPath();
    TempProgramFolder home;
    std::unique_ptr<ProgramShell> shell;
    std::unique_ptr<NotifyWiring> wiring;
    UpdateNotice* notice = nullptr;
    std::unique_ptr<TestCertificate> certificates;
    std::unique_ptr<TrustStore> trust;
    std::unique_ptr<HttpsServer> server;
};

} // namespace

TEST_F(NotifyWiringTest, SettingsButtonOpensTheEmailDialogLoadedFromTheConfiguration)
{
    IniStore(home.file(QStringLiteral("config.ini")))
        .writeString(ConfigKeys::EMAIL_SMTP_HOST, QStringLiteral("smtp.example.test"));
    shell->window()->show();
    shell->window()->showPage(MainWindow::SettingsIndex);
    QTest::mouseClick(shell->window()->settingsPage()->emailSettingsButton(), Qt::LeftButton);
    EmailDialog* dialog = wiring->emailDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->hostEdit()->text(), QStringLiteral("smtp.example.test"));
    EXPECT_EQ(dialog->passwordEdit()->text(), QString(15, QLatin1Char('*')));
    dialog->reject();
}

TEST_F(NotifyWiringTest, TheNoticeSitsOnTheBackupPageHiddenUntilAVersionIsAnnounced)
{
    BackupPage* page = shell->window()->backupPage();
    EXPECT_EQ(page->updateNotice(), notice);
    EXPECT_EQ(page->findChild<UpdateNotice*>(QStringLiteral("Label35")), notice);
    EXPECT_EQ(shell->window()->findChildren<UpdateNotice*>().size(), 1);
    shell->window()->show();
    shell->window()->showPage(MainWindow::BackupIndex);
    EXPECT_TRUE(page->isVisible());
    EXPECT_TRUE(notice->isHidden());
}

TEST_F(NotifyWiringTest, NewerVersionShowsTheNoticeWhichOpensTheWebSite)
{
    ASSERT_NO_FATAL_FAILURE(serveVersion("1.8.11.0"));
    shell->window()->show();
    shell->window()->showPage(MainWindow::BackupIndex);
    EXPECT_TRUE(notice->isHidden());
    ASSERT_TRUE(runCheck()) << "the update check did not end";
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), noticeText + QStringLiteral(" 1.8.11.0"));
    EXPECT_TRUE(notice->font().bold());
    EXPECT_EQ(notice->cursor().shape(), Qt::PointingHandCursor);

    // Underlined while the mouse is over it.
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(notice, &enter);
    EXPECT_TRUE(notice->font().underline());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(notice, &leave);
    EXPECT_FALSE(notice->font().underline());

    QList<QUrl> opened;
    LinkLabel::setOpener([&](const QUrl& url) { opened << url; });
    QTest::mouseClick(notice, Qt::LeftButton);
    LinkLabel::setOpener({});
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first(), QUrl(app::webSite()));
}

TEST_F(NotifyWiringTest, SameOrOlderVersionLeavesTheNoticeHidden)
{
    ASSERT_NO_FATAL_FAILURE(serveVersion("1.8.9.0"));
    shell->window()->show();
    ASSERT_TRUE(runCheck()) << "the update check did not end";
    // The caption is set, the label stays hidden.
    EXPECT_EQ(notice->text(), noticeText + QStringLiteral(" 1.8.9.0"));
    EXPECT_TRUE(notice->isHidden());
}

TEST_F(NotifyWiringTest, GarbledVersionIsIgnoredAndLaterShowingsStartNoSecondCheck)
{
    ASSERT_NO_FATAL_FAILURE(serveVersion("<html>Service unavailable</html>"));
    shell->window()->show();
    ASSERT_TRUE(runCheck()) << "the update check did not end";
    EXPECT_TRUE(notice->text().isEmpty());
    EXPECT_TRUE(notice->isHidden());

    // The window shown again: no second check.
    wiring->startUpdateCheck();
    EXPECT_EQ(wiring->updateCheck(), nullptr);
    QTest::qWait(50);
    EXPECT_EQ(server->requestCount(QStringLiteral("/verze_info.php")), 1);
}
