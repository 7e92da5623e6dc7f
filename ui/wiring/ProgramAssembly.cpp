#include "ui/wiring/ProgramAssembly.h"

#include "platform/ProgramFolder.h"
#include "ui/lang/LanguageHooks.h"
#include "ui/mainwindow/EngineHooks.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RunController.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/wiring/AttachWiring.h"
#include "ui/wiring/BackupWiring.h"
#include "ui/wiring/DestinationWiring.h"
#include "ui/wiring/MergeWiring.h"
#include "ui/wiring/NotifyWiring.h"
#include "ui/wiring/RestoreWiring.h"
#include "ui/wiring/ScheduleWiring.h"
#include "ui/wiring/WindowBackupControls.h"

#include <QTimer>

namespace ombrix::ui {

namespace {

// A non-negative number of milliseconds from the environment, or -1.
int delayFromEnvironment(const char* name)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value >= 0 ? value : -1;
}

} // namespace

ProgramAssembly::ProgramAssembly(app::RunMode mode)
{
    EngineHooks hooks;
    // The readiness pass runs inside the shell's start-up, after the backup wiring exists.
    hooks.readinessCheck = [this] {
        if (m_backup)
            m_backup->readinessCheck();
    };
    // The self-update: a waiting update is installed first thing at start, and the first showing
    // of the window starts the update check.
    hooks.installPendingUpdate = [this] { return m_notify && m_notify->installPendingUpdate(); };
    hooks.startUpdateCheck = [this] {
        if (m_notify)
            m_notify->startUpdateCheck();
    };
    LanguageHooks::install(hooks);
    m_shell = std::make_unique<ProgramShell>(mode, std::move(hooks));
    m_backup = std::make_unique<BackupWiring>(*m_shell);
    m_destination = std::make_unique<DestinationWiring>(*m_shell, *m_backup);
    m_attach = std::make_unique<AttachWiring>(*m_shell, *m_backup);
    m_restore = std::make_unique<RestoreWiring>(*m_shell, *m_backup);
    m_merge = std::make_unique<MergeWiring>(*m_shell, *m_backup);
    m_notify = std::make_unique<NotifyWiring>(*m_shell);
    m_schedule = std::make_unique<ScheduleWiring>(m_shell->window()->settingsPage()->scheduleGroup(),
                                                  platform::programFile(QStringLiteral("config.ini")));

    WindowBackupControls::RunHooks runHooks;
    runHooks.resumeRestoreAtStart = [this] { m_restore->resumeRestoreAtStart(); };
    runHooks.resumeMergeAtStart = [this] { m_merge->resumeMergeAtStart(); };
    runHooks.fixedArchiveCount = [this](int count) { m_merge->fixuj_pocet_archivu(count); };
    runHooks.emailSend = [this](const QString& subject, const QString& text, const QString& attachment) {
        m_notify->email_send(subject, text, attachment);
    };
    m_backup->controls().setRunHooks(std::move(runHooks));
    QObject::connect(m_shell->controller(), &RunController::continueMergeRequested, m_merge.get(),
                     &MergeWiring::continueUnfinishedMerge);

    if (const int autoStart = delayFromEnvironment("OMBRIX_AUTOSTART_DELAY_MS"); autoStart >= 0)
        m_shell->controller()->autoStartTimer()->setInterval(autoStart);
    if (const int exitDelay = delayFromEnvironment("OMBRIX_EXIT_DELAY_MS"); exitDelay >= 0)
        m_shell->controller()->setExitDelay(exitDelay);
}

ProgramAssembly::~ProgramAssembly()
{
    // The wiring refers to the window; it goes first.
    m_schedule.reset();
    m_notify.reset();
    m_merge.reset();
    m_restore.reset();
    m_attach.reset();
    m_destination.reset();
    m_backup.reset();
    m_shell.reset();
}

bool ProgramAssembly::start()
{
    return m_shell->start();
}

} // namespace ombrix::ui
