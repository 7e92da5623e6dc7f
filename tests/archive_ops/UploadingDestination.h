#pragma once

#include "storage/FolderDestination.h"

#include <QString>
#include <QStringList>

namespace ombrix::test {

// A destination the engines can only reach by transfers, as an FTP server: it keeps its files in
// a local folder but offers no local path, so every archive is made in the program folder,
// stored and fetched. Transfers can be made to fail (with an error text) or to arrive short, as
// a broken connection would.
class UploadingDestination : public Destination
{
  public:
    explicit UploadingDestination(const QString& root) : m_folder(root) {}

    DestinationKind kind() const override { return DestinationKind::Ftp; }
    bool isOnline() const override { return m_online; }
    QString localPath(const QString&) const override { return {}; }

    bool fileExists(const QString& relPath) override { return m_online && m_folder.fileExists(relPath); }
    bool folderExists(const QString& relPath) override { return m_online && m_folder.folderExists(relPath); }
    bool makeFolders(const QString& relPath) override { return m_online && m_folder.makeFolders(relPath); }
    qint64 fileSize(const QString& relPath) override { return m_online ? m_folder.fileSize(relPath) : -1; }
    bool deleteFile(const QString& relPath) override { return m_online && m_folder.deleteFile(relPath); }
    TransferResult storeFile(const QString& localFile, const QString& relPath) override;
    TransferResult fetchFile(const QString& relPath, const QString& localFile) override;
    QStringList listSetFolders() override { return m_online ? m_folder.listSetFolders() : QStringList(); }

    bool m_online = true;
    QString m_failWith;         // transfers fail with this error text when set
    bool m_arriveShort = false; // uploads lose their last byte
    QStringList m_stored;       // the local files handed to storeFile, in order
    QStringList m_fetched;      // the entries fetched, in order

  private:
    FolderDestination m_folder;
};

} // namespace ombrix::test
