#pragma once

#include "core/host/Host.h"

#include <QString>

namespace ombrix {

// The status channels every long operation reports through. Callers hand over texts already
// translated with getLang; each status call pumps the window once, so the run state (STOP, skip)
// may have changed when it returns.

// The longest text a page's status line shows unchanged (backup 55, restore 52, merge 50).
int statusLimit(Page page);
// A text as the page's status line shows it: shortened to its first 10 characters, "..." and
// its last (limit - 9) characters when longer than the limit, then two leading blanks.
QString statusText(Page page, const QString& text);

// The status line of the backup page; clears the line's hint.
void info(Host& host, const QString& text);
// The status line of the restore page; clears the line's hint.
void info2(Host& host, const QString& text);
// The status line of the merge page; leaves the hint as it is.
void info3(Host& host, const QString& text);

// The traffic light of the backup page: 1 full backup, 2 incremental, 3 resume; anything else
// turns every lamp off.
void semafor(Host& host, int stav);

// Waits the given milliseconds while pumping the window, so clicks and timers keep working.
// Zero or a negative time returns at once without pumping.
void sleepX(Host& host, int milisekundy);

} // namespace ombrix
