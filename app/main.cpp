#include "core/app/RunMode.h"
#include "platform/InstanceLock.h"
#include "platform/ProgramFolder.h"
#include "ui/wiring/ProgramAssembly.h"

#include <QApplication>

using namespace ombrix;

int main(int argc, char** argv)
{
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
        return 0;
    application.exec();
    return 0;
}
