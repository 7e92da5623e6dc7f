#pragma once

#include "core/host/Host.h"
#include "core/util/RunSummary.h"

#include <QString>

namespace ombrix {

class RunLog;

// The end of a backup, restore or merge: the summary is finished, shown on the page, and written
// to the run log when the run did not go cleanly (files left out, or not completed). The log of a
// run that dealt with every file stays exactly as the run wrote it.
void endRunSummary(Host& host, Page page, RunLog& runLog, RunSummary& summary, bool completed,
                   const QString& reason = QString());

} // namespace ombrix
