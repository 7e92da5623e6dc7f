#pragma once

#include "archive/ArchiveSettings.h"

#include <QString>

namespace ombrix {

class ArchiverRunner;
class Destination;
class Host;
class RunLog;

// Puts one file into the set being written (archivovat): a 7z archive of its own ("name.7z") or,
// for a file stored uncompressed, a plain copy, at the file's folder path inside the set, and
// verifies it. A destination that is a local folder gets the archive written straight into the
// set; any other gets it made in the program folder, uploaded and checked there.
class Archiver
{
  public:
    // What the last archivovat saw of the file it read.
    struct SourceReading
    {
        // The file's size or modification time was another after the read than before it: the
        // archive may hold a mix of old and new content.
        bool changedWhileRead = false;
        // The file was last written so shortly before the read that a change right after the
        // read could get the same recorded time (catalog times have two-second steps).
        bool recentlyModified = false;
    };

    // runLog may be null (nothing is logged then).
    Archiver(Destination& destination, ArchiverRunner& runner, Host& host, RunLog* runLog,
             ArchiveSettings settings);

    ArchiveSettings& settings() { return m_settings; }
    const ArchiveSettings& settings() const { return m_settings; }

    // filename: a full path, or the bare name of a side file of the program folder ("log.txt").
    // nekompr "1" stores a plain copy, anything else a 7z archive. True when the file is now in
    // the set and verified.
    bool archivovat(const QString& filename, const QString& nekompr);
    // The same for the side file filename, read from source (a file of that bare name kept
    // elsewhere, such as the copy a run took when it began).
    bool archivovatFrom(const QString& filename, const QString& source, const QString& nekompr);

    // The archiver's level for a file: "5" with high compression, else "0" when the file's
    // extension (from its last ".", letters A-Z lower-cased) occurs anywhere in
    // noCompressExtensions, else "1".
    static QString compressionLevel(const QString& filename, const ArchiveSettings& settings);

    // The file archivovat reads for filename: bare names are files of the program folder.
    static QString sourcePath(const QString& filename);

    const SourceReading& lastReading() const { return m_lastReading; }

  private:
    bool holdsWrittenFile(const QString& archive, const QString& source, qint64 sizeBefore,
                          const QString& password);
    bool store(const QString& filename, const QString& source, const QString& nekompr);
    bool archiveInPlace(const QString& source, const QString& archive, const QString& level);
    bool copyInPlace(const QString& source, const QString& target);
    bool archiveAndUpload(const QString& filename, const QString& source, const QString& entry,
                          const QString& name, const QString& level);
    bool uploadPlainCopy(const QString& filename, const QString& source, const QString& entry);
    void logTransferError(const QString& error, const QString& filename);

    Destination& m_destination;
    ArchiverRunner& m_runner;
    Host& m_host;
    RunLog* m_runLog;
    ArchiveSettings m_settings;
    SourceReading m_lastReading;
};

} // namespace ombrix
