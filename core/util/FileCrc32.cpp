#include "core/util/FileCrc32.h"

#include <QFile>
#include <QFileInfo>
#include <vector>
#include <zlib.h>

namespace ombrix {

namespace {

constexpr qint64 blockSize = 65521;

} // namespace

quint32 fileCrc32(const QString& path)
{
    if (QFileInfo(path).isDir())
        return 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    std::vector<char> block(blockSize);
    uLong crc = crc32(0L, Z_NULL, 0);
    while (true) {
        const qint64 got = file.read(block.data(), blockSize);
        if (got < 0)
            return 0;
        if (got == 0)
            break;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(got));
    }
    return static_cast<quint32>(crc);
}

} // namespace ombrix
