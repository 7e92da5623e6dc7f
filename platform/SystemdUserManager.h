#pragma once

#include "platform/UserServiceManager.h"

namespace ombrix::platform {

// The real user service manager, through the systemctl program. Each command waits for systemctl
// to end (it answers within moments; the limit only guards against a hung bus).
class SystemdUserManager : public UserServiceManager
{
  public:
    // program: systemctl, or another program that answers like it.
    explicit SystemdUserManager(QString program = QStringLiteral("systemctl"), int timeoutMs = 60000);

    // "systemctl --user is-system-running" names a state of a running manager ("running", also
    // "degraded" when some unit failed, "starting", ...); without one it says "offline" or fails.
    bool isAvailable() override;
    ServiceCommandResult run(const QStringList& arguments) override;

  private:
    struct Finished
    {
        bool ran = false; // started and ended by itself within the limit
        int exitCode = -1;
        QString standardOutput;
        QString errorOutput;
    };
    Finished execute(const QStringList& arguments) const;

    QString m_program;
    int m_timeoutMs;
};

} // namespace ombrix::platform
