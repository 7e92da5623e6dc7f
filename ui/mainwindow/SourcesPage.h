#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace ombrix::ui {

class MaskDialog;

// Page 1 "Co zálohovat": the source list. ListBox1 shows sources.txt line by line; folders and
// files are added through the pickers, the Delete key removes the selected entry and "Upřesnit"
// opens the mask dialog for a folder entry. Every change saves the whole list to sources.txt at
// once. The job controls are shown but stay disabled (there is one job).
//
// A file that exists but cannot be read is never written: the page then shows an empty list it
// did not get from the file, and saving that list would wipe every entry. Until a later load
// succeeds (the next readiness pass, or the next showing of the page) the page says so, the add
// buttons are disabled and no change is saved.
class SourcesPage : public QWidget
{
    Q_OBJECT

  public:
    explicit SourcesPage(QWidget* parent = nullptr);

    // Loads sources.txt of the program folder into the list (the readiness pass does this, so
    // an entry changed elsewhere shows at once). False, with the reason shown on the page, when
    // the file cannot be read; the list is then empty, and while the file exists the page writes
    // nothing until a load succeeds.
    bool reloadFromFile();
    // The file the list is loaded from and saved to.
    static QString sourcesPath();
    // The entries as the list holds them, one per line of sources.txt.
    QStringList entries() const;

    QLabel* heading() const { return m_heading; }                // Label2
    QListWidget* list() const { return m_list; }                 // ListBox1
    QPushButton* addFolderButton() const { return m_addFolder; } // Button1
    QPushButton* addFileButton() const { return m_addFile; }     // Button13
    QPushButton* refineButton() const { return m_refine; }       // Button17
    QLabel* errorLabel() const { return m_error; }               // why the last load or save failed
    MaskDialog* maskDialog() const { return m_maskDialog; }

    // "Přidat adresář": the folder picker at lastBrowseFolder; a chosen folder becomes a new entry.
    void addFolder();
    // "Přidat soubor": the file picker in lastBrowseFolder; a chosen file becomes a new entry.
    void addFile();
    // The Delete key: removes the selected entry and selects the one now at its place.
    void deleteSelected();
    // "Upřesnit": opens the mask dialog for the selected folder entry.
    void refineSelected();

  Q_SIGNALS:
    // sources.txt was rewritten from the list.
    void sourcesSaved();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // A click on (or keyboard move to) an entry: lastBrowseFolder follows it and "Upřesnit" is
    // enabled for an existing folder only.
    void entrySelected();
    // Writes the whole list to sources.txt; false, with the reason shown, when it fails.
    bool save();
    // Stores the mask dialog's line for the entry it was opened for.
    bool replaceEntry(int row, const QString& oldLine, const QString& newLine, QString* error);
    void showError(const QString& text);
    // The add buttons follow whether the list may be saved.
    void applyWritable();

    QLabel* m_heading;
    QListWidget* m_list;
    QPushButton* m_addFolder;
    QPushButton* m_addFile;
    QPushButton* m_refine;
    QLabel* m_deleteHint;
    QLabel* m_jobLabel;
    QComboBox* m_jobs;
    QPushButton* m_addJob;
    QPushButton* m_removeJob;
    QLabel* m_error;
    MaskDialog* m_maskDialog;
    bool m_unreadable = false;
};

} // namespace ombrix::ui
