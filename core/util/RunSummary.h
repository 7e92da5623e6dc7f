#pragma once

#include <QString>

namespace ombrix {

// What one backup, restore or merge did, said in one line at its end: the set, the files
// archived (restored, moved) with their bytes, how long it took and the files it could not deal
// with, which the run log names. The page shows line(), the run log gets logLine(), and the end
// of a scheduled run tells it in the tray (verdict()).
//
// An engine makes one when its run starts (the duration is measured from then with Clock),
// reports each file, and calls finish() at the end.
class RunSummary
{
  public:
    enum class Kind
    {
        Backup,
        Restore,
        Merge,
    };
    enum class Verdict
    {
        Success,     // completed, every file dealt with
        Warning,     // completed, but some files were not (see the run log)
        Interrupted, // stopped, failed, or the destination was lost
    };

    // setName: the set the run writes (backup), reads (restore) or merges into (merge).
    RunSummary(Kind kind, QString setName);

    // A file archived, restored or moved, with its size.
    void fileDone(qint64 bytes);
    // A file that could not be archived, restored or moved (its line is in the run log).
    void fileNotDone();
    // The run completed with a warning of its own (a storage missing, a file changed while it
    // was read, ...), so it is no success even when every file was dealt with.
    void markWarning() { m_warned = true; }
    // The counts at once, for an engine that keeps its own.
    void setCounts(qint64 filesDone, qint64 bytesDone, qint64 filesNotDone);
    // The end of the run: completed or not, with the reason of an interruption as the status line
    // said it (already translated; may be empty). The duration is fixed here.
    void finish(bool completed, const QString& reason = QString());

    Kind kind() const { return m_kind; }
    const QString& setName() const { return m_setName; }
    qint64 filesDone() const { return m_filesDone; }
    qint64 bytesDone() const { return m_bytesDone; }
    qint64 filesNotDone() const { return m_filesNotDone; }
    bool isFinished() const { return m_finished; }
    bool completed() const { return m_completed; }
    const QString& reason() const { return m_reason; }
    // Seconds from the start to finish() (or to now, before it).
    qint64 durationSeconds() const;
    Verdict verdict() const;

    // The page's line in the current language, for example
    // "Sada OMX_2024-05-06_10-01-00: archivováno souborů 12 (1.5 MB), trvání 0:35,
    //  nearchivováno souborů 2 (viz log.txt)"; an interrupted run's line begins "Přerušeno – ".
    QString line() const;
    // The same in the run log's English, never translated: "Summary: set OMX_...: files
    // archived 12 (1.5 MB), duration 0:35, files not archived 2"; "interrupted, " after
    // "Summary: " for a run that did not complete.
    QString logLine() const;

  private:
    Kind m_kind;
    QString m_setName;
    qint64 m_filesDone = 0;
    qint64 m_bytesDone = 0;
    qint64 m_filesNotDone = 0;
    qint64 m_startMs;
    qint64 m_endMs = -1;
    bool m_finished = false;
    bool m_warned = false;
    bool m_completed = false;
    QString m_reason;
};

} // namespace ombrix
