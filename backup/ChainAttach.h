#pragma once

#include "archive/ArchiverRunner.h"
#include "archive/ArchiveSettings.h"
#include "storage/Destination.h"

#include <QString>

namespace ombrix {

class Host;
class IniStore;
struct ArchiveState;
struct RunState;

// Attaching to an existing archive chain ("Navázat", Button11 on the backup page): the chosen
// set's config.ini and sources.txt come back into the program folder, the destination settings
// in use now are written into that configuration, and the program is to be restarted so its
// readiness check sees the chosen set as the last one.
//
// Nothing in the program folder changes unless both files came out of the set whole: they are
// extracted into a private folder inside the program folder first, the destination settings are
// written there, and only then both replace the current files (by renames in the same folder).
// A failed extraction ends the attach with a status line and leaves the user's settings as they
// were.
class ChainAttach
{
  public:
    // The destination settings the attached configuration keeps (they are not taken from the set).
    struct DestinationKeys
    {
        DestinationKind kind = DestinationKind::Dir; // BACKUP_DESTINATION
        QString folder;                              // BACKUP_DIR
        QString ftpHost;                             // BACKUP_FTP_HOST
        QString ftpUser;                             // BACKUP_FTP_USER
        QString ftpPassword;                         // BACKUP_FTP_PASS, plain; stored scrambled
        QString ftpDir;                              // BACKUP_FTP_DIR

        // The keys as config.ini holds them now, with the password unscrambled; the kind is the
        // stored one (callers that run another kind than stored replace it).
        static DestinationKeys fromConfig(const IniStore& config);
    };

    enum class Outcome
    {
        Attached,       // both files replaced; the program is to restart now
        MissingConfig,  // the set holds no config.ini.7z
        MissingSources, // the set holds no sources.txt.7z
        WrongPassword,  // the archive password does not open the set's catalog
        NotExtracted,   // a side archive could not be extracted (lastFailure() says why)
        NotWritten      // the program folder could not be written
    };

    // settings: the archive password of the settings page (used when the set is encrypted).
    ChainAttach(Host& host, RunState& runState, ArchiveState& archiveState, Destination& destination,
                ArchiveSettings settings);

    // Scales the 2 s pause after a successful attach; 100 is the normal length.
    void setPausePercent(int percent) { m_pausePercent = percent; }

    // entry: the chosen line of the attach list, the set name without "OMX_".
    Outcome attach(const QString& entry, const DestinationKeys& keys);

    // Why the last attach gave NotExtracted or NotWritten, for the log; empty otherwise.
    const QString& lastFailure() const { return m_lastFailure; }

  private:
    // The staged files with the destination keys written into the staged config.ini.
    bool writeKeys(const QString& stagedConfig, const DestinationKeys& keys);
    // Moves the staged sources.txt and config.ini over the program folder's own; on failure the
    // folder is as it was.
    bool replaceProgramFiles(const QString& staging, const QString& folder);

    Host& m_host;
    ArchiveState& m_archiveState;
    Destination& m_destination;
    ArchiverRunner m_runner;
    ArchiveSettings m_settings;
    int m_pausePercent = 100;
    QString m_lastFailure;
};

} // namespace ombrix
