#include "restore/RecoveryTreeBuilder.h"

#include "restore/RecoveryTreePath.h"

namespace ombrix {

RecoveryTreeBuilder::RecoveryTreeBuilder(Sink& sink) : m_sink(sink) {}

bool RecoveryTreeBuilder::addLine(qsizetype index, QStringView line)
{
    const RecoveryTreePath::Split split = RecoveryTreePath::splitLine(line);
    if (!split.ok)
        return false;
    if (!m_hasLast || split.folder != m_lastFolder) {
        m_lastNode = split.folder.isEmpty() ? root : findFolderNode(split.folder);
        m_lastFolder = split.folder;
        m_hasLast = true;
    }
    m_sink.addFile(m_lastNode, split.name, index);
    return true;
}

int RecoveryTreeBuilder::findFolderNode(const QString& folder)
{
    const auto found = m_folders.constFind(folder);
    if (found != m_folders.constEnd())
        return found.value();
    // Parents first, without recursion: a path may be deep enough to matter.
    QString missing = folder;
    QList<QString> chain;
    while (!missing.isEmpty() && !m_folders.contains(missing)) {
        chain.append(missing);
        missing = RecoveryTreePath::parentFolder(missing);
    }
    int parent = missing.isEmpty() ? root : m_folders.value(missing);
    for (auto it = chain.crbegin(); it != chain.crend(); ++it) {
        parent = m_sink.addFolder(parent, RecoveryTreePath::folderName(*it));
        m_folders.insert(*it, parent);
    }
    return parent;
}

} // namespace ombrix
