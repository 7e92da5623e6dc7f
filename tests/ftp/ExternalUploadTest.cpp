#include "core/log/LogLines.h"
#include "core/remote/RemoteName.h"
#include "FtpFixture.h"
#include "platform/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace ombrix;
using namespace ombrix::test;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString set = QStringLiteral("OMX_2014-03-05_21-07-09");

class ExternalUploadTest : public FtpFixture
{
  protected:
    // A destination whose upload polls the server every 100 ms; the stall period as given.
    FtpDestination& quickDestination(int stallPeriodMs = ExternalUpload::defaultStallPeriodMs)
    {
        FtpDestination& dest = destination();
        dest.uploader().setPollPeriodMs(100);
        dest.uploader().setStallPeriodMs(stallPeriodMs);
        return dest;
    }

    QString bigLocalFile(const QString& name, int bytes)
    {
        QByteArray data(bytes, '\0');
        for (int i = 0; i < bytes; ++i)
            data[i] = char('a' + i % 23);
        return writeLocalFile(name, data);
    }

    // The server file of an upload to set/C/<name>.
    QString uploaded(const QString& name) const
    {
        return serverFile(u"/backup/"_s + set + u"/C.67/"_s + encodeRemoteName(name));
    }

    static bool processExists(qint64 pid)
    {
        return pid > 0 && QFileInfo::exists(u"/proc/"_s + QString::number(pid));
    }
};

} // namespace

TEST_F(ExternalUploadTest, ThrottledUploadShowsItsPercentage)
{
    FtpServer::Options options;
    options.throttleBytesPerSecond = 100 * 1024;
    ASSERT_TRUE(startServer(options)) << server().errorText().toStdString();
    FtpDestination& dest = quickDestination();
    ASSERT_TRUE(dest.makeFolders(set + u"/C"_s));
    const QString local = bigLocalFile(u"big.bin.7z.tmp"_s, 600 * 1024);

    const TransferResult stored = dest.storeFile(local, set + u"/C/big.bin.7z"_s);
    EXPECT_TRUE(stored.ok) << stored.error.toStdString();
    EXPECT_EQ(QFileInfo(uploaded(u"big.bin.7z"_s)).size(), 600 * 1024);

    static const QRegularExpression percent(u"^(\\d+)%$"_s);
    QStringList shown;
    for (const RecordingHost::Transfer& transfer : m_host.transfers()) {
        const QRegularExpressionMatch match = percent.match(transfer.percent);
        if (match.hasMatch()) {
            EXPECT_TRUE(transfer.visible);
            EXPECT_LT(match.captured(1).toInt(), 100);
            shown.append(transfer.percent);
        }
    }
    EXPECT_FALSE(shown.isEmpty()) << "no percentage was shown during a throttled upload";
    // When the upload is over the percentage is hidden again.
    ASSERT_FALSE(m_host.transfers().empty());
    EXPECT_TRUE(m_host.transfers().back().percent.isEmpty());
    EXPECT_EQ(m_state.lastProcessId, -1);
}

TEST_F(ExternalUploadTest, StalledUploadIsKilledByTheGuardAndLogged)
{
    // The server stops reading after some bytes, or reads none at all; the uploader itself
    // would only give up after its 30-second timeout.
    for (const qint64 stallAfter : {qint64(100 * 1024), qint64(0)}) {
        SCOPED_TRACE(stallAfter == 0 ? "nothing arrives" : "stops after 100 KiB");
        m_destination.reset();
        m_connection.reset();
        FtpServer::Options options;
        options.stallAfterBytes = stallAfter;
        if (!server().running()) {
            ASSERT_TRUE(startServer(options)) << server().errorText().toStdString();
        }
        server().setOptions(options);
        FtpDestination& dest = quickDestination(400);
        ASSERT_TRUE(dest.makeFolders(set + u"/C"_s));
        m_runLog.clear();
        const QString local = bigLocalFile(u"stall.bin.7z.tmp"_s, 1024 * 1024);
        qint64 uploaderPid = 0;
        m_host.setPumpHook([&] {
            if (m_state.lastProcessId > 0)
                uploaderPid = m_state.lastProcessId;
        });

        const TransferResult stored = dest.storeFile(local, set + u"/C/stall.bin.7z"_s);
        m_host.setPumpHook({});
        EXPECT_FALSE(stored.ok);
        EXPECT_TRUE(
            m_runLog.logBuffer().contains(logline::ftpConsoleError + encodeRemoteName(u"stall.bin.7z"_s)))
            << m_runLog.logBuffer().join(u" | "_s).toStdString();
        EXPECT_GT(uploaderPid, 0);
        EXPECT_FALSE(processExists(uploaderPid));
        EXPECT_LT(QFileInfo(uploaded(u"stall.bin.7z"_s)).size(), 1024 * 1024);
        EXPECT_EQ(m_state.lastProcessId, -1);
    }
}

