#include "core/app/CommandLineHelp.h"
#include "core/app/RunMode.h"
#include "platform/InstanceLock.h"
#include "platform/ProgramFolder.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/wiring/ProgramAssembly.h"

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

    // One instance per program folder; a second start ends silently before any window exists.
    platform::InstanceLock lock(platform::programFolder());
    if (lock.tryAcquire() == platform::InstanceLock::Result::HeldElsewhere)
        return 0;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ombrix"));

    ui::ProgramAssembly program(app::runModeFromArguments(QApplication::arguments()));
    if (!program.start())
        return program.shell().startExitCode();
    application.exec();
    return 0;
}
