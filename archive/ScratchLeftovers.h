#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace ombrix {

class Destination;

// The archiver makes every archive and plain copy under a hidden scratch name beside its place
// (".ombrix-XXXXXX.7z", ".ombrix-XXXXXX", the copier's ".ombrix-copy-XXXXXX") and renames it into
// place once it was checked. A run killed in between leaves the scratch file in the set.
//
// removeScratchLeftovers deletes such files below a set folder of a local destination, except
// the ones a line of the set's catalog would place there: a user's own file may carry a name of
// that form, and its archive or plain copy is never touched. Links are neither followed nor deleted.
class ScratchLeftovers
{
  public:
    // The destination paths inside set of the archives and plain copies of every catalog line.
    static QSet<QString> catalogEntries(const Destination& destination, const QString& set,
                                        const QStringList& catalog);
    enum class Depth
    {
        SetRoot,  // the set folder itself, where the side archives (catalog, log, ...) are stored
        WholeSet, // every folder of the set, where the files' archives are stored
    };
    // Returns how many files were deleted; nothing happens for a destination without local paths.
    static int removeScratchLeftovers(const Destination& destination, const QString& set,
                                      const QStringList& catalog, Depth depth = Depth::WholeSet);

    // A run killed while it stored the catalog of a new set leaves a set folder that holds
    // nothing but the scratch archive. Such folders (no catalog archive, nothing in them but
    // scratch files) are removed, except the set keep. Returns how many were removed; a folder
    // holding anything else is left as it is.
    static int removeAbandonedSets(Destination& destination, const QString& keep);
};

} // namespace ombrix
