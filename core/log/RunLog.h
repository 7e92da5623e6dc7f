#pragma once

#include <QString>
#include <QStringList>

namespace ombrix {

// The run log: its lines in memory (logBuffer) and log.txt, the file they are saved to whole,
// as UTF-8 with a byte-order mark and CR LF after every line. The file is always replaced
// atomically, so a crash leaves the previous or the new log, never a torn one.
class RunLog
{
  public:
    // Size of log.txt for a run with no events: BOM, "Archiv: " + 23-character set name, CR LF,
    // the rule of 56 dashes, CR LF; and the same without the byte-order mark.
    static constexpr qint64 emptyRunLogSize = 94;
    static constexpr qint64 emptyRunLogSizeWithoutBom = 91;

    // path: the log file, normally log.txt in the program folder.
    explicit RunLog(const QString& path);

    const QString& path() const { return m_path; }
    const QStringList& logBuffer() const { return m_lines; }

    // ARCHIVLIST_BUFFER: below 2 every line is saved at once, otherwise only by save().
    void setProgressSaveInterval(int interval) { m_progressSaveInterval = interval; }
    int progressSaveInterval() const { return m_progressSaveInterval; }
    bool savesEveryLine() const { return m_progressSaveInterval < 2; }

    // Replaces the buffer with the lines of an existing log file, so the log of an interrupted
    // run continues after a restart. Returns false, leaving the buffer empty, when there is no
    // readable file.
    bool load();
    // Appends one line; in unbuffered mode also saves the whole buffer. Returns false only when
    // that save failed (the line stays in the buffer and goes out with the next save). A line
    // break or NUL in the text (a file name may hold them) is written as \r, \n or \0, so the
    // text stays one line of the log.
    bool dologu(const QString& text);
    // The text as dologu stores it.
    static QString asOneLine(const QString& text);
    // Writes the whole buffer to the file, replacing it.
    bool save() const;
    // Empties the buffer; the file stays.
    void clear() { m_lines.clear(); }
    // Deletes the file; the buffer keeps its lines. True when no file is left.
    bool removeFile() const;
    // Begins the log of a new backup run: deletes the file, empties the buffer and writes the
    // two header lines ("Archiv: " + set name and the rule) through dologu.
    bool startRun(const QString& archiveName);

    // The two header lines of a run log.
    static QStringList header(const QString& archiveName);

  private:
    QString m_path;
    QStringList m_lines;
    int m_progressSaveInterval = 0;
};

} // namespace ombrix
