#pragma once

#include "archive/ArchiveSettings.h"
#include "archive/ArchiveState.h"
#include "core/config/IniStore.h"
#include "core/host/RunState.h"
#include "core/log/RunLog.h"
#include "storage/Destination.h"
#include "storage/ftp/FtpConnection.h"
#include "storage/ftp/FtpDestination.h"
#include "support/FtpServer.h"
#include "support/QtPrinters.h"
#include "support/RecordingHost.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <vector>

namespace ombrix::test {

// A backup chain on a real FTP server (pyftpdlib on loopback), made by the real backup run and
// readiness check working on the program's FTP destination: an FTP account with the sets below
// the remote folder /backup, or the network disk with the sets in the account root. config.ini
// names the server (BACKUP_DESTINATION, BACKUP_FTP_*), so a worker process finds it too.
//
// What the sets hold is read back through the destination (downloads, the real 7za), and what
// lies on the server is looked at on the server's own disk.
class ServerChainFixture : public ::testing::Test
{
  public:
    using Tree = std::map<QString, QByteArray>; // path relative to the source folder -> content

  protected:
    void SetUp() override;
    void TearDown() override;

    DestinationKind kind() const { return m_kind; }

    QString writeSource(const QString& relPath, const QByteArray& bytes);
    void removeSource(const QString& relPath);
    Tree sourceTree() const;
    static Tree treeOf(const QString& folder);

    // One press of START at a program start (a minute after the previous one on a fake clock):
    // readiness check and backup run on the server. The set it wrote; empty, with a test
    // failure, when no new set was completed.
    QString makeSet();
    // makeSet() and the source tree it saved, appended to sets and states.
    void addSet();

    // The program's connection opened again, as a new program start opens it.
    void reopenConnection();

    // The set folders in the server's destination root, from the server's own disk.
    QStringList serverSets() const;
    // The server's disk path of a destination path (set folder plain, names below it encoded).
    QString serverPathOf(const QString& relPath) const;
    // Files below the destination root whose name ends with suffix (".previous", ".tmp").
    QStringList serverFilesEndingWith(const QString& suffix) const;
    // Bytes of every file below a set folder on the server's disk.
    qint64 serverSetSize(const QString& set) const;

    // The catalog stored in a set, downloaded and extracted through the destination.
    QStringList storedCatalog(const QString& set);
    // Every line of the set's stored catalog extracted through the destination below a fresh
    // folder; the restored source tree.
    Tree restoreStored(const QString& set);
    // Every set named by a line of the set's stored catalog.
    QStringList setsNamedIn(const QString& set);
    // The archive password config.ini holds (PASSWORD), as reading the sets needs it.
    ArchiveSettings storedPassword() const;

    // Skyvra: the sets lie in the account root; FTP: in /backup of the account. A derived
    // fixture may change it before SetUp().
    DestinationKind m_kind = DestinationKind::Ftp;
    std::unique_ptr<TempProgramFolder> program;
    QTemporaryDir serverRoot;
    QTemporaryDir sourceDir;
    std::unique_ptr<FtpServer> server;
    RecordingHost host;
    RunState runState;
    ArchiveState archiveState;
    std::unique_ptr<IniStore> config;
    std::unique_ptr<RunLog> runLog;
    std::unique_ptr<FtpConnection> connection;
    std::unique_ptr<FtpDestination> destination;
    QStringList sets;
    std::vector<Tree> states;

  private:
    void makeDestination();
    QString destinationRootOnDisk() const;

    int m_setCount = 0;
};

} // namespace ombrix::test
