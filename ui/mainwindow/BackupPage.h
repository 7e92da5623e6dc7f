#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace ombrix::ui {

class RunTextLabel;
class StatusLine;
class TrafficLight;
class UpdateNotice;

// Page 3 "Zálohování": START/STOP, skip, the status line, the traffic light, the progress bar,
// the FTP transfer indicators, the warning that the destination lies on an older file system than
// the sources, the notice of a newer version, and the controls for attaching to an existing archive chain. The page only holds
// the controls; the backup run drives them through the window's Host.
class BackupPage : public QWidget
{
    Q_OBJECT

  public:
    explicit BackupPage(QWidget* parent = nullptr);

    QPushButton* startButton() const { return m_start; }     // BitBtn1
    QPushButton* skipButton() const { return m_skip; }       // Button21
    StatusLine* statusLine() const { return m_status; }      // StaticText1
    TrafficLight* trafficLight() const { return m_light; }   // imgStartc, imgIncrementc, imgPrerusenic
    QProgressBar* progressBar() const { return m_progress; } // ProgressBar1
    QLabel* transferLabel() const { return m_transfer; }     // Label45
    QLabel* percentLabel() const { return m_percent; }       // Label3
    QComboBox* attachList() const { return m_attachList; }   // ComboBox1
    QPushButton* attachButton() const { return m_attach; }   // Button11
    // The line under the status: how far the run has come.
    RunTextLabel* progressDetail() const { return m_detail; }
    // What the last run did, under the progress bar.
    RunTextLabel* summaryLabel() const { return m_summary; }
    // The destination warning "Cílové zařízení má starší filesystém než zdrojové zařízení" (icon
    // Image1, label Label15); hidden until check_filesystems shows it.
    QWidget* fileSystemWarning() const { return m_warning; }
    // Label35: the notice that a newer version is available; hidden until the update check
    // shows it.
    UpdateNotice* updateNotice() const { return m_notice; }

  Q_SIGNALS:
    // The page became visible (its tab was chosen, or the window was shown with it current).
    void shown();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QPushButton* m_start;
    QPushButton* m_skip;
    StatusLine* m_status;
    RunTextLabel* m_detail;
    RunTextLabel* m_summary;
    TrafficLight* m_light;
    QProgressBar* m_progress;
    QLabel* m_transfer;
    QLabel* m_percent;
    QComboBox* m_attachList;
    QPushButton* m_attach;
    QWidget* m_warning;
    UpdateNotice* m_notice;
};

} // namespace ombrix::ui
