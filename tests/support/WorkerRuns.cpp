#include "support/WorkerRuns.h"

#include "archive/ArchiveState.h"
#include "archive/TemporaryFiles.h"
#include "backup/BackupRun.h"
#include "backup/BackupSession.h"
#include "backup/Readiness.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/config/Scrambling.h"
#include "core/host/RunState.h"
#include "core/log/RunLog.h"
#include "core/util/Clock.h"
#include "merge/MergeRun.h"
#include "restore/RestoreRun.h"
#include "storage/FolderDestination.h"
#include "storage/ftp/FtpConnection.h"
#include "storage/ftp/FtpDestination.h"
#include "support/RecordingHost.h"
#include "support/TempProgramFolder.h"
#include "support/TestBackupControls.h"
#include "support/TestMergeControls.h"
#include "support/TestRestoreControls.h"

#include <csignal>
#include <cstdio>
#include <memory>
#include <QDateTime>
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
        bool clockSet = false;
        const qint64 clock = qEnvironmentVariable("OMBRIX_WORKER_CLOCK").toLongLong(&clockSet);
        if (clockSet)
            Clock::setFake(QDateTime::fromSecsSinceEpoch(clock, Qt::UTC), 0, false);
        killAtStatus(qEnvironmentVariable("OMBRIX_WORKER_KILL_STATUS"),
                     qEnvironmentVariableIntValue("OMBRIX_WORKER_KILL_PUMP"));
        runLog.load();
        deleteTemporaryFiles();
    }

    // The process kills itself with SIGKILL at the given pump after a status line holding text
    // was shown: a crash at a step that runs no child process (deleting the merged sets, say).
    void killAtStatus(const QString& text, int pumps)
    {
        if (text.isEmpty())
            return;
        host.setPumpHook([this, text, pumps, seen = -1]() mutable {
            if (seen < 0 && !host.statusLines().empty() && host.statusLines().back().text.contains(text))
                seen = 0;
            if (seen >= 0 && ++seen >= qMax(1, pumps)) {
                std::fprintf(stderr, "killed during: %s\n", qPrintable(host.statusLines().back().text));
                std::fflush(stderr);
                std::raise(SIGKILL);
            }
        });
    }

    QDir home;
    RecordingHost host;
    RunState runState;
    ArchiveState archiveState;
    IniStore config;
    RunLog runLog;
};

// The destination config.ini names: the folder of BACKUP_DIR, or for FTP the server of the
// BACKUP_FTP_* keys, reached as the readiness check reaches it (the connection opened, the
// uploader the one built beside the other programs).
struct ConfiguredDestination
{
    explicit ConfiguredDestination(ProgramStart& start)
    {
        const IniStore& config = start.config;
        const DestinationKind kind = destinationKindFromText(
            config.readString(ConfigKeys::BACKUP_DESTINATION, QString(ConfigKeys::DESTINATION_DIR)));
        if (kind != DestinationKind::Ftp) {
            destination =
                std::make_unique<FolderDestination>(config.readString(ConfigKeys::BACKUP_DIR, QString()));
            return;
        }
        FtpSettings settings;
        settings.kind = kind;
        settings.hostField = config.readString(ConfigKeys::BACKUP_FTP_HOST, QString());
        settings.user = config.readString(ConfigKeys::BACKUP_FTP_USER, QString());
        settings.password = desifruj(config.readString(ConfigKeys::BACKUP_FTP_PASS, QString()));
        settings.passive = config.readBool(ConfigKeys::FTP_PASSIVE, true);
        settings.binary = config.readBool(ConfigKeys::FTP_BINARY, true);
        connection = std::make_unique<FtpConnection>(settings);
        connection->open();
        auto ftp =
            std::make_unique<FtpDestination>(kind, config.readString(ConfigKeys::BACKUP_FTP_DIR, QString()),
                                             *connection, start.host, start.runState, &start.runLog);
        ftp->uploader().setProgram(QDir(binDir()).filePath(QStringLiteral("ombrixftp")));
        destination = std::move(ftp);
    }

    // The connection outlives the destination that works on it.
    std::unique_ptr<FtpConnection> connection;
    std::unique_ptr<Destination> destination;
};

} // namespace

bool WorkerRuns::backup()
{
    ProgramStart start;
    TestBackupControls controls;
    controls.scheduled = true;
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
    ConfiguredDestination configured(start);
    Destination& destination = *configured.destination;
    TestRestoreControls controls;
    controls.folder = folder;
    controls.password = desifruj(start.config.readString(ConfigKeys::PASSWORD, QString()));
    RestoreRun run(start.host, controls, start.config, start.runLog, start.runState, start.archiveState,
                   destination);
    // A lost server connection gets one new attempt, as the window's restore gives it.
    run.setReconnect([&destination] {
        destination.reconnect();
        return destination.isOnline();
    });
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
    ConfiguredDestination configured(start);
    Destination& destination = *configured.destination;
    TestMergeControls controls;
    controls.listWithRange(destination.listSetFolders(),
                           start.config.readString(ConfigKeys::SUM_FROM, QString()),
                           start.config.readString(ConfigKeys::SUM_TO, QString()));
    controls.password = desifruj(start.config.readString(ConfigKeys::PASSWORD, QString()));
    MergeRun run(start.host, controls, start.config, start.runLog, start.runState, start.archiveState,
                 destination);
    run.setPausePercent(0);
    run.resumeMergeAtStart();
    if (!controls.selectedPositions().isEmpty())
        run.runMerge();
    return start.config.readInt(ConfigKeys::SUM_DONE, 1) == 1;
}

} // namespace ombrix::test
