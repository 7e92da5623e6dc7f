#pragma once

#include <QString>

namespace ombrix {

// A byte count as the merge page shows it: "3 GB", "1.5 GB", "1.4 kB", "1000 B". The number is cut
// (never rounded) to one decimal, shown without decimals when whole, with the decimal separator of
// the default locale and no group separators. The limits are strict: exactly 1024 bytes is
// "1000 B", exactly 1048576 bytes "1024 kB". Negative, NaN and infinite counts show as "0 B".
QString formatSize(double bytes);

} // namespace ombrix
