#include "ui/mainwindow/ProgramShell.h"

#include "core/app/NoCompressExtensions.h"
#include "core/app/ProgramVersion.h"
#include "core/app/StartupFiles.h"
#include "core/config/DefaultConfig.h"
#include "core/util/Clock.h"
#include "platform/ProgramFolder.h"
#include "platform/UnixSignals.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/RunController.h"
#include "ui/mainwindow/TrayIcon.h"
#include "ui/mainwindow/TrayMessage.h"
#include "ui/mainwindow/WindowHost.h"

#include <cstdio>
#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace ombrix::ui {

ProgramShell::ProgramShell(app::RunMode mode, EngineHooks hooks, QObject* parent)
    : QObject(parent), m_mode(mode), m_hooks(std::move(hooks)),
      m_runLog(platform::programFile(QStringLiteral("log.txt"))), m_window(std::make_unique<MainWindow>())
{
    m_host = new WindowHost(m_window.get(), this);
    m_controller = new RunController(mode, m_window.get(), m_host, &m_runState,
                                     platform::programFile(QStringLiteral("config.ini")), this);
    m_host->setPersonPresent([this] { return !m_controller->isUnattended(); });
    m_controller->setBeforeEnd([this] {
        if (m_tray)
            m_tray->hide();
    });
    connect(m_window.get(), &MainWindow::shown, this, &ProgramShell::FormShow);
}

ProgramShell::~ProgramShell() = default;

QString ProgramShell::permissionMessage()
{
    return permissionProblemText.toString();
}

QString ProgramShell::tr_(const QString& text) const
{
    return m_hooks.getLang ? m_hooks.getLang(text) : text;
}

bool ProgramShell::start()
{
    // 1. An update waiting beside the program takes over and ends this process.
    const QString pendingUpdate =
        QDir(platform::executableFolder()).filePath(QStringLiteral("_new_version.tmp"));
    if (QFileInfo::exists(pendingUpdate) && m_hooks.installPendingUpdate && m_hooks.installPendingUpdate())
        return false;

    // 2. The language check needs nothing of the rest; it runs when the window is shown.
    if (m_mode != app::RunMode::CheckLang) {
        // 3. From here on bare file names mean files of the program folder.
        const app::StartupFiles files(platform::programFolder());
        files.enterFolder();

        // 4. A scheduled run lives in the tray (or, without one, answers SIGTERM and SIGUSR1).
        if (m_mode == app::RunMode::Scheduled) {
            m_window->setCloseHides(true);
            m_window->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                     Qt::WindowCloseButtonHint);
            qApp->setQuitOnLastWindowClosed(false);
            if (TrayIcon::isAvailable()) {
                m_tray = new TrayIcon(this);
                connect(m_tray, &TrayIcon::showRequested, m_controller, &RunController::Show1Click);
                connect(m_tray, &TrayIcon::exitRequested, m_controller, &RunController::Exit1Click);
                m_tray->show();
                m_controller->setTrayNotifier([this](const TrayMessage& message) {
                    if (m_tray)
                        m_tray->showMessage(message);
                });
            }
            m_signals = new platform::UnixSignals(this);
            if (m_signals->install()) {
                connect(m_signals, &platform::UnixSignals::terminateRequested, m_controller,
                        &RunController::Exit1Click);
                connect(m_signals, &platform::UnixSignals::showRequested, m_controller,
                        &RunController::Show1Click);
            }
        }

        // 5. Left-over plug-in of an old installation.
        files.removeLeftoverPlugin();
        // 6. Fixed for the whole run.
        m_daylightSaving = Clock::isDaylightTime();
        // 7. A resumed run keeps appending to the log of the interrupted one.
        m_runLog.load();
        // 8.
        m_window->setWindowTitle(app::windowCaption());
        // 9.
        files.removeRestartScript();
        files.removeTempFiles();
        // 10., 11. The only start-up failure reported to the user.
        if (!files.ensureSourceList() || !files.ensureConfig()) {
            const QString message = tr_(permissionProblemText.toString());
            std::fprintf(stderr, "Ombrix: %s\n", message.toUtf8().constData());
            std::fflush(stderr);
            m_host->ask(AskKind::Error, message);
            m_startExitCode = permissionFailureExitCode;
            return false;
        }
        // 12.
        m_noCompressExtensions = app::noCompressExtensions();
        // 13.
        if (m_hooks.readinessCheck)
            m_hooks.readinessCheck();
        // 14.
        m_controller->armAutoStart();
    }

    if (m_mode != app::RunMode::Scheduled)
        m_window->show();
    return true;
}

void ProgramShell::FormShow()
{
    if (m_mode == app::RunMode::CheckLang) {
        if (m_hooks.checkLanguages)
            m_hooks.checkLanguages();
        m_controller->endProcess(0);
        return;
    }
    if (m_hooks.translateWindow)
        m_hooks.translateWindow();
    m_host->pump();
    if (m_hooks.startUpdateCheck)
        m_hooks.startUpdateCheck();
}

} // namespace ombrix::ui
