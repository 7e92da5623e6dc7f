#include "support/WorkerRuns.h"

#include "archive/ArchiveState.h"
#include "archive/TemporaryFiles.h"
#include "backup/BackupRun.h"
#include "backup/BackupSession.h"
#include "backup/Readiness.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/host/RunState.h"
#include "core/log/RunLog.h"
#include "merge/MergeRun.h"
#include "restore/RestoreRun.h"
#include "storage/FolderDestination.h"
#include "support/RecordingHost.h"
#include "support/RestoreFixture.h"
#include "support/WorkerControls.h"
#include "support/WorkerMergeControls.h"

#include <QDir>
#include <QFileInfo>

namespace ombrix::test {

namespace {

// The state every engine shares, made as a program start makes it.
struct ProgramStart
{
    ProgramStart()
        : home(qEnvironmentVariable("OMBRIX_HOME")), config(home.filePath(QStringLiteral("config.ini"))),
          runLog(home.filePath(QStringLiteral("log.txt")))
    {
        QDir::setCurrent(home.path());
        runLog.load();
        deleteTemporaryFiles();
    }

    QDir home;
    RecordingHost host;
    RunState runState;
    ArchiveState archiveState;
    IniStore config;
    RunLog runLog;
};

} // namespace

bool WorkerRuns::backup()
{
    ProgramStart start;
    WorkerControls controls;
    BackupSession session;
    Readiness readiness(start.host, controls, controls, start.config, start.runLog, start.runState,
                        start.archiveState, session);
    readiness.setLoadLanguages(false);
    BackupRun run(start.host, controls, start.config, start.runLog, start.runState, start.archiveState,
                  session);
    run.setReadinessCheck([&] { readiness.inicializace(); });
    run.setPausePercent(0);
    readiness.inicializace();
    run.BitBtn1Click();
    return start.config.readInt(ConfigKeys::LAST_BACKUP_DONE, 0) == 1;
}

bool WorkerRuns::restore(const QString& set, const QString& folder)
{
    ProgramStart start;
    FolderDestination destination(start.config.readString(ConfigKeys::BACKUP_DIR, QString()));
    TestRestoreControls controls;
    controls.folder = folder;
    RestoreRun run(start.host, controls, start.config, start.runLog, start.runState, start.archiveState,
                   destination);
    run.setPausePercent(0);
    run.resumeRestoreAtStart();
    if (run.recoveryMode() == RestoreRun::Mode::novaobnova) {
        // Nothing pending: a new restore when the list of one is waiting.
        if (QFileInfo::exists(start.home.filePath(QStringLiteral("recoverylist.csv")))) {
            controls.set = set;
            run.runRestore();
        }
    } else {
        run.runRestore();
    }
    return start.config.readInt(ConfigKeys::RECOVERY_DONE, 1) == 1;
}

bool WorkerRuns::merge()
{
    ProgramStart start;
    FolderDestination destination(start.config.readString(ConfigKeys::BACKUP_DIR, QString()));
    WorkerMergeControls controls(destination.listSetFolders(),
                                 start.config.readString(ConfigKeys::SUM_FROM, QString()),
                                 start.config.readString(ConfigKeys::SUM_TO, QString()));
    MergeRun run(start.host, controls, start.config, start.runLog, start.runState, start.archiveState,
                 destination);
    run.setPausePercent(0);
    run.resumeMergeAtStart();
    if (!controls.selectedPositions().isEmpty())
        run.runMerge();
    return start.config.readInt(ConfigKeys::SUM_DONE, 1) == 1;
}

} // namespace ombrix::test
