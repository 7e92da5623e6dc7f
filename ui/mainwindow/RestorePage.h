#pragma once

#include <QWidget>

class QProgressBar;
class QPushButton;

namespace ombrix::ui {

class StatusLine;

// Page 4 "Obnova": restoring a set. The status line, the progress bar and the restore button; the archive
// list and target choice are added by the restore page.
class RestorePage : public QWidget
{
    Q_OBJECT

  public:
    explicit RestorePage(QWidget* parent = nullptr);

    StatusLine* statusLine() const { return m_status; }      // StaticText2
    QProgressBar* progressBar() const { return m_progress; } // ProgressBar2
    QPushButton* runButton() const { return m_run; }         // BitBtn2

  private:
    StatusLine* m_status;
    QProgressBar* m_progress;
    QPushButton* m_run;
};

} // namespace ombrix::ui
