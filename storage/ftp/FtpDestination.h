#pragma once

#include "storage/Destination.h"
#include "storage/ftp/ExternalUpload.h"

#include <functional>
#include <QHash>
#include <QString>
#include <QStringList>

namespace ombrix {

class FtpConnection;
class Host;
class RunLog;
struct RunState;

// The FTP and Skyvra destinations: the sets are folders on the server below the remote folder
// (BACKUP_FTP_DIR; for Skyvra the account root). Paths of Destination (relative, slash form,
// set folder first) are mapped with lomitka and fnEncode, so every name below a set folder is
// stored encoded. Uploads run through the external uploader; downloads and everything else run
// on the program's FTP connection, each preceded by the reconnect step.
//
// The F operations are the ones the rest of the program knows by these names; they take paths
// in the program's own form ("\" or "/" separated, remote folder included, names not encoded).
// Their caches keep a backup of thousands of files in a few folders at one listing per folder:
// - existing folders and missing folders, keyed by the lomitka form of the path (not encoded);
// - file sizes, keyed by the server's name of a listed folder + "/" + the listed name of each
//   file in it (folders are left out, so a folder never passes for a file), holding the listed
//   size text;
// - lastListedDir, the server folder (as the server reports it) whose listing ftpListingBuffer
//   holds.
// An upload empties the file sizes and lastListedDir, so the next question in that folder lists
// it again. A step that fails because the connection was lost (not because the server said no)
// is tried once more on a reopened connection, and a folder is only remembered as missing when
// the server itself answered so.
class FtpDestination : public Destination
{
  public:
    struct DestCaches
    {
        QHash<QString, QString> existingFolders;
        QHash<QString, QString> missingFolders;
        QHash<QString, QString> fileSizes;
    };

    // remoteFolder: BACKUP_FTP_DIR for FTP; empty for Skyvra. runLog may be null.
    FtpDestination(DestinationKind kind, const QString& remoteFolder, FtpConnection& connection, Host& host,
                   RunState& state, RunLog* runLog);

    DestinationKind kind() const override { return m_kind; }
    bool isOnline() const override;
    QString localPath(const QString&) const override { return {}; }

    bool fileExists(const QString& relPath) override;
    bool folderExists(const QString& relPath) override;
    bool makeFolders(const QString& relPath) override;
    qint64 fileSize(const QString& relPath) override;
    bool deleteFile(const QString& relPath) override;
    TransferResult storeFile(const QString& localFile, const QString& relPath) override;
    TransferResult fetchFile(const QString& relPath, const QString& localFile) override;
    QStringList listSetFolders() override;
    void clearCaches() override { clearDestCaches(); }
    bool renameEntry(const QString& fromRelPath, const QString& toRelPath) override;
    bool removeTree(const QString& relPath, const std::function<void()>& pump) override;
    QStringList listFolders(const QString& relPath, bool recursive) override;
    double treeSize(const QString& relPath, const std::function<bool()>& stopRequested) override;
    bool keepAlive() override;
    void reconnect() override;

    // The remote folder (empty for Skyvra) and the program-form path of a relative path.
    const QString& remoteFolder() const { return m_remoteFolder; }
    QString remotePath(const QString& relPath) const;

    // Whether the folder exists on the server; asked once per folder, then answered from the
    // caches. An empty path is asked as "/".
    bool DirectoryExistsF(const QString& directory);
    // Whether the file exists on the server (a listed folder never counts as the file). error,
    // when given, receives the text of a server or connection failure (false is returned then).
    bool FileExistsF(const QString& soubor, QString* error = nullptr);
    // The file's size on the server; 0 when it does not exist or its size is unknown (error,
    // when given, then says why).
    qint64 FileSizeF(const QString& soubor, QString* error = nullptr);
    // Creates the folder with every missing parent (names below the set folder encoded); true
    // when it exists afterwards.
    bool vytvor_adresarF(const QString& adresar);
    // Appends the folders directly in directory (and with rekurze those below them at once) to
    // dirListing as the server path of directory + "/" + the listed name. False, with error set,
    // when the server could not be listed; with ftpOnline false nothing is asked.
    bool adresarF(const QString& directory, bool rekurze, QStringList& dirListing, QString* error = nullptr);
    // velikost plus the bytes of every file below the server folder dir (names as the server
    // has them). Shows each folder on the merge page's status line and pumps the window; 0 once
    // STOP (RunState::stopRequested, or stopCheck) was seen.
    double SizeDirF(const QString& dir, double velikost, const std::function<bool()>& stopCheck = {});
    // Forgets the three caches and lastListedDir.
    void clearDestCaches();

    const DestCaches& destCaches() const { return m_caches; }
    const QString& lastListedDir() const { return m_lastListedDir; }
    const QStringList& ftpListingBuffer() const { return m_ftpListingBuffer; }

    ExternalUpload& uploader() { return m_uploader; }

  private:
    bool online() const;
    bool serverStep(const std::function<bool()>& step);
    void forgetListing();
    bool listServerFolders(const QString& serverPath, const QString& prefix, bool recursive, QStringList& out,
                           QString* error);
    bool removeServerTree(const QString& serverPath, const std::function<void()>& pump);
    bool stopSeen(const std::function<bool()>& stopCheck) const;

    DestinationKind m_kind;
    QString m_remoteFolder;
    FtpConnection& m_connection;
    Host& m_host;
    RunState& m_state;
    ExternalUpload m_uploader;
    DestCaches m_caches;
    QString m_lastListedDir;
    QStringList m_ftpListingBuffer;
};

} // namespace ombrix
