#include "FtpFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {

FtpFixture::FtpFixture()
    : m_server(std::make_unique<FtpServer>(m_serverRoot.path())),
      m_runLog(m_program.file(QStringLiteral("log.txt")))
{
}

bool FtpFixture::startServer(const FtpServer::Options& options)
{
    return m_server->start(options);
}

FtpSettings FtpFixture::settings() const
{
    FtpSettings settings;
    settings.kind = DestinationKind::Ftp;
    settings.hostField = m_server->hostField();
    settings.user = m_server->user();
    settings.password = m_server->password();
    return settings;
}

FtpConnection& FtpFixture::connection()
{
    if (!m_connection) {
        m_connection = std::make_unique<FtpConnection>(settings());
        m_connection->open();
    }
    return *m_connection;
}

FtpDestination& FtpFixture::destination(const QString& remoteFolder)
{
    if (!m_destination || m_destination->remoteFolder() != remoteFolder) {
        m_destination = std::make_unique<FtpDestination>(DestinationKind::Ftp, remoteFolder, connection(),
                                                         m_host, m_state, &m_runLog);
        m_destination->uploader().setProgram(consoleProgram());
    }
    return *m_destination;
}

QString FtpFixture::serverFile(const QString& serverPath) const
{
    return m_server->localPath(serverPath);
}

void FtpFixture::writeServerFile(const QString& serverPath, const QByteArray& bytes) const
{
    const QString path = serverFile(serverPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void FtpFixture::makeServerFolder(const QString& serverPath) const
{
    QDir().mkpath(serverFile(serverPath));
}

QByteArray FtpFixture::readServerFile(const QString& serverPath) const
{
    QFile file(serverFile(serverPath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString FtpFixture::writeLocalFile(const QString& name, const QByteArray& bytes) const
{
    m_program.write(name, bytes);
    return m_program.file(name);
}

QString FtpFixture::consoleProgram()
{
    return binDir() + QStringLiteral("/ombrixftp");
}

} // namespace ombrix::test
