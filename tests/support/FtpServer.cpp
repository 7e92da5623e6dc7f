#include "FtpServer.h"

#include "platform/ChildProcess.h"
#include "TempProgramFolder.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>

namespace ombrix::test {

namespace {

constexpr int startTimeoutMs = 30000;
constexpr int stopTimeoutMs = 10000;

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

FtpServer::FtpServer(const QString& root, const QString& user, const QString& password)
    : m_root(QDir(root).absolutePath()), m_user(user), m_password(password)
{
    QFile secret(m_work.filePath(QStringLiteral("password")));
    if (secret.open(QIODevice::WriteOnly | QIODevice::Truncate))
        secret.write(m_password.toUtf8() + '\n');
    writeControlFile();
}

FtpServer::~FtpServer()
{
    if (::testing::Test::HasFailure())
        printLogs();
    stop();
}

void FtpServer::writeControlFile() const
{
    QJsonObject control;
    control.insert(QStringLiteral("no_mlsd"), !m_options.mlsd);
    control.insert(QStringLiteral("delay_ms"), m_options.delayMs);
    control.insert(QStringLiteral("throttle"), qint64(m_options.throttleBytesPerSecond));
    control.insert(QStringLiteral("stall_after"), qint64(m_options.stallAfterBytes));
    control.insert(QStringLiteral("refuse_logins"), m_options.refuseLogins);
    control.insert(QStringLiteral("reply_421"), m_options.reply421);
    control.insert(QStringLiteral("refuse_rename"), m_options.refuseRenameOf);
    // Written whole and renamed into place, so the server never reads half a file.
    QSaveFile file(m_work.filePath(QStringLiteral("control.json")));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(control).toJson(QJsonDocument::Compact));
        file.commit();
    }
}

void FtpServer::setOptions(const Options& options)
{
    m_options = options;
    writeControlFile();
}

bool FtpServer::start()
{
    return start(Options());
}

bool FtpServer::start(const Options& options)
{
    m_options = options;
    m_port = 0;
    writeControlFile();
    return launch();
}

bool FtpServer::restart()
{
    return launch();
}

bool FtpServer::running() const
{
    return m_process && m_process->running();
}

bool FtpServer::launch()
{
    stop();
    m_errorText.clear();
    const QString output = m_work.filePath(QStringLiteral("server.out"));
    QFile::remove(output);
    platform::ChildRequest request;
    request.program = QStringLiteral("/usr/bin/python3");
    request.arguments = {sourceDir() + QStringLiteral("/tests/support/ftp_server.py"),
                         QStringLiteral("--root"),
                         m_root,
                         QStringLiteral("--user"),
                         m_user,
                         QStringLiteral("--password-file"),
                         m_work.filePath(QStringLiteral("password")),
                         QStringLiteral("--port"),
                         QString::number(m_port),
                         QStringLiteral("--log"),
                         m_work.filePath(QStringLiteral("commands.log")),
                         QStringLiteral("--control"),
                         m_work.filePath(QStringLiteral("control.json")),
                         QStringLiteral("--parent-pid"),
                         QString::number(QCoreApplication::applicationPid())};
    request.stdoutFile = output;
    request.stderrToStdoutFile = true;
    request.hidden = true;
    m_process = std::make_unique<platform::ChildProcess>(request);
    if (!m_process->start()) {
        m_errorText = QStringLiteral("cannot start /usr/bin/python3: ") + m_process->result().errorText;
        m_process.reset();
        return false;
    }
    static const QRegularExpression portLine(QStringLiteral("^PORT (\\d+)$"),
                                             QRegularExpression::MultilineOption);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < startTimeoutMs) {
        if (m_process->waitFor(50)) {
            m_errorText = QStringLiteral("the FTP server ended at once:\n") + serverOutput();
            m_process.reset();
            return false;
        }
        const QRegularExpressionMatch match = portLine.match(serverOutput());
        if (match.hasMatch()) {
            m_port = quint16(match.captured(1).toUInt());
            return true;
        }
    }
    m_errorText = QStringLiteral("the FTP server was not listening after 30 s:\n") + serverOutput();
    stop();
    return false;
}

void FtpServer::stop()
{
    if (!m_process)
        return;
    m_process->kill();
    QElapsedTimer clock;
    clock.start();
    while (!m_process->waitFor(50) && clock.elapsed() < stopTimeoutMs) {
    }
    m_process.reset();
}

QString FtpServer::hostField() const
{
    return QStringLiteral("127.0.0.1:") + QString::number(m_port);
}

QString FtpServer::localPath(const QString& serverPath) const
{
    if (serverPath.isEmpty() || serverPath == QLatin1String("/"))
        return m_root;
    return serverPath.startsWith(QLatin1Char('/')) ? m_root + serverPath
                                                   : m_root + QLatin1Char('/') + serverPath;
}

QStringList FtpServer::commands() const
{
    QStringList found;
    const QString text = QString::fromUtf8(readFile(m_work.filePath(QStringLiteral("commands.log"))));
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        // "<connection> COMMAND argument"
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        found.append(line.mid(space + 1).trimmed());
    }
    return found;
}

int FtpServer::countCommands(const QString& command) const
{
    int count = 0;
    const QStringList all = commands();
    for (const QString& line : all) {
        if (line.section(QLatin1Char(' '), 0, 0) == command)
            ++count;
    }
    return count;
}

void FtpServer::clearCommands()
{
    QFile log(m_work.filePath(QStringLiteral("commands.log")));
    if (log.open(QIODevice::WriteOnly | QIODevice::Truncate))
        log.close();
}

QString FtpServer::serverOutput() const
{
    return QString::fromUtf8(readFile(m_work.filePath(QStringLiteral("server.out"))));
}

void FtpServer::printLogs() const
{
    std::fprintf(stderr, "---- FTP server output (%s) ----\n%s\n---- commands it received ----\n%s\n----\n",
                 qPrintable(m_root), qPrintable(serverOutput()),
                 qPrintable(commands().join(QLatin1Char('\n'))));
}

} // namespace ombrix::test
