#include "ui/mainwindow/RunController.h"

#include "core/app/AutoStartAction.h"
#include "core/app/ExitCode.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/lang/Translator.h"
#include "core/log/Status.h"
#include "platform/ChildProcess.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/MergePage.h"
#include "ui/mainwindow/RestorePage.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/mainwindow/StatusLine.h"
#include "ui/mainwindow/WindowHost.h"

#include <cstdio>
#include <cstdlib>
#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace ombrix::ui {

RunController::RunController(app::RunMode mode, MainWindow* window, WindowHost* host, RunState* runState,
                             const QString& configPath, QObject* parent)
    : QObject(parent), m_mode(mode), m_window(window), m_host(host), m_runState(runState),
      m_configPath(configPath), m_terminalProgress([this] { return isUnattended(); })
{
    m_host->setProgressEcho([this](Page, const QString& text) { m_terminalProgress.offer(text); });
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setSingleShot(true);
    m_timer1->setInterval(5000);
    connect(m_timer1, &QTimer::timeout, this, &RunController::Timer1Timer);
    m_terminate = [](int code) {
        std::fflush(nullptr);
        std::_Exit(code);
    };
}

bool RunController::isUnattended() const
{
    return app::isUnattended(m_mode, m_window->settingsPage()->autoStartBox()->isChecked());
}

void RunController::armAutoStart()
{
    if (isUnattended())
        m_timer1->start();
}

void RunController::Timer1Timer()
{
    m_timer1->stop();
    if (m_timer1Tag == 1)
        return;
    m_timer1Tag = 1;
    const IniStore config(m_configPath);
    const bool sumDone = config.readBool(ConfigKeys::SUM_DONE, false);
    const bool recoveryDone = config.readBool(ConfigKeys::RECOVERY_DONE, false);
    switch (app::autoStartAction(sumDone, recoveryDone)) {
    case app::AutoStartAction::ContinueMerge:
        m_window->showPage(MainWindow::MergeIndex);
        Q_EMIT continueMergeRequested();
        break;
    case app::AutoStartAction::StartBackup:
        m_window->showPage(MainWindow::BackupIndex);
        Q_EMIT startBackupRequested();
        break;
    case app::AutoStartAction::None:
        // A restore is pending: it needs a person to continue it, and backing up a half-restored
        // tree would record it as the current state. A scheduled run says so and ends instead of
        // waiting for ever; a window someone opened stays open.
        if (m_mode == app::RunMode::Scheduled) {
            m_window->showPage(MainWindow::RestoreIndex);
            info2(*m_host, getLang(QStringLiteral("Obnova dat nebyla dokončena, bude se pokračovat")));
            xExit(app::ExitCode::NotCompleted);
        }
        break;
    }
}

void RunController::xExit()
{
    xExit(m_outcome ? m_outcome() : app::ExitCode::Completed);
}

void RunController::xExit(int exitCode)
{
    if (!isUnattended())
        return;
    m_runState->stopRequested = true;
    m_window->setPagesEnabled(true, MainWindow::IntroIndex);
    // A run nobody watches leaves its outcome where cron, a systemd journal or a terminal keeps
    // it: the last status of the page the run worked on (the merge or restore page when the run
    // continued one of those, otherwise the backup page), as a whole, not as the status line
    // shortened it, and the exit code.
    Page page = Page::Backup;
    StatusLine* status = m_window->backupPage()->statusLine();
    const int shown = m_window->pages()->currentIndex();
    if (shown == MainWindow::MergeIndex) {
        page = Page::Merge;
        status = m_window->mergePage()->statusLine();
    } else if (shown == MainWindow::RestoreIndex) {
        page = Page::Restore;
        status = m_window->restorePage()->statusLine();
    }
    QString outcome = m_host->fullStatus(page).trimmed();
    if (outcome.isEmpty())
        outcome = status->text().trimmed();
    if (!outcome.isEmpty()) {
        std::fprintf(stdout, "Ombrix: %s\n", outcome.toUtf8().constData());
        std::fflush(stdout);
    }
    m_endingWith = exitCode;
    // Where a tray exists, the person at the desktop learns how the run ended, with the whole
    // status text rather than the shortened line.
    if (m_trayNotifier)
        m_trayNotifier(TrayMessage::forRunEnd(m_host->lastSummary(page), status->fullText()));
    sleepX(*m_host, m_exitDelay);
    endProcess(exitCode);
}

void RunController::Exit1Click()
{
    if (m_window->backupPage()->startButton()->text() == QLatin1String("STOP"))
        m_runState->stopRequested = true;
    if (m_window->mergePage()->runButton()->text() == QLatin1String("STOP"))
        m_runState->mergeStopRequested = true;
    if (m_runState->lastProcessId > 0)
        platform::KillProcessId(m_runState->lastProcessId);
    endProcess(m_endingWith.value_or(app::ExitCode::NotCompleted));
}

void RunController::Show1Click()
{
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}

void RunController::endProcess(int code)
{
    if (m_beforeEnd)
        m_beforeEnd();
    m_terminate(code);
}

} // namespace ombrix::ui
