#pragma once

#include <QWidget>

class QProgressBar;
class QPushButton;

namespace ombrix::ui {

class StatusLine;

// Page 5 "Sloučení archivů": merging sets. The status line, the progress bar and the merge button; the set
// lists are added by the merge page.
class MergePage : public QWidget
{
    Q_OBJECT

  public:
    explicit MergePage(QWidget* parent = nullptr);

    StatusLine* statusLine() const { return m_status; }      // StaticText3
    QProgressBar* progressBar() const { return m_progress; } // ProgressBar3
    QPushButton* runButton() const { return m_run; }         // BitBtn4

  private:
    StatusLine* m_status;
    QProgressBar* m_progress;
    QPushButton* m_run;
};

} // namespace ombrix::ui
