#include "UploadingDestination.h"

#include <QFile>

namespace ombrix::test {

TransferResult UploadingDestination::storeFile(const QString& localFile, const QString& relPath)
{
    m_stored.append(localFile);
    if (!m_failWith.isEmpty())
        return {false, m_failWith};
    TransferResult result = m_folder.storeFile(localFile, relPath);
    if (result.ok && m_arriveShort) {
        QFile stored(m_folder.localPath(relPath));
        if (stored.open(QIODevice::ReadWrite))
            stored.resize(stored.size() - 1);
        result.ok = false;
    }
    return result;
}

TransferResult UploadingDestination::fetchFile(const QString& relPath, const QString& localFile)
{
    m_fetched.append(relPath);
    if (!m_failWith.isEmpty())
        return {false, m_failWith};
    return m_folder.fetchFile(relPath, localFile);
}

} // namespace ombrix::test
