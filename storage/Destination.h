#pragma once

#include <functional>
#include <QString>
#include <QStringList>

namespace ombrix {

// Where the archive sets live: a local or network folder, an FTP server, or the Skyvra account.
enum class DestinationKind
{
    Dir,
    Ftp,
    Skyvra
};

// "DIR", "FTP" or "SKYVRA", the form config.ini keeps (BACKUP_DESTINATION).
QString destinationKindText(DestinationKind kind);
// The kind named by a configuration text; anything unknown is a folder destination.
DestinationKind destinationKindFromText(const QString& text);

// The outcome of a transfer between the program's machine and the destination. A transfer that
// ran but did not end in the expected state (a size that differs after an upload) has ok false and
// no error text; a transport failure (connection lost, refusal) carries the error's own message,
// which the archiving engines write to the run log.
struct TransferResult
{
    bool ok = false;
    QString error;
};

// The operations the archiving, extraction and check engines need from a destination. Paths are
// relative to the destination root, in slash form, with the set folder as first segment
// ("OMX_2014-03-05_21-07-09/home/a/x.txt.7z"); each destination maps them onto its own storage
// (a folder below the destination folder, or the encoded names below the remote folder).
//
// A destination whose sets are plain local folders offers localPath(): the engines then let the
// archiver write and read there directly. Any other destination is reached only through
// storeFile() and fetchFile(): the engines make the archive in the program folder first, upload
// it and check it on the destination.
class Destination
{
  public:
    virtual ~Destination() = default;

    virtual DestinationKind kind() const = 0;

    // Whether the destination can be asked at all now (an FTP connection considered usable). A
    // destination that is not online answers every question with "no".
    virtual bool isOnline() const = 0;

    // The local path of an entry when the destination is a local folder; empty otherwise, and empty
    // for a path that would leave the destination root.
    virtual QString localPath(const QString& relPath) const = 0;

    virtual bool fileExists(const QString& relPath) = 0;
    virtual bool folderExists(const QString& relPath) = 0;
    // Creates the folder with every missing parent; true when it exists afterwards.
    virtual bool makeFolders(const QString& relPath) = 0;
    // Size of a file in bytes; -1 when the file does not exist or the size is unknown.
    virtual qint64 fileSize(const QString& relPath) = 0;
    // True when no file is left at the path (also when there was none).
    virtual bool deleteFile(const QString& relPath) = 0;

    // Puts a local file at relPath, replacing what was there; ok only when the destination then
    // holds a file of the local file's size. The folder must exist.
    virtual TransferResult storeFile(const QString& localFile, const QString& relPath) = 0;
    // Copies the file at relPath into localFile (which must not exist); ok when it exists afterwards.
    virtual TransferResult fetchFile(const QString& relPath, const QString& localFile) = 0;

    // Names of the folders directly below the destination root that begin with "OMX_", sorted.
    virtual QStringList listSetFolders() = 0;

    // Forgets whatever the destination remembers about its contents, so the next question sees
    // the destination afresh. Destinations without caches do nothing.
    virtual void clearCaches() {}

    // Moves a file or a folder to another path of the destination; the target's folder must
    // exist and nothing may be at the target. True when it was moved.
    virtual bool renameEntry(const QString& /*fromRelPath*/, const QString& /*toRelPath*/) { return false; }
    // Removes a folder with everything below it (a whole set). The destination root itself is
    // never removed. pump, when set, is called while the removal runs. True when nothing is left.
    virtual bool removeTree(const QString& /*relPath*/, const std::function<void()>& /*pump*/)
    {
        return false;
    }
    // The folders below relPath as relative paths (relPath + "/" + name), each folder's own
    // subfolders right after it when recursive is set. Names are as the destination stores them:
    // on FTP the names below a set folder are the server's encoded names.
    virtual QStringList listFolders(const QString& /*relPath*/, bool /*recursive*/) { return {}; }
    // Total bytes of the files below relPath. stopRequested, when set, is asked between entries
    // (and may let the window catch up); once it answers true the walk ends and the result is 0.
    virtual double treeSize(const QString& /*relPath*/, const std::function<bool()>& /*stopRequested*/)
    {
        return 0;
    }
    // Whether the destination still answers (a NOOP on FTP). Destinations without a connection
    // always answer.
    virtual bool keepAlive() { return true; }
    // Opens a lost connection again with the same values; destinations without one do nothing.
    virtual void reconnect() {}
    // A run that writes a set calls this first: from then on a folder destination counts as not
    // online once its root no longer lies on the file system it lies on now (the medium was
    // unplugged or unmounted and the bare mount folder shows through), so nothing is written
    // into the wrong place. Other destinations do nothing.
    virtual void pinVolume() {}
};

} // namespace ombrix
