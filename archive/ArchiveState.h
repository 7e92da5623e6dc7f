#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>

namespace ombrix {

// What the archive checks learn about the sets and extraction relies on. One object lives as
// long as the program's destination and is shared by the checks and the extraction engine.
struct ArchiveState
{
    // The set last checked by lze_odemknout is encrypted: extraction then passes the password.
    // False at program start; changed only by a check that found the set's catalog.
    bool archiveEncrypted = false;
    // archiveColorCache: full set name to its state colour (0xBBGGRR, as getColorFromArchiv
    // answers), filled by the restore page's coloured listing and read by both set lists.
    QHash<QString, quint32> archiveColorCache;
};

} // namespace ombrix
