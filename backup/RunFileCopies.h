#pragma once

#include <QString>

namespace ombrix {

// The source list and settings a run began with, kept in the program folder ("runfiles/<set>/")
// until the next set's catalog is written. The set gets these copies, not the files as they are
// when it is completed: a run killed right after it completed is completed by the next start, and
// by then sources.txt or config.ini may have been edited, while an exact-state restore of the set
// deletes folders by the list the set holds.
namespace RunFileCopies {

// Copies the program folder's file name (a bare name such as "sources.txt") for set, flushed to
// disk. False when it could not be copied; the set then gets the program folder's file.
bool keep(const QString& set, const QString& name);
// The file to store as name in set: the copy kept for set, else the program folder's file.
QString sourceOf(const QString& set, const QString& name);
// Removes the copies of every set but set (none when set is empty).
void forgetAllBut(const QString& set);
// The folder that holds the copies of set.
QString folderOf(const QString& set);

} // namespace RunFileCopies
} // namespace ombrix
