#pragma once

#include "core/host/Host.h"

#include <functional>
#include <QObject>

class QLabel;
class QProgressBar;

namespace ombrix::ui {

class MainWindow;

// The Host of the main window: status lines StaticText1/2/3, their hints, the traffic light,
// the pages' progress bars and the FTP transfer indicators of the backup page. Message boxes
// are shown only when a person can answer them; otherwise (a scheduled or auto-start run, or the
// offscreen platform of a machine without display) the default answer is returned at once so
// an unattended run never waits for a click.
class WindowHost : public QObject, public Host
{
    Q_OBJECT

  public:
    explicit WindowHost(MainWindow* window, QObject* parent = nullptr);

    // Whether a person sits at the window now; asked at every message box.
    void setPersonPresent(std::function<bool()> present) { m_personPresent = std::move(present); }
    bool personPresent() const;

    void showStatus(Page page, const QString& shownText) override;
    void noteFullStatus(Page page, const QString& fullText) override;
    // The whole text of a page's last status, before the status line shortened it.
    QString fullStatus(Page page) const;
    void setStatusHint(Page page, const QString& hint) override;
    void setTrafficLight(int stav) override;
    void setProgress(Page page, int maximum, int position) override;
    void setTransferActivity(bool visible, const QString& percent = {}) override;
    void pump() override;
    Answer ask(AskKind kind, const QString& text, Answer defaultAnswer = Answer::Ok) override;
    void showLog(const QString& path) override;

  Q_SIGNALS:
    // The log viewer is asked to show a file.
    void logRequested(const QString& path);

  private:
    QLabel* statusLine(Page page) const;
    QProgressBar* progressBar(Page page) const;

    MainWindow* m_window;
    std::function<bool()> m_personPresent;
    QString m_fullStatus[3];
};

} // namespace ombrix::ui
