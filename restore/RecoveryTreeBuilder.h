#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

namespace ombrix {

// Turns the lines of the restore work list into folder and file nodes, one line at a time, in
// list order. Folders are made in the order of first use, each with any missing parents, and
// every node's children keep the order in which they were added; nothing is sorted. The nodes
// themselves belong to a Sink (the window's tree items, or a plain record in tests); the builder
// only knows them by the handle the sink gives back.
class RecoveryTreeBuilder
{
  public:
    // Handle of the invisible root: top folders (and files of paths without a folder) go there.
    static constexpr int root = -1;

    class Sink
    {
      public:
        virtual ~Sink() = default;
        // Adds a folder node below parent (root for a top folder) and returns its handle (>= 0).
        virtual int addFolder(int parent, const QString& name) = 0;
        // Adds a file node below parent for the list line with that 0-based number.
        virtual void addFile(int parent, const QString& name, qsizetype line) = 0;
    };

    explicit RecoveryTreeBuilder(Sink& sink);

    // Adds the file of list line `index`. False, adding nothing, for a line that names no path.
    bool addLine(qsizetype index, QStringView line);

    // The node of a folder key ending in '/', made with any missing parent folders.
    int findFolderNode(const QString& folder);

    qsizetype folderCount() const { return m_folders.size(); }

  private:
    Sink& m_sink;
    // Folder key ("/home/user/") -> its node; exists for one build only.
    QHash<QString, int> m_folders;
    // Consecutive lines mostly share their folder: the last one is looked up once.
    QString m_lastFolder;
    int m_lastNode = root;
    bool m_hasLast = false;
};

} // namespace ombrix
