#pragma once

#include "archive/ArchiveState.h"
#include "core/config/IniStore.h"
#include "core/host/RunState.h"
#include "core/log/RunLog.h"
#include "restore/RestoreRun.h"
#include "storage/FolderDestination.h"
#include "support/QtPrinters.h"
#include "support/RecordingHost.h"
#include "support/TempProgramFolder.h"
#include "support/TestRestoreControls.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ombrix::test {

// A program folder with the default config.ini, a destination folder and a source folder named in
// sources.txt, and a backup chain made by the real backup run: each makeSet() is one press of
// START (a minute after the previous one on a fake clock), so the sets, catalogs and side
// archives are exactly what the program writes. Source files written between two sets get a
// modification time of their own, so every change is seen whatever its size.
class RestoreFixture : public ::testing::Test
{
  public:
    using Tree = std::map<QString, QByteArray>; // path relative to the source folder -> content

    void SetUp() override;
    void TearDown() override;

    QString writeSource(const QString& relPath, const QByteArray& bytes);
    void removeSource(const QString& relPath);
    // The source folder as it is now.
    Tree sourceTree() const;
    // Every file below folder, relative to it.
    static Tree treeOf(const QString& folder);

    // Backs the source folder up with the backup run and returns the set it wrote (empty, with a
    // test failure, when the run did not complete a new set). The backup runs with the password of
    // controls.password when one is set.
    QString makeSet();
    // The catalog stored in a set.
    QStringList catalogOf(const QString& set) const { return storedCatalog(set); }
    // Puts the catalog of set into recoverylist.csv and chooses the set.
    void chooseSet(const QString& set);
    void makeRun();
    // The catalog stored in a set on the destination (after a merge changed it).
    QStringList storedCatalog(const QString& set) const;
    // Restores set from its stored catalog below a fresh folder and returns the restored source tree.
    Tree restoreStored(const QString& set);

    std::unique_ptr<TempProgramFolder> program;
    QTemporaryDir destinationDir;
    QTemporaryDir sourceDir;
    QTemporaryDir restoreDir;
    RecordingHost host;
    TestRestoreControls controls;
    RunState runState;
    ArchiveState archiveState;
    std::unique_ptr<IniStore> config;
    std::unique_ptr<RunLog> runLog;
    std::unique_ptr<FolderDestination> destination;
    std::unique_ptr<RestoreRun> run;

  private:
    int m_setCount = 0;
};

} // namespace ombrix::test
