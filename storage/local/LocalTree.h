#pragma once

#include "core/host/RunState.h"
#include "platform/DirectoryTree.h"

#include <functional>
#include <QString>
#include <QStringList>

namespace ombrix::storage {

using RemoveResult = platform::DirectoryTree::RemoveResult;

// Appends the full path of every subfolder of path to dirListing (path + "/" + name; the list
// is never cleared here). With recursive set, each folder's own subfolders follow it at once,
// depth first, names in byte order. Hidden folders are listed; links to folders are neither
// listed nor entered, so a link loop cannot run the listing forever. A missing or unreadable
// folder adds nothing. pump, when set, is called every few hundred entries.
void listLocalDirs(const QString& path, bool recursive, QStringList& dirListing,
                   const std::function<void()>& pump = {});

// Total bytes of the regular files in Dir, and with SubDir set of those in its subfolders,
// skipping every subfolder whose name begins with "." (the starting folder itself is always
// counted). Links are not followed and count 0. A missing folder gives 0. pump is called at the
// start and every few hundred entries; once state.stopRequested is set the walk ends and the
// total gathered so far comes back.
quint64 SizeDir(const QString& Dir, bool SubDir, const RunState& state,
                const std::function<void()>& pump = {});

// Removes the folder tree Dir in-process. Links inside are removed as links (their targets are
// untouched); a link given as Dir is removed as a link. Empty paths, "/", the home folder, the
// working folder and their parents are refused. What cannot be removed stays.
RemoveResult odstran_dir(const QString& dir, const std::function<void()>& pump = {});

} // namespace ombrix::storage
