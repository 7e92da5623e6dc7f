#pragma once

#include <QString>

namespace ombrix {

// Path rules of the restore run: where a catalog line's file goes, and which source-list lines
// the exact-state preparation may delete. Both refuse anything that could reach outside what the
// user chose, because a catalog or a source list read back from a destination is not trusted.
namespace RestoreTarget {

// Whether a catalog path may be restored: an absolute path ("/..." or a drive form "C:/...")
// with a file name, and no empty, "." or ".." component.
bool isSafePath(const QString& path);

// The folder a catalog path is restored into; empty when the path is refused. toOriginal: the
// path's own folder (only "/..." paths, the ones that exist on this system). Otherwise the chosen
// folder, "/" and the path's folder with every ":" removed (/home/a/x.txt below /back goes to
// /back/home/a, C:/A/b.txt to /back/C/A); the result always lies inside the chosen folder.
QString targetFolder(const QString& path, bool toOriginal, const QString& chosenFolder);

// Whether a line of a set's source list names a folder the exact-state preparation may delete:
// a plain entry (no "///" options) that is an absolute path without "." or ".." components and
// an existing folder, which is not the root, not the home folder or the working folder (or a
// folder above them), and neither holds nor lies above any of the guarded folders (the program
// folder, the backup destination).
bool isRemovableSourceFolder(const QString& line, const QStringList& guardedFolders);

} // namespace RestoreTarget

} // namespace ombrix
