#include "support/PythonServer.h"

#include "support/TempProgramFolder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

namespace ombrix::test {

namespace {

// Starting Python and the server's modules takes a moment on a busy machine; this is only the
// limit after which the start counts as failed.
constexpr int startLimitMs = 60000;

} // namespace

PythonServer::PythonServer(const QString& script, const QStringList& arguments)
    : m_script(QDir(sourceDir()).filePath(QStringLiteral("tests/support/") + script)), m_arguments(arguments)
{
}

PythonServer::~PythonServer()
{
    stop();
}

bool PythonServer::start(QString* error)
{
    if (!m_folder.isValid()) {
        *error = QStringLiteral("no temporary folder for the server");
        return false;
    }
    QStringList arguments = {m_script,
                             QStringLiteral("--port"),
                             QStringLiteral("0"),
                             QStringLiteral("--log"),
                             file(QStringLiteral("log.txt")),
                             QStringLiteral("--parent-pid"),
                             QString::number(QCoreApplication::applicationPid())};
    arguments += m_arguments;
    m_process.setWorkingDirectory(m_folder.path());
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral("/usr/bin/python3"), arguments);
    if (!m_process.waitForStarted(startLimitMs)) {
        *error = QStringLiteral("python3 did not start: ") + m_process.errorString();
        return false;
    }
    const QDeadlineTimer deadline(startLimitMs);
    while (!deadline.hasExpired()) {
        if (!m_process.canReadLine() && !m_process.waitForReadyRead(200)) {
            if (m_process.state() == QProcess::NotRunning)
                break;
            continue;
        }
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine();
            m_output += line;
            if (line.startsWith("PORT ")) {
                m_port = line.mid(5).trimmed().toInt();
                return m_port > 0;
            }
        }
    }
    m_output += m_process.readAll();
    *error = QStringLiteral("the server did not start listening: ") + log();
    return false;
}

void PythonServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
    m_output += m_process.readAll();
}

QString PythonServer::log() const
{
    QFile file(m_folder.filePath(QStringLiteral("log.txt")));
    const QByteArray logged = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return QString::fromUtf8(m_output + logged);
}

} // namespace ombrix::test
