#include "platform/PowerOff.h"

#include <QProcess>
#include <QStringList>

namespace ombrix::platform {

bool WindowsExit(int rebootParam)
{
    Q_UNUSED(rebootParam); // every request here powers off; there is no reboot or log-off use
    const QString replacement = qEnvironmentVariable("OMBRIX_POWEROFF_COMMAND");
    const int code = replacement.isEmpty()
                         ? QProcess::execute(QStringLiteral("systemctl"), {QStringLiteral("poweroff")})
                         : QProcess::execute(replacement, {});
    return code == 0;
}

} // namespace ombrix::platform
