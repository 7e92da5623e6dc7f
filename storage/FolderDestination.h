#pragma once

#include "platform/DurableFiles.h"
#include "storage/Destination.h"

#include <QString>

namespace ombrix {

// The "DIR" destination: the sets are folders below a local or network folder (BACKUP_DIR).
// A relative folder is taken relative to the program folder, the program's working directory.
class FolderDestination : public Destination
{
  public:
    explicit FolderDestination(const QString& rootFolder);

    const QString& root() const { return m_root; }

    DestinationKind kind() const override { return DestinationKind::Dir; }
    // The root folder is there: it exists, a removable medium it lies on is attached, and, once
    // pinned, it is still the folder it was then (not the bare mount folder of a medium that went
    // away, not a folder made anew in place of a deleted one).
    bool isOnline() const override;
    void pinVolume() override;
    QString localPath(const QString& relPath) const override;

    bool fileExists(const QString& relPath) override;
    bool folderExists(const QString& relPath) override;
    bool makeFolders(const QString& relPath) override;
    qint64 fileSize(const QString& relPath) override;
    bool deleteFile(const QString& relPath) override;
    TransferResult storeFile(const QString& localFile, const QString& relPath) override;
    TransferResult fetchFile(const QString& relPath, const QString& localFile) override;
    QStringList listSetFolders() override;
    bool renameEntry(const QString& fromRelPath, const QString& toRelPath) override;
    bool removeTree(const QString& relPath, const std::function<void()>& pump) override;
    QStringList listFolders(const QString& relPath, bool recursive) override;
    double treeSize(const QString& relPath, const std::function<bool()>& stopRequested) override;

  private:
    QString m_root;
    platform::FileIdentity m_pinnedRoot;
};

} // namespace ombrix
