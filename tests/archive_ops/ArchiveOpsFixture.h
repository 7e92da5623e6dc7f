#pragma once

#include "archive/Archiver.h"
#include "archive/ArchiverRunner.h"
#include "archive/ArchiveSetChecks.h"
#include "archive/ArchiveSettings.h"
#include "archive/ArchiveState.h"
#include "archive/Extractor.h"
#include "core/host/RunState.h"
#include "core/log/RunLog.h"
#include "storage/FolderDestination.h"
#include "support/RecordingHost.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <memory>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ombrix::test {

// One program folder, one source tree and one folder destination per test, with the real 7za
// behind the runner and the real copier for plain copies.
class ArchiveOpsFixture : public ::testing::Test
{
  protected:
    static inline const QString setName = QStringLiteral("OMX_2014-03-05_21-07-09");

    ArchiveOpsFixture();
    ~ArchiveOpsFixture() override;

    // Writes a source file below the source tree and returns its full path.
    QString writeSource(const QString& relative, const QByteArray& bytes) const;
    // The destination root and the set folder.
    QString destRoot() const { return m_destDir.path(); }
    QString setFolder() const { return m_destDir.path() + QLatin1Char('/') + setName; }
    // Where the archive of a full source path lies in the set (path with its leading "/" cut).
    QString archiveOf(const QString& sourcePath, bool plainCopy = false) const;
    QString restoreDir() const { return m_restoreDir.path(); }

    // Engines over the current settings (made afresh so a test can change settings first).
    Archiver archiver() { return Archiver(*m_destination, m_runner, m_host, &m_log, m_settings); }
    Extractor extractor() { return Extractor(*m_destination, m_runner, m_host, &m_log, m_state, m_settings); }
    ArchiveSetChecks checks()
    {
        return ArchiveSetChecks(*m_destination, m_runner, m_host, m_state, m_settings);
    }

    // Archives a side file of the program folder into the set.
    bool archiveSideFile(const QString& name, const QByteArray& bytes);
    // All four side archives, with the given run-log content.
    void writeFinishedSet(const QByteArray& runLog);

    // 7za run directly (arguments one by one, password on the command line is fine in a test).
    static QStringList sevenZip(const QStringList& arguments);
    // The "Name = value" lines of the first item of a technical listing.
    static QString itemProperty(const QString& archive, const QString& property,
                                const QString& password = {});
    static QByteArray readFile(const QString& path);
    // *.tmp files left in a folder.
    static QStringList temporaryFiles(const QString& folder);

    TempProgramFolder m_program;
    QTemporaryDir m_sourceDir;
    QTemporaryDir m_destDir;
    QTemporaryDir m_restoreDir;
    RunState m_runState;
    RecordingHost m_host;
    ArchiverRunner m_runner{m_runState, m_host};
    RunLog m_log{m_program.file(QStringLiteral("log.txt"))};
    ArchiveState m_state;
    ArchiveSettings m_settings;
    std::unique_ptr<Destination> m_destination;
    QByteArray m_previousBinDir;
};

} // namespace ombrix::test
