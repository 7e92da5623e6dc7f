#pragma once

#include <QString>
#include <QStringList>

namespace ombrix::platform {

// What one command to the service manager gave.
struct ServiceCommandResult
{
    bool ok = false;
    // What the command printed (output and errors), or why it could not be run.
    QString output;
};

// The user's own service manager ("systemctl --user"), behind an interface so tests can put a
// recorder in its place and never touch the real one.
class UserServiceManager
{
  public:
    virtual ~UserServiceManager() = default;

    // Whether a user service manager answers at all (a desktop session has one; a container, a
    // bare ssh login without lingering or a system without systemd has none).
    virtual bool isAvailable() = 0;
    // One command with the given arguments after "systemctl --user", for example
    // {"enable", "--now", "ombrix-backup.timer"}.
    virtual ServiceCommandResult run(const QStringList& arguments) = 0;
};

} // namespace ombrix::platform
