#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace ombrix::ui {

// The program's file and folder pickers, in one place so every page opens them the same way and
// tests can answer them. It also keeps `lastBrowseFolder`, the folder in which the pickers of the
// sources, destination and restore pages open.
//
// Tests queue the next answers (queueAnswer); a picker then returns the queued answer instead of
// showing a dialog. With setQueuedOnly(true) a picker whose queue is empty answers "cancelled"
// rather than opening a real dialog, so a test never blocks on a window nobody can close.
class FileDialogs
{
  public:
    static FileDialogs& instance();

    // The filters of the shared file-open dialog, in Qt's form. The first is the one the program
    // pickers of the settings page open with; "Přidat soubor" opens with the last.
    static QStringList programFilters();

    // The folder picker: an empty title, folders only, opened at startFolder (a trailing
    // separator removed) when that folder exists. Returns the chosen folder, or empty when the
    // user cancels or the choice is not an existing folder.
    QString browseFolder(QWidget* owner, const QString& startFolder);

    // The folder picker as the pages use it: lastBrowseFolder is emptied when it is no existing
    // folder, the picker opens there, and its result (empty when cancelled) becomes the new
    // lastBrowseFolder.
    QString browseFromLastFolder(QWidget* owner);

    // The file-open picker: opened in startFolder with the given filters, selectedFilter chosen.
    // Returns the chosen file's full path, or empty when the user cancels.
    QString openFile(QWidget* owner, const QString& startFolder, const QStringList& filters,
                     const QString& selectedFilter);

    const QString& lastBrowseFolder() const { return m_lastBrowseFolder; }
    void setLastBrowseFolder(const QString& folder) { m_lastBrowseFolder = folder; }
    // What every readiness pass does: the pickers open at the root of the file system again.
    void resetLastBrowseFolder();

    // --- for tests ---
    // The next picker returns this text (empty: the user cancelled).
    void queueAnswer(const QString& answer) { m_answers.append(answer); }
    int queuedAnswers() const { return int(m_answers.size()); }
    void setQueuedOnly(bool queuedOnly) { m_queuedOnly = queuedOnly; }
    // The folders the pickers were opened at, oldest first (an empty text for "no folder").
    const QStringList& startFolders() const { return m_startFolders; }
    // Forgets queued answers, recorded start folders and lastBrowseFolder.
    void resetForTest();

  private:
    FileDialogs();
    // True (and the answer set) when a test answers this picker.
    bool takeAnswer(QString* answer);

    QString m_lastBrowseFolder;
    QStringList m_answers;
    QStringList m_startFolders;
    bool m_queuedOnly = false;
};

} // namespace ombrix::ui
