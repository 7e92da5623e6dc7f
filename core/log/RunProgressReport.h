#pragma once

#include "core/host/Host.h"
#include "core/util/RunProgress.h"

#include <QtGlobal>

namespace ombrix {

// The progress line of a running backup, restore or merge, put under its page's status line:
// when the loop starts, after files at most a few times a second (a run of small files would
// otherwise redraw the line for every one of them), and once more at the end.
class RunProgressReport
{
  public:
    // The shortest time between two lines shown after files.
    static constexpr qint64 showEveryMs = 250;

    // filesTotal, bytesTotal: as for RunProgress (a negative bytesTotal leaves the data out).
    RunProgressReport(Host& host, Page page, qint64 filesTotal, qint64 bytesTotal);

    // A continued run: this much was done by the interrupted one.
    void resumeAt(qint64 filesDone, qint64 bytesDone) { m_progress.resumeAt(filesDone, bytesDone); }
    // One more file dealt with; the line is shown when the last one is old enough.
    void fileDone(qint64 bytes);
    // Shows the line now (the start and the end of the loop).
    void show();

    const RunProgress& progress() const { return m_progress; }

  private:
    Host& m_host;
    Page m_page;
    RunProgress m_progress;
    bool m_shown = false;
    qint64 m_shownAtMs = 0;
};

} // namespace ombrix
