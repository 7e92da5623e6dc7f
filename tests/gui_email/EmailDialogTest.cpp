#include "ui/dialogs/EmailDialog.h"

#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "core/config/Scrambling.h"
#include "core/log/RunLog.h"
#include "notify/EmailReport.h"
#include "support/RecordingHost.h"
#include "support/Screenshots.h"
#include "support/SmtpServer.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <iostream>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

using namespace ombrix;
using namespace ombrix::test;
using namespace ombrix::ui;
using namespace ombrix::ConfigKeys;

namespace {

const QString rowOf15 = QString(15, QLatin1Char('*'));

class EmailDialogTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        home.write(QStringLiteral("config.ini"), defaultConfigBytes());
        dialog.setConfigPath(configPath());
        dialog.setHost(&host);
    }

    QString configPath() const { return home.file(QStringLiteral("config.ini")); }
    IniStore store() const { return IniStore(configPath()); }
    void retype(QLineEdit* edit, const QString& text)
    {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }

    TempProgramFolder home;
    RecordingHost host;
    EmailDialog dialog;
};

} // namespace

TEST_F(EmailDialogTest, ShowingReadsEveryKeyAndShowsTheAsteriskRow)
{
    IniStore config = store();
    config.writeString(EMAIL_FROM_ADRESS, QStringLiteral("backup@example.test"));
    config.writeString(EMAIL_PC_NAME, QString::fromUtf8("Kancelář"));
    config.writeString(EMAIL_TO_ADRESS, QStringLiteral("admin@example.test"));
    config.writeString(EMAIL_SMTP_PORT, QStringLiteral("587"));
    config.writeString(EMAIL_SMTP_HOST, QStringLiteral("smtp.example.test"));
    config.writeString(EMAIL_SMTP_USERNAME, QStringLiteral("mailer"));
    config.writeString(EMAIL_SMTP_PASSWORD, sifruj(QStringLiteral("secret")));
    config.writeInt(EMAIL_SMTP_SSL, 1);

    dialog.openDialog();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Email"));
    EXPECT_EQ(dialog.objectName(), QStringLiteral("emailForm"));
    EXPECT_EQ(dialog.fromEdit()->text(), QStringLiteral("backup@example.test"));
    EXPECT_EQ(dialog.pcNameEdit()->text(), QString::fromUtf8("Kancelář"));
    EXPECT_EQ(dialog.toEdit()->text(), QStringLiteral("admin@example.test"));
    EXPECT_EQ(dialog.portEdit()->text(), QStringLiteral("587"));
    EXPECT_EQ(dialog.hostEdit()->text(), QStringLiteral("smtp.example.test"));
    EXPECT_EQ(dialog.userEdit()->text(), QStringLiteral("mailer"));
    EXPECT_EQ(dialog.passwordEdit()->text(), rowOf15);
    EXPECT_EQ(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.securityBox()->currentIndex(), 1);
    EXPECT_EQ(dialog.securityBox()->currentText(), QStringLiteral("SSL / TLS"));
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("Edit8")), dialog.passwordEdit());
    EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("ComboBox1")), dialog.securityBox());
    // For a person to look at.
    EXPECT_TRUE(dialog.grab().save(test::screenshotPath(QStringLiteral("email_dialog.png"))));
    dialog.reject();

    // With no password stored the row is shown all the same; a missing choice shows "---".
    config.writeString(EMAIL_SMTP_PASSWORD, QString());
    config.deleteKey(EMAIL_SMTP_SSL);
    dialog.load();
    EXPECT_EQ(dialog.passwordEdit()->text(), rowOf15);
    EXPECT_EQ(dialog.securityBox()->currentText(), QStringLiteral("---"));
}

