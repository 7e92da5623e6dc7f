#pragma once

#include <QString>

namespace ombrix {

// The CRC-32 (IEEE 802.3 / zlib) of a file's bytes, read in blocks of 65521 bytes; 0 when the
// file cannot be opened or read to its end.
quint32 fileCrc32(const QString& path);

} // namespace ombrix
