#pragma once

#include "core/host/Host.h"

#include <array>
#include <functional>
#include <optional>
#include <QObject>

class QProgressBar;

namespace ombrix::ui {

class MainWindow;
class RunTextLabel;
class StatusLine;

// The Host of the main window: status lines StaticText1/2/3, their hints (or, for a shortened
// line, its whole text) as tooltips, the traffic light, the pages' progress bars with the
// progress detail line under each status, the run summaries, and the FTP transfer indicators of
// the backup page. Message boxes are shown only when a person can answer them; otherwise (a
// scheduled or auto-start run, or the offscreen platform of a machine without display) the
// default answer is returned at once so an unattended run never waits for a click.
class WindowHost : public QObject, public Host
{
    Q_OBJECT

  public:
    explicit WindowHost(MainWindow* window, QObject* parent = nullptr);

    // Whether a person sits at the window now; asked at every message box.
    void setPersonPresent(std::function<bool()> present) { m_personPresent = std::move(present); }
    bool personPresent() const;

    void showStatus(Page page, const QString& shownText) override;
    // The whole text of a page's last status, before the status line shortened it.
    QString fullStatus(Page page) const;
    void setStatusHint(Page page, const QString& hint) override;
    void setStatusFullText(Page page, const QString& fullText) override;
    void setProgressDetail(Page page, const QString& text) override;
    void showRunSummary(Page page, const RunSummary& summary) override;
    void clearRunSummary(Page page) override;
    void setTrafficLight(int stav) override;
    void setProgress(Page page, int maximum, int position) override;
    void setTransferActivity(bool visible, const QString& percent = {}) override;
    void pump() override;
    Answer ask(AskKind kind, const QString& text, Answer defaultAnswer = Answer::Ok) override;
    void showLog(const QString& path) override;

    // The summary a page shows now; null when it shows none.
    const RunSummary* lastSummary(Page page) const;
    // Every progress detail is also handed here (the terminal of an unattended run).
    void setProgressEcho(std::function<void(Page, const QString&)> echo) { m_progressEcho = std::move(echo); }

  Q_SIGNALS:
    // The log viewer is asked to show a file.
    void logRequested(const QString& path);
    // Every message box's text as it is asked, whether shown to a person or answered by default
    // (what an unattended or offscreen run would have shown).
    void messageAsked(const QString& text);

  private:
    StatusLine* statusLine(Page page) const;
    QProgressBar* progressBar(Page page) const;
    RunTextLabel* progressDetail(Page page) const;
    RunTextLabel* summaryLabel(Page page) const;
    static int pageIndex(Page page) { return static_cast<int>(page); }

    MainWindow* m_window;
    std::function<bool()> m_personPresent;
    std::function<void(Page, const QString&)> m_progressEcho;
    // The whole text announced for the next status of each page, and of its last status.
    std::array<QString, 3> m_pendingFullText;
    std::array<QString, 3> m_fullStatus;
    std::array<std::optional<RunSummary>, 3> m_summaries;
};

} // namespace ombrix::ui