TEST_F(EmailDialogTest, OkStoresEveryFieldButNeverTheAsteriskRow)
{
    const QString stored = sifruj(QStringLiteral("secret"));
    store().writeString(EMAIL_SMTP_PASSWORD, stored);
    dialog.openDialog();
    retype(dialog.fromEdit(), QStringLiteral("from@example.test"));
    retype(dialog.pcNameEdit(), QStringLiteral("PC1"));
    retype(dialog.toEdit(), QStringLiteral("to@example.test"));
    retype(dialog.portEdit(), QStringLiteral("abc"));
    retype(dialog.hostEdit(), QStringLiteral("mail.example.test"));
    retype(dialog.userEdit(), QStringLiteral("user1"));
    dialog.securityBox()->setCurrentIndex(1);
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);

    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const IniStore config = store();
    EXPECT_EQ(config.readString(EMAIL_FROM_ADRESS, QString()), QStringLiteral("from@example.test"));
    EXPECT_EQ(config.readString(EMAIL_PC_NAME, QString()), QStringLiteral("PC1"));
    EXPECT_EQ(config.readString(EMAIL_TO_ADRESS, QString()), QStringLiteral("to@example.test"));
    // The port as typed.
    EXPECT_EQ(config.readString(EMAIL_SMTP_PORT, QString()), QStringLiteral("abc"));
    EXPECT_EQ(config.readString(EMAIL_SMTP_HOST, QString()), QStringLiteral("mail.example.test"));
    EXPECT_EQ(config.readString(EMAIL_SMTP_USERNAME, QString()), QStringLiteral("user1"));
    EXPECT_EQ(config.readInt(EMAIL_SMTP_SSL, -1), 1);
    // The row was not written back: the stored password is the very same text.
    EXPECT_EQ(config.readString(EMAIL_SMTP_PASSWORD, QString()), stored);

    // A typed password is stored scrambled; a cleared field stores the empty password.
    dialog.openDialog();
    retype(dialog.passwordEdit(), QStringLiteral("new pass"));
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(desifruj(store().readString(EMAIL_SMTP_PASSWORD, QString())), QStringLiteral("new pass"));
    dialog.openDialog();
    dialog.passwordEdit()->clear();
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_TRUE(store().readString(EMAIL_SMTP_PASSWORD, QStringLiteral("x")).isEmpty());
}

TEST_F(EmailDialogTest, ClosingByTheFrameDiscardsTheEdits)
{
    store().writeString(EMAIL_SMTP_HOST, QStringLiteral("kept.example.test"));
    const QByteArray before = home.read(QStringLiteral("config.ini"));
    dialog.openDialog();
    retype(dialog.hostEdit(), QStringLiteral("typed.example.test"));
    dialog.close();
    EXPECT_EQ(home.read(QStringLiteral("config.ini")), before);
    dialog.openDialog();
    EXPECT_EQ(dialog.hostEdit()->text(), QStringLiteral("kept.example.test"));
}

TEST_F(EmailDialogTest, TestSavesSendsTheTestMailAndSaysHowItWent)
{
    SmtpServer server({});
    QString error;
    ASSERT_TRUE(server.start(&error)) << error.toStdString();
    RunLog log(home.file(QStringLiteral("log.txt")));
    EmailReport report(configPath(), log);
    dialog.setSender([&report](const QString& subject, const QString& text, const QString& attachment) {
        return report.email_send(subject, text, attachment);
    });

    dialog.openDialog();
    retype(dialog.fromEdit(), QStringLiteral("from@example.test"));
    retype(dialog.toEdit(), QStringLiteral("to@example.test"));
    retype(dialog.hostEdit(), QStringLiteral("127.0.0.1"));
    retype(dialog.portEdit(), QString::number(server.port()));
    QTest::mouseClick(dialog.testButton(), Qt::LeftButton);

    // Saved before sending, sent, said so, and the dialog stays open.
    EXPECT_EQ(store().readString(EMAIL_SMTP_HOST, QString()), QStringLiteral("127.0.0.1"));
    ASSERT_EQ(server.messages().size(), 1) << server.log().toStdString();
    const QJsonObject message = server.messages().first();
    EXPECT_EQ(message.value(QLatin1String("subject")).toString(),
              QString::fromUtf8("Testovací email ze Ombrix"));
    EXPECT_EQ(message.value(QLatin1String("html")).toString().trimmed(),
              QString::fromUtf8("<html><body>Toto je testovací email ze Ombrix</body></html>"));
    EXPECT_TRUE(message.value(QLatin1String("attachments")).toArray().isEmpty());
    ASSERT_EQ(host.questions().size(), 1u);
    EXPECT_EQ(host.questions().back().text, QString::fromUtf8("Testovací email byl odeslán."));
    EXPECT_TRUE(dialog.isVisible());

    // A server that is gone: the failure message, and the reason in the log.
    server.stop();
    QTest::mouseClick(dialog.testButton(), Qt::LeftButton);
    ASSERT_EQ(host.questions().size(), 2u);
    EXPECT_EQ(host.questions().back().text, QString::fromUtf8("Chyba emailu, zkontrolujte nastavení."));
    EXPECT_EQ(log.logBuffer().filter(QStringLiteral("EMAIL error: ")).size(), 1);
    EXPECT_TRUE(dialog.isVisible());
}
