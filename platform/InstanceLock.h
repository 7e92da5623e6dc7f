#pragma once

#include <QString>

namespace ombrix::platform {

// Admits one running program per program folder. The lock is an flock on a file named from a
// hash of the program folder's canonical path (links resolved), so every spelling of one folder
// and every link to it share one lock, while a copy of the program in another folder runs
// alongside. The kernel drops an flock when its process ends in any way, so a crashed instance
// never keeps it.
//
// The lock file lies in a folder only this user can create files in: $XDG_RUNTIME_DIR; without
// that variable (a run from cron) the folder it names in a login session, /run/user/<uid>, while
// that exists; or else "ombrix-<uid>" in the system's temporary folder, made with mode 0700. So
// a scheduled run finds the lock of an instance the user runs meanwhile. A folder that is a link,
// belongs to another user or that anyone else may enter or write to is refused, so no other local
// user can hold the lock and stop this user's runs. (The program folder is not used: it may not
// be writable, which start-up reports itself, and the lock must not end up inside what is backed
// up.)
class InstanceLock
{
  public:
    enum class Result
    {
        Acquired,      // this process holds the lock now
        HeldElsewhere, // another instance from the same program folder runs
        Unavailable,   // no usable lock folder or file; the start goes on as if acquired
    };

    explicit InstanceLock(const QString& programFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The program folder as the lock knows it: its canonical path (the cleaned absolute path when
    // it does not exist).
    static QString canonicalFolder(const QString& programFolder);
    // The lock file's name: "ombrix-" + the SHA-256 of the canonical path (hexadecimal) + ".lock".
    static QString lockName(const QString& programFolder);
    // The folder that holds the lock files; empty when none is usable, and then *problem says why.
    static QString lockFolder(QString* problem = nullptr);

    // Empty when no usable lock folder was found.
    QString lockFilePath() const { return m_path; }

    // How long a start made by the restart script waits for the instance that wrote it to end.
    static constexpr int restartWaitMs = 10000;

    // Tries to take the lock without waiting.
    Result tryAcquire();
    // Tries again every pollMs while another instance holds the lock, for at most timeoutMs; the
    // result of the last try. For a start that follows its predecessor's end closely (a restart),
    // which must not give up while that one is still closing.
    Result acquireWithin(int timeoutMs, int pollMs = 100);
    // Why the last tryAcquire gave HeldElsewhere or Unavailable, as a sentence for standard error.
    const QString& problem() const { return m_problem; }
    bool isHeld() const { return m_fd >= 0; }
    void release();

  private:
    QString m_folder;
    QString m_path;
    QString m_problem;
    int m_fd = -1;
};

} // namespace ombrix::platform
