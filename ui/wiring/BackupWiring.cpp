#include "ui/wiring/BackupWiring.h"

#include "backup/BackupExitCode.h"
#include "backup/BackupRun.h"
#include "backup/Readiness.h"
#include "core/app/ExitCode.h"
#include "core/config/IniStore.h"
#include "core/lang/Translator.h"
#include "ui/logviewer/LogViewer.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/DestinationPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RunController.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/mainwindow/WindowHost.h"
#include "ui/settings/TabIndexMemory.h"
#include "ui/wiring/BackupEngines.h"
#include "ui/wiring/WindowBackupControls.h"

#include <QPushButton>

namespace ombrix::ui {

BackupWiring::BackupWiring(ProgramShell& shell, QObject* parent) : QObject(parent), m_shell(shell)
{
    MainWindow* window = shell.window();
    m_logViewer = new LogViewer(window);
    m_controls =
        std::make_unique<WindowBackupControls>(window, shell.controller(), shell.host(), m_logViewer);

    window->destinationPage()->setHost(shell.host());
    window->settingsPage()->setHost(shell.host());

    connect(window->backupPage()->startButton(), &QPushButton::clicked, this, &BackupWiring::BitBtn1Click);
    connect(window->backupPage()->skipButton(), &QPushButton::clicked, this, &BackupWiring::Button21Click);
    connect(window->settingsPage()->resetButton(), &QPushButton::clicked, this, &BackupWiring::Button5Click);
    connect(shell.controller(), &RunController::startBackupRequested, this, &BackupWiring::BitBtn1Click);
    connect(window->destinationPage(), &DestinationPage::readinessRequested, this,
            &BackupWiring::readinessCheck);
    connect(window->destinationPage(), &DestinationPage::restoreListStale, this,
            [this] { m_controls->clearRestoreListLoaded(); });
    connect(shell.host(), &WindowHost::logRequested, this, &BackupWiring::showLog);
    rememberShownPage(window->pages(),
                      [this]() -> IniStore* { return m_engines ? &m_engines->config() : nullptr; });
    shell.controller()->setOutcome([this] { return unattendedExitCode(); });
}

BackupWiring::~BackupWiring()
{
    m_shell.controller()->setOutcome({});
    // The pages must not keep writing to a store that is gone.
    m_controls->setConfigStore(nullptr);
}

int BackupWiring::unattendedExitCode() const
{
    if (!m_engines || !m_engines->readiness().destinationReachable() || m_runDepth == 0)
        return app::ExitCode::NotCompleted;
    const BackupRun& run = m_engines->run();
    BackupOutcome outcome;
    outcome.completed = run.runCompleted();
    outcome.runStatus = run.runStatus();
    outcome.userStopped = run.userStopped();
    outcome.nothingToDo = m_runFoundNothing;
    return backupExitCode(outcome);
}

void BackupWiring::renewEngines()
{
    auto next = std::make_shared<BackupEngines>(*m_shell.host(), *m_controls, m_shell.runLog(),
                                                m_shell.runState(), m_archiveState, m_session);
    m_controls->setConfigStore(&next->config());
    m_engines = std::move(next);
    // The run asks for a readiness pass when it ends early; what its status line said just then
    // tells a run with nothing to do from one that failed on the source list.
    m_engines->run().setReadinessCheck([this] {
        const QString said = m_shell.host()->fullStatus(Page::Backup);
        if (said == getLang(QString::fromUtf8("Není co zálohovat")) ||
            said == getLang(QString::fromUtf8("Od minulé zálohy se nic nezměnilo")))
            m_runFoundNothing = true;
        readinessCheck();
    });
}

void BackupWiring::readinessCheck()
{
    // Asked for by the running backup (nothing to do, nothing changed, an invalid source list):
    // the run's own engines are checked again in place, they are still in use.
    if (m_runDepth > 0 && m_engines) {
        m_engines->readiness().inicializace();
        return;
    }
    // Asked for while a pass is pumping messages: one more pass follows the current one.
    if (m_inReadiness) {
        m_readinessPending = true;
        return;
    }
    m_inReadiness = true;
    do {
        m_readinessPending = false;
        renewEngines();
        m_engines->readiness().inicializace();
    } while (m_readinessPending);
    m_inReadiness = false;
}

void BackupWiring::BitBtn1Click()
{
    if (!m_engines)
        readinessCheck();
    // The engines stay the same until the outermost press returns: a STOP click arrives inside
    // the run's message pumping and is handled by the same run.
    if (m_runDepth == 0)
        m_runFoundNothing = false;
    ++m_runDepth;
    m_engines->run().BitBtn1Click();
    --m_runDepth;
}

void BackupWiring::Button21Click()
{
    if (m_engines)
        m_engines->run().Button21Click();
}

void BackupWiring::Button5Click()
{
    if (!m_engines)
        return;
    ++m_runDepth;
    m_engines->run().Button5Click();
    --m_runDepth;
}

void BackupWiring::showLog(const QString& path)
{
    m_logViewer->loadFile(path);
    m_controls->showLogModal();
}

} // namespace ombrix::ui
