#pragma once

#include "archive/ArchiveSettings.h"

#include <QString>

namespace ombrix {

class ArchiverRunner;
class Destination;
class Host;
class RunLog;
struct ArchiveState;

// Brings one backed-up file back from a set into a local folder (dearchivovat): extracts its
// archive or copies its plain copy, found where archivovat put it. The password is passed when
// the last lze_odemknout found the set encrypted.
//
// The file is first extracted into a private folder inside the target folder and only then
// renamed over a file of the same name, so a failed extraction (wrong password, damaged archive,
// lost connection) leaves the file that was there untouched, and an archive holding other
// entries can never overwrite other files of the target folder.
class Extractor
{
  public:
    // runLog may be null (nothing is logged then).
    Extractor(Destination& destination, ArchiverRunner& runner, Host& host, RunLog* runLog,
              const ArchiveState& state, ArchiveSettings settings);

    ArchiveSettings& settings() { return m_settings; }

    // archiv: the set; filename: the path as the catalog records it, or a bare side-file name;
    // destDir: the local folder to put the file into (created when missing); nekompr "1" for a
    // plain copy. True when destDir + "/" + the file's name holds the extracted file.
    bool dearchivovat(const QString& archiv, const QString& filename, const QString& destDir,
                      const QString& nekompr);
    // Why the last dearchivovat gave false, in the words of the run log; empty after a success.
    const QString& lastFailure() const { return m_lastFailure; }

  private:
    // Extracts or copies the file into folder; the path of the unpacked file, empty on failure.
    QString unpackInto(const QString& source, bool plainCopy, const QString& folder, const QString& name);

    Destination& m_destination;
    ArchiverRunner& m_runner;
    Host& m_host;
    RunLog* m_runLog;
    const ArchiveState& m_state;
    ArchiveSettings m_settings;
    QString m_lastFailure;
};

} // namespace ombrix
