#pragma once

#include <functional>
#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace ombrix::platform {

// Folder walking, creation and removal by open folder handles rather than by path text, so a
// tree of any depth (paths far beyond the system's path-length limit) and names that are not
// valid UTF-8 are handled, and symbolic links are never followed below the starting folder.
namespace DirectoryTree {

enum class Kind
{
    Missing,
    File,
    Folder,
    Symlink,
    Other
};

// One entry met during a walk. Names and paths are raw bytes as stored on disk.
struct Entry
{
    QByteArray name;
    QByteArray relativePath; // from the starting folder, '/'-separated, ending in name
    int depth = 0;           // 0 for entries directly in the starting folder
    Kind kind = Kind::Other; // a symbolic link is reported as Symlink whatever it points at
    quint64 size = 0;        // bytes of a regular file; 0 for everything else
};

enum class Visit
{
    Descend, // enter the folder (ignored for anything but a real folder)
    Skip,    // do not enter it
    Stop     // end the walk
};

// Walks the folder at path depth first: every entry of a folder is visited in byte order of
// the names, and a folder's content is walked right after the folder's own visit. The starting
// folder may itself be reached through a link; links below it are reported, never entered.
// Folders that cannot be opened are skipped. Returns false when the starting folder cannot be
// opened or the walk was stopped or lost its place because the tree was moved meanwhile.
bool walk(const QString& path, const std::function<Visit(const Entry&)>& visit);

// What path names, without following a final symbolic link. Works for any path length.
Kind kindOf(const QString& path);
// Like kindOf, but a link is followed to what it points at (Missing when it dangles).
Kind targetKindOf(const QString& path);

// What a path leads to with links followed, in the detail a report of what was left out needs.
enum class Target
{
    File,
    Folder,
    NamedPipe,
    Socket,
    Device, // a character or block device
    OtherSpecial,
    Missing, // nothing there: a link that dangles
    Loop     // links that lead round in a circle
};
Target targetOf(const QString& path);

// Creates every missing folder of path, one level at a time (any path length). Errors are
// ignored; returns whether the whole path is a folder afterwards.
bool makeFolders(const QString& path);

enum class RemoveResult
{
    Removed,   // the tree is gone
    Missing,   // there was no folder to remove
    Refused,   // the path is empty, the root, a home folder or the working folder (or above)
    Incomplete // something could not be removed; what could be removed is gone
};

// Removes the folder tree at path. A link is removed as a link, its target untouched, both at
// the top and anywhere inside; other mounted file systems inside the tree are not entered.
// Folders without write or read permission that belong to us are opened up first.
// pump, when set, is called every few hundred entries.
RemoveResult removeTree(const QString& path, const std::function<void()>& pump = {});

// Removes from the folder tree at path everything keep does not hold, and leaves the rest (and
// the folder itself) as it is. keep is asked with the entry's path relative to path and whether
// it is a folder: a kept folder is entered and pruned in turn, a folder that is not kept goes with
// its whole content, any other entry (file, link, pipe, ...) goes when it is not kept. Links are
// never followed (one that is not kept goes as a link), other mounted file systems inside are
// not entered, and a path that is itself a link is not pruned (Missing). Refused and Missing as
// for removeTree; Incomplete when something that should go is still there.
RemoveResult pruneTree(const QString& path,
                       const std::function<bool(const QByteArray& relativePath, bool isFolder)>& keep,
                       const std::function<void()>& pump = {});

// True for paths removeTree refuses: empty, the root folder, the home folder (from HOME and
// from the user database) or one of its parents, and the working folder or one of its parents.
bool isProtectedFromRemoval(const QString& path);

} // namespace DirectoryTree
} // namespace ombrix::platform
