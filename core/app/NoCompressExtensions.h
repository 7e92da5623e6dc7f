#pragma once

#include <QString>

namespace ombrix::app {

// Extensions of files that are already compressed: they are stored in their archive without
// compression. Each extension is enclosed in "@" (the last one only opened), so a lookup for
// "@.ext@" or a trailing "@.ext" finds it.
inline QString noCompressExtensions()
{
    return QStringLiteral("@.3gp@.bik@.mov@.mp4@.wmv@.flv@.m1v@.avi@") + QStringLiteral(".mpg@.vob@.mpeg@") +
           QStringLiteral(".jpeg@.jpg@.png@") + QStringLiteral(".amr@.mp3@.wma@.ogg@.ape@.flac@") +
           QStringLiteral(
               ".001@.7z@.7zip@.ace@.arj@.cab@.cbr@.jar@.msi@.rar@.tib@.zip@.bzip@.bzip2@.zix@.gz");
}

} // namespace ombrix::app
