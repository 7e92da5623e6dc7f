#pragma once

#include <QtGlobal>

namespace ombrix {

// The flags a running operation and the buttons share. STOP sets a flag and kills the child
// that is being waited for; the engine sees the flag at its next check.
struct RunState
{
    bool stopRequested = false;
    bool mergeStopRequested = false;
    bool skipRequested = false;
    // Process id of the child being waited for, 0 when none.
    qint64 lastProcessId = 0;
};

} // namespace ombrix
