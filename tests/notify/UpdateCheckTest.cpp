#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "notify/TComThread.h"
#include "support/HttpsServer.h"
#include "support/TempProgramFolder.h"
#include "support/TestCertificate.h"
#include "support/TrustStore.h"

#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QUrlQuery>
#include <zlib.h>

using namespace ombrix;
using namespace ombrix::test;

namespace {

const QString running = QStringLiteral("1.8.10.0");
const QByteArray newProgram = QByteArray("#!/bin/sh\necho new\n") + QByteArray(200000, 'x');

QByteArray crcText(const QByteArray& bytes)
{
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.constData()),
                            static_cast<uInt>(bytes.size()));
    return QByteArray::number(qulonglong(crc));
}

// What one run of the check did on the window's side.
struct Outcome
{
    bool ended = false;
    int noticeSteps = 0;
    QStringList announced; // versions the notice step was asked to show
};

class UpdateCheck : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(certificates.isValid()) << certificates.error().toStdString();
        trust = std::make_unique<TrustStore>(certificates.authorityFile(), certificates.emptyFolder());
        server = std::make_unique<HttpsServer>(certificates.certificateFile(), certificates.keyFile());
        QString error;
        ASSERT_TRUE(server->start(&error)) << error.toStdString();
        home.write(QStringLiteral("config.ini"), defaultConfigBytes());
        IniStore(home.file(QStringLiteral("config.ini")))
            .writeString(ConfigKeys::BACKUP_DESTINATION, QString(ConfigKeys::DESTINATION_FTP));
    }

    void TearDown() override
    {
        if (HasFailure() && server)
            std::cerr << "--- HTTPS server log ---\n" << server->log().toStdString() << '\n';
    }

    TComThread::Settings settings(bool maySelfUpdate = true) const
    {
        TComThread::Settings s;
        s.server = server->url();
        s.programFolder = home.path();
        s.configPath = home.file(QStringLiteral("config.ini"));
        s.runningVersion = running;
        s.maySelfUpdate = maySelfUpdate;
        s.timeoutMs = 20000;
        return s;
    }

    void serve(const QByteArray& version, const QByteArray& checksum, const QByteArray& program)
    {
        server->setAnswer(QStringLiteral("/verze_info.php"), version);
        server->setAnswer(QStringLiteral("/crc_info.php"), checksum);
        server->setAnswer(QStringLiteral("/sendfile.php"), program);
    }

    // Runs one check to its end with this thread as the window's: the notice steps run here while
    // the check waits for them.
    Outcome runCheck(const TComThread::Settings& s, bool autoUpdate,
                     const QString& requestWord = TComThread::novaverze)
    {
        Outcome outcome;
        TComThread check(s);
        QObject window;
        QObject::connect(
            &check, &TComThread::synchronize, &window,
            [&] {
                ++outcome.noticeSteps;
                const QString version = check.noticeStep(requestWord, autoUpdate);
                if (!version.isEmpty())
                    outcome.announced << version;
            },
            Qt::BlockingQueuedConnection);
        check.start(QThread::LowestPriority);
        // Every request has its own timeout, so the check always ends; the limit only turns a
        // check that takes far too long into a failure (the thread is still waited for).
        const QDeadlineTimer limit(180000);
        bool reported = false;
        while (!check.wait(QDeadlineTimer(20))) {
            QCoreApplication::processEvents();
            if (limit.hasExpired() && !reported) {
                ADD_FAILURE() << "the update check did not end within three minutes";
                reported = true;
            }
        }
        outcome.ended = !reported;
        return outcome;
    }

    bool waiting() const { return QFileInfo::exists(home.file(TComThread::versionFile)); }
    bool downloading() const { return QFileInfo::exists(home.file(TComThread::downloadFile)); }
    int downloads() const { return server->requestCount(QStringLiteral("/sendfile.php")); }

    TestCertificate certificates;
    std::unique_ptr<TrustStore> trust;
    std::unique_ptr<HttpsServer> server;
    TempProgramFolder home;
};

} // namespace

TEST_F(UpdateCheck, AsksForTheVersionAndTheChecksumTheWayTheServerExpects)
{
    serve("1.8.10.0\r\n", crcText(newProgram), newProgram);
    const Outcome outcome = runCheck(settings(), false);
    const QList<QJsonObject> requests = server->requests();
    ASSERT_GE(requests.size(), 2);
    const QJsonObject version = requests.at(0);
    EXPECT_EQ(version.value(QLatin1String("path")).toString(), QStringLiteral("/verze_info.php"));
    const QUrlQuery query(version.value(QLatin1String("query")).toString());
    EXPECT_EQ(query.queryItemValue(QStringLiteral("verze")), running);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("destination")), QStringLiteral("FTP"));
    EXPECT_EQ(version.value(QLatin1String("user_agent")).toString(),
              QStringLiteral("Mozilla/3.0 (compatible; Indy Library)"));
    EXPECT_EQ(version.value(QLatin1String("accept")).toString(), QStringLiteral("text/html, */*"));
    EXPECT_EQ(requests.at(1).value(QLatin1String("path")).toString(), QStringLiteral("/crc_info.php"));
    EXPECT_EQ(outcome.noticeSteps, 2);
}

