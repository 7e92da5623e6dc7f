#pragma once

#include "backup/BackupMode.h"
#include "core/app/NoCompressExtensions.h"
#include "core/util/Clock.h"
#include "storage/Destination.h"

#include <QString>

namespace ombrix {

// The backup state the readiness check and the run share for the life of the program: the
// decision what START does, and the settings the readiness check loads that have no control of
// their own on the backup page.
struct BackupSession
{
    BackupMode backupMode = BackupMode::novazaloha;
    // BACKUP_DESTINATION as the readiness check read it.
    DestinationKind destinationKind = DestinationKind::Dir;
    // ARCHIVLIST_BUFFER (progressSaveInterval): below 2 every archived file is recorded at once,
    // otherwise every N-th.
    int progressSaveInterval = 0;
    // INTERNAL_COPY: plain copies made in process.
    bool internalCopy = false;
    // The fixed list of extensions stored without compression.
    QString noCompressExtensions = app::noCompressExtensions();
    // The clock at program start: catalog times use this offset, and folder scans subtract an
    // hour when daylight time was on.
    int utcOffsetAtStart = Clock::utcOffsetSeconds();
    bool daylightAtStart = Clock::isDaylightTime();
};

} // namespace ombrix
