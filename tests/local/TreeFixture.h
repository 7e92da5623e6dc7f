#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace ombrix::test {

// Builds folders and files by raw byte names with the system calls directly (one level at a
// time), so trees with names that are not UTF-8 and paths beyond the path-length limit can be
// made without going through the code under test.
class TreeFixture
{
  public:
    TreeFixture();
    // Removes the tree, which may be too deep for QTemporaryDir's own clean-up.
    ~TreeFixture();
    TreeFixture(const TreeFixture&) = delete;
    TreeFixture& operator=(const TreeFixture&) = delete;

    QString path() const { return m_dir.path(); }
    QByteArray bytes() const;

    // Creates the folder chain below the temporary folder (relative, '/'-separated raw bytes).
    bool makeFolder(const QByteArray& relative) const;
    bool writeFile(const QByteArray& relative, qint64 size) const;
    bool makeLink(const QByteArray& relative, const QByteArray& target) const;
    // Whether the relative entry exists (not following a final link).
    bool exists(const QByteArray& relative) const;
    // A chain of levels folders named component below relative; returns its relative path.
    QByteArray makeDeepChain(const QByteArray& relative, const QByteArray& component, int levels) const;

  private:
    int openParent(const QByteArray& relative, QByteArray& leaf, bool create) const;
    QTemporaryDir m_dir;
};

} // namespace ombrix::test
