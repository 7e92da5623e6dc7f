#include "core/log/RunSummaryReport.h"

#include "core/log/RunLog.h"

namespace ombrix {

void endRunSummary(Host& host, Page page, RunLog& runLog, RunSummary& summary, bool completed,
                   const QString& reason)
{
    summary.finish(completed, reason);
    if (summary.verdict() != RunSummary::Verdict::Success)
        runLog.dologu(summary.logLine());
    host.showRunSummary(page, summary);
}

} // namespace ombrix
