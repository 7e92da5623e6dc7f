#pragma once

#include <QString>

namespace ombrix::platform {

// Admits one running program per program folder. The lock is an flock on a file in the system's
// temporary folder whose name is made from the program folder's path, so a copy of the program
// in another folder runs alongside, and the kernel drops the lock when the process ends in any
// way, so a crashed instance never keeps it. The temporary folder is used rather than the program
// folder because the program folder may not be writable (start-up reports that itself) and the
// lock must not end up inside the folder that is backed up.
class InstanceLock
{
  public:
    enum class Result
    {
        Acquired,      // this process holds the lock now
        HeldElsewhere, // another instance from the same program folder runs
        Unavailable,   // the lock file could not be opened; the start goes on as if acquired
    };

    explicit InstanceLock(const QString& programFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The program folder's path without ":", "\", "." and "/"; very long paths keep their start
    // and a hash of the whole so the name stays a valid file name.
    static QString lockName(const QString& programFolder);
    QString lockFilePath() const { return m_path; }

    // Tries to take the lock without waiting.
    Result tryAcquire();
    bool isHeld() const { return m_fd >= 0; }
    void release();

  private:
    QString m_path;
    int m_fd = -1;
};

} // namespace ombrix::platform
