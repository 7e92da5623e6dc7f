#include "core/app/CommandLineHelp.h"
#include "core/app/ExitCode.h"
#include "core/app/RunMode.h"
#include "core/app/StartupFiles.h"
#include "platform/InstanceLock.h"
#include "platform/ProgramFolder.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/wiring/ProgramAssembly.h"

#include <cstdio>
#include <QApplication>

using namespace ombrix;

int main(int argc, char** argv)
{
    if (app::CommandLineHelp::printIfRequested(argc, argv))
        return 0;

    // A scheduled run from cron or a systemd timer has no display: Qt's offscreen platform lets
    // the whole program run there unchanged.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // One instance per program folder; a second start ends before any window exists and says why
    // on standard error, where cron or the journal keeps it. Without a usable lock the program
    // still starts, as it always did when the lock could not be made.
    const QString folder = platform::programFolder();
    platform::InstanceLock lock(folder);
    platform::InstanceLock::Result locked = lock.tryAcquire();
    // A start made by the restart script after attaching to a chain: the instance that wrote the
    // script is closing its window just now, so its lock is waited for a little. Where it keeps
    // running (a scheduled run only hides its window) this start still ends.
    if (locked == platform::InstanceLock::Result::HeldElsewhere &&
        app::StartupFiles(folder).restartScriptPresent())
        locked = lock.acquireWithin(platform::InstanceLock::restartWaitMs);
    switch (locked) {
    case platform::InstanceLock::Result::Acquired:
        break;
    case platform::InstanceLock::Result::HeldElsewhere:
        std::fprintf(stderr, "Ombrix: %s\n", lock.problem().toLocal8Bit().constData());
        return app::ExitCode::AnotherInstance;
    case platform::InstanceLock::Result::Unavailable:
        std::fprintf(stderr, "Ombrix: %s; starting without the single-instance lock\n",
                     lock.problem().toLocal8Bit().constData());
        break;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ombrix"));

    ui::ProgramAssembly program(app::runModeFromArguments(QApplication::arguments()));
    if (!program.start())
        return program.shell().startExitCode();
    application.exec();
    return 0;
}
