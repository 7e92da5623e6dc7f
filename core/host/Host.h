#pragma once

#include "core/util/RunSummary.h"

#include <QString>

namespace ombrix {

// The working pages that have their own status line and progress bar.
enum class Page { Backup, Restore, Merge };

// Answers a message box can give; hosts without a person (headless runs, tests) give the default.
enum class Answer { Ok, Yes, No, Cancel };
enum class AskKind { Information, Warning, Error, YesNo, YesNoCancel };

// How long-running engines talk to whatever shows them: the main window, a headless run or a
// test. Every engine loop reports through it and calls pump() between items, which is where a
// click on STOP gets handled, so callers must expect the run state to change after any call.
class Host
{
public:
    virtual ~Host() = default;

    // One status line, already translated and shortened, with its two leading blanks.
    virtual void showStatus(Page page, const QString& shownText) = 0;
    // The tooltip of a status line (the full path of the file being archived, or empty).
    virtual void setStatusHint(Page page, const QString& hint) = 0;
    // The whole text of the status line shown next, before the shortening rule cut it; a window
    // shows a shortened line's whole text as its tooltip, and an unattended run reports its
    // outcome with it. Sent right before showStatus.
    virtual void setStatusFullText(Page /*page*/, const QString& /*fullText*/) {}
    // The second line under a page's status line: how far the run has come (RunProgress::line),
    // or empty to clear it.
    virtual void setProgressDetail(Page /*page*/, const QString& /*text*/) {}
    // What a finished run did (RunSummary::line on the page); the window also keeps it for the
    // word at the end of a scheduled run.
    virtual void showRunSummary(Page /*page*/, const RunSummary& /*summary*/) {}
    // Removes the summary of an earlier run from the page, when a new run starts.
    virtual void clearRunSummary(Page /*page*/) {}
    // The three-lamp traffic light of the backup page: 0 all off, 1 full, 2 incremental, 3 resume.
    virtual void setTrafficLight(int stav) = 0;
    virtual void setProgress(Page page, int maximum, int position) = 0;
    // The "FTP přenos" label and the external transfer's percentage (empty hides it).
    virtual void setTransferActivity(bool visible, const QString& percent = {}) = 0;

    // Lets the window handle what is pending (clicks, timers, the tray menu).
    virtual void pump() = 0;

    // A message to the person; returns the answer, or the default when nobody can answer.
    virtual Answer ask(AskKind kind, const QString& text, Answer defaultAnswer = Answer::Ok) = 0;
    // Shows a log file in the log viewer.
    virtual void showLog(const QString& path) = 0;
};

} // namespace ombrix
