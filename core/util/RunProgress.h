#pragma once

#include <QString>

namespace ombrix {

// How far a backup, restore or merge has come, as a person reads it: files done of files to do,
// bytes done of bytes to do, the rate, and the time left once it can be estimated. The time
// comes from Clock, so a test that moves the fake clock gets exact lines.
//
// An engine makes one at the start of its loop with the totals, reports every file it has dealt
// with, and hands line() to Host::setProgressDetail for its page.
class RunProgress
{
  public:
    // The rate and the time left are shown only once this much of the run has passed; before
    // that they jump about too much to mean anything.
    static constexpr qint64 estimateAfterMs = 5000;

    // filesTotal: the files the run deals with in all; bytesTotal: their sizes in all, or a
    // negative number when the sizes are not known (the line then leaves the data out). The
    // run's clock starts now.
    RunProgress(qint64 filesTotal, qint64 bytesTotal);

    // A continued run starts with this much done by the interrupted one. It counts in the
    // totals shown, but not in the rate, which measures this run only.
    void resumeAt(qint64 filesDone, qint64 bytesDone);
    // One more file dealt with (archived, restored, moved, or given up), with its size.
    void fileDone(qint64 bytes);

    qint64 filesTotal() const { return m_filesTotal; }
    qint64 bytesTotal() const { return m_bytesTotal; }
    qint64 filesDone() const { return m_filesDone; }
    qint64 bytesDone() const { return m_bytesDone; }
    // Milliseconds since the run's clock started.
    qint64 elapsedMs() const;

    // Bytes per second this run; negative until estimateAfterMs has passed.
    double bytesPerSecond() const;
    // Seconds to the end at this run's pace so far (by bytes, or by files when no bytes have
    // moved, as with empty files); negative while it cannot be estimated.
    qint64 secondsLeft() const;

    // "Soubory 12 z 340, data 1.5 MB z 80 MB, 2.1 MB/s, zbývá 0:35" in the current language; the
    // rate and the time left appear once they can be estimated.
    QString line() const;

  private:
    qint64 m_filesTotal;
    qint64 m_bytesTotal;
    qint64 m_filesDone = 0;
    qint64 m_bytesDone = 0;
    // What was done before this run (resumeAt), left out of the rate.
    qint64 m_filesBefore = 0;
    qint64 m_bytesBefore = 0;
    qint64 m_startMs;
};

} // namespace ombrix