TEST_F(ExternalUploadTest, StopDuringAnUploadEndsItAndLeavesNoUploader)
{
    FtpServer::Options options;
    options.throttleBytesPerSecond = 32 * 1024;
    ASSERT_TRUE(startServer(options)) << server().errorText().toStdString();
    const int size = 4 * 1024 * 1024; // more than two minutes at this speed

    // STOP as the button does it (flag and kill of lastProcessId), and a flag alone.
    for (const bool buttonKills : {true, false}) {
        SCOPED_TRACE(buttonKills ? "button kills the uploader" : "flag only");
        m_state.stopRequested = false;
        FtpDestination& dest = quickDestination();
        ASSERT_TRUE(dest.makeFolders(set + u"/C"_s));
        const QString local = bigLocalFile(u"stop.bin.7z.tmp"_s, size);
        const QString onServer = uploaded(u"stop.bin.7z"_s);
        qint64 uploaderPid = 0;
        m_host.setPumpHook([&] {
            if (m_state.stopRequested || m_state.lastProcessId <= 0)
                return;
            // Pressed once the upload is under way.
            if (QFileInfo(onServer).size() > 0) {
                uploaderPid = m_state.lastProcessId;
                m_state.stopRequested = true;
                if (buttonKills)
                    platform::KillProcessId(m_state.lastProcessId);
            }
        });

        const TransferResult stored = dest.storeFile(local, set + u"/C/stop.bin.7z"_s);
        m_host.setPumpHook({});
        EXPECT_FALSE(stored.ok);
        ASSERT_GT(uploaderPid, 0) << "STOP was never pressed during the upload";
        EXPECT_FALSE(processExists(uploaderPid));
        // It returned long before the throttled transfer could have ended.
        EXPECT_LT(QFileInfo(onServer).size(), size);
        EXPECT_EQ(m_state.lastProcessId, -1);
    }
    m_state.stopRequested = false;
}

TEST_F(ExternalUploadTest, PasswordIsOnNoCommandLineNorEnvironmentWhileUploading)
{
    FtpServer::Options options;
    options.throttleBytesPerSecond = 200 * 1024;
    ASSERT_TRUE(startServer(options)) << server().errorText().toStdString();
    FtpDestination& dest = quickDestination();
    ASSERT_TRUE(dest.makeFolders(set + u"/C"_s));
    const QString local = bigLocalFile(u"secret.bin.7z.tmp"_s, 600 * 1024);
    const QByteArray password = server().password().toUtf8();

    int scans = 0;
    QStringList leaks;
    m_host.setPumpHook([&] {
        if (m_state.lastProcessId <= 0)
            return;
        ++scans;
        const QStringList pids = QDir(u"/proc"_s).entryList({u"[0-9]*"_s}, QDir::Dirs);
        for (const QString& pid : pids) {
            for (const char* part : {"cmdline", "environ"}) {
                QFile file(u"/proc/"_s + pid + u'/' + QString::fromLatin1(part));
                if (file.open(QIODevice::ReadOnly) && file.readAll().contains(password))
                    leaks.append(pid + u'/' + QString::fromLatin1(part));
            }
        }
    });
    const TransferResult stored = dest.storeFile(local, set + u"/C/secret.bin.7z"_s);
    m_host.setPumpHook({});

    EXPECT_TRUE(stored.ok) << stored.error.toStdString();
    EXPECT_GT(scans, 0) << "the processes were never looked at while the uploader ran";
    EXPECT_TRUE(leaks.isEmpty()) << leaks.join(u", "_s).toStdString();
}

TEST_F(ExternalUploadTest, UploaderThatCannotStartIsReported)
{
    ASSERT_TRUE(startServer()) << server().errorText().toStdString();
    FtpDestination& dest = quickDestination();
    ASSERT_TRUE(dest.makeFolders(set + u"/C"_s));
    dest.uploader().setProgram(m_program.file(u"no-such-ombrixftp"_s));

    const TransferResult stored = dest.storeFile(writeLocalFile(u"x.7z.tmp"_s, "x"), set + u"/C/x.7z"_s);
    EXPECT_FALSE(stored.ok);
    EXPECT_FALSE(stored.error.isEmpty());
    ASSERT_EQ(m_host.questions().size(), 1u);
    EXPECT_EQ(m_host.questions().front().kind, AskKind::Error);
    EXPECT_FALSE(QFileInfo::exists(uploaded(u"x.7z"_s)));
}

TEST_F(ExternalUploadTest, AnOlderFileOfTheSameSizeIsNeverTakenForTheUpload)
{
    // The uploader cannot log in (the server refuses it), so nothing new arrives; the file that
    // lay there before has exactly the local size.
    ASSERT_TRUE(startServer()) << server().errorText().toStdString();
    FtpDestination& dest = quickDestination();
    ASSERT_TRUE(dest.makeFolders(set + u"/C"_s));
    writeServerFile(u"/backup/"_s + set + u"/C.67/"_s + encodeRemoteName(u"same.7z"_s), "old!");
    const QString local = writeLocalFile(u"same.7z.tmp"_s, "new!");
    FtpServer::Options refusing;
    refusing.refuseLogins = true;
    server().setOptions(refusing);

    const TransferResult stored = dest.storeFile(local, set + u"/C/same.7z"_s);
    EXPECT_FALSE(stored.ok);
    EXPECT_FALSE(QFileInfo::exists(uploaded(u"same.7z"_s)));
}
