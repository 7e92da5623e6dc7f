#pragma once

#include "archive/ArchiveSettings.h"

#include <QString>

namespace ombrix {

class ArchiverRunner;
class Destination;
class Host;
struct ArchiveState;

// Checks on the archive sets of a destination: is a file's archive there (testarchiv), does the
// password open a set (lze_odemknout, which also records whether the set is encrypted), the
// state colour of a set for the coloured lists (getColorFromArchiv), and how long one existence
// probe takes (destFolderSpeed).
class ArchiveSetChecks
{
  public:
    // Colours as the list drawing takes them (blue-green-red order).
    static constexpr quint32 colorOlive = 0x008080; // complete, but the run logged events
    static constexpr quint32 colorBlack = 0x000000; // complete and clean
    static constexpr quint32 colorRed = 0x0000FF;   // a side archive is missing

    ArchiveSetChecks(Destination& destination, ArchiverRunner& runner, Host& host, ArchiveState& state,
                     ArchiveSettings settings);

    ArchiveSettings& settings() { return m_settings; }

    // Whether set archivname on the destination holds the archive (nekompr "0") or the plain copy
    // (nekompr "1") of filename; any other nekompr gives false.
    bool testarchiv(const QString& archivname, const QString& filename, const QString& nekompr);
    static bool testarchiv(Destination& destination, const QString& archivname, const QString& filename,
                           const QString& nekompr);

    // True when the set's catalog archive exists and is either unencrypted or opens with
    // archivePassword. Sets archiveEncrypted whenever the catalog archive was found; a missing
    // catalog leaves it as it was. An archive whose listing cannot be read gives false.
    bool lze_odemknout(const QString& archiv);

    // Why the last lze_odemknout answered false.
    enum class Refusal
    {
        None,          // it answered true
        Missing,       // no catalog archive in the set
        Unavailable,   // the catalog archive could not be fetched from the destination
        WrongPassword, // the archive is encrypted and the password does not open it
        Damaged        // the archive cannot be read (not an archive, cut short, broken data)
    };
    Refusal refusal() const { return m_refusal; }

    // Red when a side archive is missing; else black when the stored run log is that of a clean
    // run, otherwise olive. transferError, when given, receives the error of a failed download
    // of the log archive (the caller ends its list with it).
    quint32 getColorFromArchiv(const QString& archiv, QString* transferError = nullptr);

    // Milliseconds one existence probe of a file that never exists takes on the destination.
    qint64 destFolderSpeed();

  private:
    // The archive of a set's side file as a local file: the file in the set for a local folder,
    // otherwise a download into the program folder under downloadName. Empty when unavailable.
    QString localSideArchive(const QString& archiv, const QString& sideFile, const QString& downloadName,
                             QString* transferError);

    Destination& m_destination;
    ArchiverRunner& m_runner;
    Host& m_host;
    ArchiveState& m_state;
    ArchiveSettings m_settings;
    Refusal m_refusal = Refusal::None;
};

} // namespace ombrix
