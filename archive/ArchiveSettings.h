#pragma once

#include "core/app/NoCompressExtensions.h"

#include <QString>

namespace ombrix {

// What archiving and extraction read from the window: the set being written, the compression
// and password switches of the settings page, the fixed no-compression list and the copy mode.
struct ArchiveSettings
{
    // The set archivovat stores into (OMX_yyyy-mm-dd_hh-nn-ss).
    QString targetArchiveName;
    // "Použít účinnější, ale pomalejší kompresi" (COMPRES_LEVEL = HIGH).
    bool highCompression = false;
    // "Nastavit heslo:" and the password itself; new archives are encrypted only when both are set.
    bool passwordEnabled = false;
    QString archivePassword;
    // The "@"-separated extensions stored without compression, matched as plain substrings.
    QString noCompressExtensions = app::noCompressExtensions();
    // INTERNAL_COPY: plain copies made in process instead of by the external copier.
    bool internalCopy = false;

    bool encryptsNewArchives() const { return passwordEnabled && !archivePassword.isEmpty(); }
};

} // namespace ombrix