TEST_F(UpdateCheck, WhatTheServerAnswersDecidesNoticeAndDownload)
{
    const QByteArray rightCrc = crcText(newProgram);
    const struct
    {
        const char* name;
        QByteArray version;
        QByteArray checksum;
        bool autoUpdate;
        bool maySelfUpdate;
        bool announced;  // the notice step names the version
        bool downloaded; // the executable was asked for
        bool installed;  // a verified _new_version.tmp waits
    } cases[] = {
        {"same version", "1.8.10.0", rightCrc, true, true, true, false, false},
        {"older version", "1.8.9.0", rightCrc, true, true, true, false, false},
        {"newer, automatic updates off", "1.8.11.0", rightCrc, false, true, true, false, false},
        {"newer, automatic updates on", "1.8.11.0\r\nignored second line\r\n", rightCrc, true, true, true,
         true, true},
        {"newer by a wider part", "1.8.100", rightCrc, true, true, true, true, true},
        {"newer, wrong checksum", "1.9.0.0", "12345", true, true, true, true, false},
        {"newer, checksum not a number", "1.9.0.0", "abc", true, true, true, false, false},
        {"newer, installation not portable", "2.0.0.0", rightCrc, true, false, true, false, false},
        {"garbled version", "<html>busy</html>", rightCrc, true, true, false, false, false},
        {"version with a letter", "1.9.0.0b", rightCrc, true, true, false, false, false},
        {"empty answer", "", rightCrc, true, true, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(home.file(TComThread::versionFile));
        const int before = downloads();
        serve(c.version, c.checksum, newProgram);
        const Outcome outcome = runCheck(settings(c.maySelfUpdate), c.autoUpdate);
        ASSERT_TRUE(outcome.ended);
        if (c.announced) {
            ASSERT_EQ(outcome.announced.size(), 1);
            EXPECT_EQ(outcome.announced.first(),
                      QString::fromLatin1(c.version).section(QLatin1Char('\r'), 0, 0));
        } else {
            EXPECT_TRUE(outcome.announced.isEmpty());
        }
        EXPECT_EQ(downloads() - before, c.downloaded ? 1 : 0);
        EXPECT_EQ(waiting(), c.installed);
        if (c.installed) {
            QFile file(home.file(TComThread::versionFile));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_TRUE(file.readAll() == newProgram);
        }
        // An unverified download never stays behind.
        EXPECT_FALSE(downloading());
    }
}

TEST_F(UpdateCheck, ADownloadThatBreaksOffLeavesNothingBehind)
{
    serve("1.9.0.0", crcText(newProgram), newProgram);
    server->cutAnswerAfter(QStringLiteral("/sendfile.php"), newProgram.size() / 2);
    const Outcome outcome = runCheck(settings(), true);
    ASSERT_TRUE(outcome.ended);
    EXPECT_EQ(outcome.announced, QStringList{QStringLiteral("1.9.0.0")});
    EXPECT_EQ(downloads(), 1);
    EXPECT_FALSE(waiting());
    EXPECT_FALSE(downloading());

    // The next check, with the connection sound, installs it.
    server->removeAnswer(QStringLiteral("/sendfile.php"));
    serve("1.9.0.0", crcText(newProgram), newProgram);
    ASSERT_TRUE(runCheck(settings(), true).ended);
    EXPECT_TRUE(waiting());
}

TEST_F(UpdateCheck, AServerThatIsNotTrustedIsNotBelieved)
{
    serve("1.9.0.0", crcText(newProgram), newProgram);
    trust.reset();
    trust = std::make_unique<TrustStore>(certificates.otherAuthorityFile(), certificates.emptyFolder());
    const Outcome outcome = runCheck(settings(), true);
    ASSERT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.announced.isEmpty());
    EXPECT_FALSE(waiting());
    EXPECT_EQ(downloads(), 0);
}

TEST_F(UpdateCheck, NoServerNoRequestWordNoPlainHttp)
{
    serve("1.9.0.0", crcText(newProgram), newProgram);
    // The window did not ask for the check: nothing is requested at all.
    Outcome outcome = runCheck(settings(), true, QStringLiteral("jinak"));
    EXPECT_EQ(outcome.noticeSteps, 1);
    EXPECT_TRUE(server->requests().isEmpty());

    // A plain http:// address is never asked.
    TComThread::Settings plain = settings();
    QUrl url = plain.server;
    url.setScheme(QStringLiteral("http"));
    plain.server = url;
    outcome = runCheck(plain, true);
    EXPECT_TRUE(outcome.announced.isEmpty());
    EXPECT_TRUE(server->requests().isEmpty());

    // Nobody there: the check ends quietly.
    server->stop();
    outcome = runCheck(settings(), true);
    EXPECT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.announced.isEmpty());
    EXPECT_FALSE(waiting());
}
