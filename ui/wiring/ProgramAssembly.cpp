#include "ui/wiring/ProgramAssembly.h"

#include "ui/lang/LanguageHooks.h"
#include "ui/mainwindow/EngineHooks.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RunController.h"
#include "ui/wiring/BackupWiring.h"

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
    LanguageHooks::install(hooks);
    m_shell = std::make_unique<ProgramShell>(mode, std::move(hooks));
    m_backup = std::make_unique<BackupWiring>(*m_shell);

    if (const int autoStart = delayFromEnvironment("OMBRIX_AUTOSTART_DELAY_MS"); autoStart >= 0)
        m_shell->controller()->autoStartTimer()->setInterval(autoStart);
    if (const int exitDelay = delayFromEnvironment("OMBRIX_EXIT_DELAY_MS"); exitDelay >= 0)
        m_shell->controller()->setExitDelay(exitDelay);
}

ProgramAssembly::~ProgramAssembly()
{
    // The wiring refers to the window; it goes first.
    m_backup.reset();
    m_shell.reset();
}

bool ProgramAssembly::start()
{
    return m_shell->start();
}

} // namespace ombrix::ui
