#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace ombrix::ui {

class RunTextLabel;
class StatusLine;

// Page 4 "Obnova": the archive browser and the restore. The set list with its refresh and test
// buttons, the restore place (original place, exact state or keep, or a chosen folder), the
// selective tree and log buttons, the restore button with its status line and progress bar.
// Widgets only: the restore wiring connects them to the engines by their designer names.
class RestorePage : public QWidget
{
    Q_OBJECT

  public:
    explicit RestorePage(QWidget* parent = nullptr);

    StatusLine* statusLine() const { return m_status; }      // StaticText2
    QProgressBar* progressBar() const { return m_progress; } // ProgressBar2
    QPushButton* runButton() const { return m_run; }         // BitBtn2
    // The line under the status: how far the restore has come.
    RunTextLabel* progressDetail() const { return m_detail; }
    // What the last restore did, under the progress bar.
    RunTextLabel* summaryLabel() const { return m_summary; }

    QListWidget* setList() const { return m_sets; }               // ListBox2
    QPushButton* refreshButton() const { return m_refresh; }      // Button8
    QPushButton* testButton() const { return m_test; }            // Button10
    QLabel* testResult() const { return m_testResult; }           // Label21
    QProgressBar* testProgress() const { return m_testProgress; } // ProgressBar4
    QCheckBox* originalPlaceBox() const { return m_original; }    // CheckBox4
    QRadioButton* exactStateChoice() const { return m_exact; }    // RadioButton3
    QRadioButton* keepChoice() const { return m_keep; }           // RadioButton4
    QLineEdit* folderEdit() const { return m_folder; }            // Edit8
    QPushButton* browseButton() const { return m_browse; }        // Button9
    QPushButton* treeButton() const { return m_tree; }            // BitBtn3
    QPushButton* logButton() const { return m_log; }              // Button18
    // The restore-target warning "Cílové zařízení má starší filesystém než zdrojové zařízení".
    QWidget* fileSystemWarning() const { return m_warning; }

    // The folder field and its browse button; a disabled field has the 3-D light background.
    void setFolderEnabled(bool enabled);

  private:
    StatusLine* m_status;
    RunTextLabel* m_detail;
    RunTextLabel* m_summary;
    QProgressBar* m_progress;
    QPushButton* m_run;
    QListWidget* m_sets;
    QPushButton* m_refresh;
    QPushButton* m_test;
    QLabel* m_testResult;
    QProgressBar* m_testProgress;
    QCheckBox* m_original;
    QRadioButton* m_exact;
    QRadioButton* m_keep;
    QLineEdit* m_folder;
    QPushButton* m_browse;
    QPushButton* m_tree;
    QPushButton* m_log;
    QWidget* m_warning;
};

} // namespace ombrix::ui
