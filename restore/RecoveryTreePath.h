#pragma once

#include <QString>
#include <QStringView>

namespace ombrix {

// Where a line of the restore work list sits in the selective restore tree. Catalog paths on this
// system are absolute paths with '/' ("/home/user/Data/x.txt"; a drive form "C:/Data/x.txt" from
// an attached chain reads the same way), so the tree is built on '/': the top folder "/" (or
// "C:"), then one folder node per path component, then the file.
namespace RecoveryTreePath {

inline constexpr QChar separator = u'/';

struct Split
{
    bool ok = false; // false for a line that names no path (empty or shorter than a catalog line)
    QString folder;  // the path up to and including its last '/'; empty when the path has none
    QString name;    // the file name after the last '/'
};

// The folder and file name of the file a list line names; a plain-copy line (X marker) is split
// by its path exactly like any other line.
Split splitLine(QStringView line);

// The folder above a folder key ending in '/' ("/home/user/" -> "/home/"); empty for a top
// folder ("/", "C:/").
QString parentFolder(QStringView folder);

// The shown name of a folder key: its last component ("/home/user/" -> "user"); for a top folder
// the key without its final '/' ("C:/" -> "C:"), and "/" for the root itself.
QString folderName(QStringView folder);

} // namespace RecoveryTreePath

} // namespace ombrix
