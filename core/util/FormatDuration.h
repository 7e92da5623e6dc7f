#pragma once

#include <QString>

namespace ombrix {

// A length of time as the progress and summary lines show it: "0:07", "12:05", "1:02:03" (hours
// only when there are any, minutes and seconds always two digits after the first field).
// Negative lengths show as "0:00".
QString formatDuration(qint64 seconds);

} // namespace ombrix
