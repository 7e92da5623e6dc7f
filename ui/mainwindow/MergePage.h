#pragma once

#include <QWidget>

class QListWidget;
class QProgressBar;
class QPushButton;

namespace ombrix::ui {

class RunTextLabel;
class StatusLine;

// Page 5 "Sloučení archivů": the destination's sets (ListBox4, several entries selectable), the
// size button Button15, the merge button BitBtn4, the status line and the progress bar, with the
// page's fixed texts. Widgets only: the merge wiring gives the controls their actions.
class MergePage : public QWidget
{
    Q_OBJECT

  public:
    explicit MergePage(QWidget* parent = nullptr);

    QListWidget* setList() const { return m_list; }          // ListBox4
    QPushButton* sizeButton() const { return m_size; }       // Button15
    StatusLine* statusLine() const { return m_status; }      // StaticText3
    QProgressBar* progressBar() const { return m_progress; } // ProgressBar3
    QPushButton* runButton() const { return m_run; }         // BitBtn4
    // The line under the status: how far the merge has come.
    RunTextLabel* progressDetail() const { return m_detail; }
    // What the last merge did, under the progress bar.
    RunTextLabel* summaryLabel() const { return m_summary; }

  private:
    QListWidget* m_list;
    QPushButton* m_size;
    StatusLine* m_status;
    RunTextLabel* m_detail;
    RunTextLabel* m_summary;
    QProgressBar* m_progress;
    QPushButton* m_run;
};

} // namespace ombrix::ui
