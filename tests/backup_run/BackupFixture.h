#pragma once

#include "archive/ArchiveState.h"
#include "backup/BackupRun.h"
#include "backup/BackupSession.h"
#include "backup/Readiness.h"
#include "core/config/IniStore.h"
#include "core/host/RunState.h"
#include "core/log/RunLog.h"
#include "core/log/Status.h"
#include "core/sources/SourcesFile.h"
#include "support/QtPrinters.h"
#include "support/RecordingHost.h"
#include "support/TempProgramFolder.h"
#include "support/TestBackupControls.h"

#include <gtest/gtest.h>
#include <memory>
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ombrix::test {

// A program folder with the default config.ini, a destination folder and a source folder named
// in sources.txt; the readiness check and the backup run wired to a recording host and plain
// test controls, as the window wires them. The clock is fake so every run gets its own set name.
class BackupFixture : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // (Re)creates the engines as a program start does: the log of an interrupted run is loaded,
    // work files are removed, and the readiness check runs.
    void restartProgram();
    // One press of START, a minute after the previous one.
    void pressStart();

    // Writes a source file below the source folder; its last-write time is base + timeOffset s.
    QString writeSource(const QString& relPath, const QByteArray& bytes, int timeOffset = 0);
    static QByteArray randomBytes(int size);

    // The folder the sets are read from: the destination folder, unless a test points the
    // program at another one (setBackupRoot).
    QString backupRoot() const { return m_backupRoot.isEmpty() ? destination.path() : m_backupRoot; }
    void setBackupRoot(const QString& folder) { m_backupRoot = folder; }
    QStringList sets() const;
    QString lastSet() const { return sets().isEmpty() ? QString() : sets().last(); }
    // The catalog stored in a set (empty when it cannot be read).
    QStringList catalogOf(const QString& set, const QString& password = {}) const;
    // The content of one archive file, extracted with the real 7za; ok false when that fails.
    static QByteArray extract(const QString& archive, const QString& password, bool* ok);
    // Every archive file of a set, relative to the set folder.
    QStringList filesOfSet(const QString& set) const;
    // Each source file is listed in the catalog of set and restores to its current content.
    void expectRestorable(const QString& set, const QString& password = {}) const;
    // Every source file, by full path.
    QStringList sourceFiles() const;
    // Non-empty hints of the backup status line: the files the run started to archive.
    QStringList archivedHints() const;
    bool statusShown(const QString& text) const;
    QStringList leftoverTmpFiles() const;

    QString configValue(const ConfigKey& key) const
    {
        return config->readString(key, QStringLiteral("<none>"));
    }

    std::unique_ptr<TempProgramFolder> program;
    QTemporaryDir destination;
    QTemporaryDir sources;
    QDateTime baseTime;

    RecordingHost host;
    TestBackupControls controls;
    RunState runState;
    ArchiveState archiveState;
    BackupSession session;
    std::unique_ptr<IniStore> config;
    std::unique_ptr<RunLog> runLog;
    std::unique_ptr<Readiness> readiness;
    std::unique_ptr<BackupRun> run;

  private:
    QString m_backupRoot;
};

} // namespace ombrix::test
