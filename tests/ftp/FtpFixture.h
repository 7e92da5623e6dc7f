#pragma once

#include "core/host/RunState.h"
#include "core/log/RunLog.h"
#include "storage/ftp/FtpConnection.h"
#include "storage/ftp/FtpDestination.h"
#include "support/FtpServer.h"
#include "support/RecordingHost.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <memory>
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace ombrix::test {

// A program folder, a real FTP server on loopback serving a fresh folder, and the program's
// connection and FTP destination on top of it, as readiness sets them up.
class FtpFixture : public ::testing::Test
{
  protected:
    FtpFixture();

    // Starts the server; use as ASSERT_TRUE(startServer()) << server().errorText().
    bool startServer(const FtpServer::Options& options = {});
    FtpServer& server() { return *m_server; }

    // The settings readiness would take from config.ini for this server.
    FtpSettings settings() const;
    // Opens the connection as readiness does (ftpOnline from the NOOP).
    FtpConnection& connection();
    // The destination with the given remote folder, on the connection (opened when needed). The
    // uploader is ombrixftp of the build.
    FtpDestination& destination(const QString& remoteFolder = QStringLiteral("/backup"));

    // A file or folder on the server's side, by server path ("/backup/x").
    QString serverFile(const QString& serverPath) const;
    void writeServerFile(const QString& serverPath, const QByteArray& bytes) const;
    void makeServerFolder(const QString& serverPath) const;
    QByteArray readServerFile(const QString& serverPath) const;
    // A local file in the program folder.
    QString writeLocalFile(const QString& name, const QByteArray& bytes) const;

    // The uploader built beside the other programs.
    static QString consoleProgram();

    TempProgramFolder m_program;
    QTemporaryDir m_serverRoot;
    std::unique_ptr<FtpServer> m_server;
    RecordingHost m_host;
    RunState m_state;
    RunLog m_runLog;
    std::unique_ptr<FtpConnection> m_connection;
    std::unique_ptr<FtpDestination> m_destination;
};

} // namespace ombrix::test
