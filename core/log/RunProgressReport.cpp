#include "core/log/RunProgressReport.h"

#include "core/util/Clock.h"

namespace ombrix {

namespace {

qint64 nowMs()
{
    return Clock::currentDateTimeUtc().toMSecsSinceEpoch();
}

} // namespace

RunProgressReport::RunProgressReport(Host& host, Page page, qint64 filesTotal, qint64 bytesTotal)
    : m_host(host), m_page(page), m_progress(filesTotal, bytesTotal)
{
}

void RunProgressReport::fileDone(qint64 bytes)
{
    m_progress.fileDone(bytes);
    const qint64 now = nowMs();
    // A clock set back counts as time passed, so the line does not freeze until it catches up.
    if (!m_shown || now - m_shownAtMs >= showEveryMs || now < m_shownAtMs)
        show();
}

void RunProgressReport::show()
{
    m_shown = true;
    m_shownAtMs = nowMs();
    m_host.setProgressDetail(m_page, m_progress.line());
}

} // namespace ombrix
