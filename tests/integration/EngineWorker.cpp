#include "archive/ArchiveState.h"
#include "archive/TemporaryFiles.h"
#include "backup/BackupControls.h"
#include "backup/BackupRun.h"
#include "backup/BackupSession.h"
#include "backup/Readiness.h"
#include "backup/ReadinessControls.h"
#include "backup/StoredSettings.h"
#include "core/config/IniStore.h"
#include "core/host/RunState.h"
#include "core/log/RunLog.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>
#include <QDir>

namespace ombrix::test {
namespace {

// The backup page of an unattended run reduced to what the engines read: the stored settings.
class WorkerControls : public BackupControls, public ReadinessControls
{
  public:
    void setStartCaption(const QString&, int) override {}
    void setStartEnabled(bool) override {}
    void setSkipEnabled(bool) override {}
    void setResetChecked(bool) override {}
    void setResetCheckEnabled(bool) override {}
    void setResetButtonEnabled(bool) override {}
    void setAttachEnabled(bool) override {}
    void setAttachListEnabled(bool) override {}
    void setPasswordCheckEnabled(bool) override {}
    void setPasswordFieldEnabled(bool) override {}
    void setPagesEnabled(bool, int) override {}
    bool runBeforeBackup() const override { return s.runBeforeBackup; }
    QString programBefore() const override { return s.programBefore; }
    bool runAfterBackup() const override { return s.runAfterBackup; }
    QString programAfter() const override { return s.programAfter; }
    bool highCompression() const override { return s.highCompression; }
    bool verifyArchives() const override { return s.verifyLastArchive; }
    bool passwordEnabled() const override { return s.passwordSet; }
    QString archivePassword() const override { return s.archivePassword; }
    bool autoStart() const override { return true; }
    bool skipInvalidSources() const override { return s.sourceErrorSkip; }
    bool powerOffAfterBackup() const override { return false; }
    QString destinationFolder() const override { return s.backupDir; }
    bool emailReport() const override { return false; }
    bool isUnattended() const override { return true; }
    bool isScheduledRun() const override { return true; }
    void disableAutoStart() override {}
    void xExit() override {}
    bool WindowsExit(int) override { return false; }
    void loadLog(const QString&) override {}
    void showLogModal() override {}
    void clearRestoreListLoaded() override {}
    void email_send(const QString&, const QString&, const QString&) override {}
    void fixuj_pocet_archivu(int) override {}
    void showStoredSettings(const StoredSettings& settings) override { s = settings; }

    StoredSettings s;
};

// Stands in for `ombrix -start` while working on the harness (OMBRIX_E2E_ENGINE=1): the start-up
// steps of an unattended run and one press of START, in this process, on OMBRIX_HOME.
TEST(EngineWorker, Run)
{
    if (!qEnvironmentVariableIsSet("OMBRIX_E2E_WORKER"))
        GTEST_SKIP() << "runs only as a child of the integration tests";
    const QDir home(qEnvironmentVariable("OMBRIX_HOME"));
    ASSERT_TRUE(QDir::setCurrent(home.path()));
    RecordingHost host;
    WorkerControls controls;
    RunState runState;
    ArchiveState archiveState;
    BackupSession session;
    IniStore config(home.filePath(QStringLiteral("config.ini")));
    RunLog runLog(home.filePath(QStringLiteral("log.txt")));
    runLog.load();
    deleteTemporaryFiles();
    Readiness readiness(host, controls, controls, config, runLog, runState, archiveState, session);
    readiness.setLoadLanguages(false);
    BackupRun run(host, controls, config, runLog, runState, archiveState, session);
    run.setReadinessCheck([&] { readiness.inicializace(); });
    run.setPausePercent(0);
    readiness.inicializace();
    run.BitBtn1Click();
}

} // namespace
} // namespace ombrix::test
