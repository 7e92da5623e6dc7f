#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace ombrix::test {

// Source trees for runs of the real program: generated from a seed (so a failing run can be
// repeated), with names a shell, a quoting rule or a command-line parser would trip over, and
// the checksums a restore is compared with.
class SourceTree
{
  public:
    // Names that must survive the whole way (scan, catalog, archiver command line, restore):
    // blanks, quotes, a leading "-", switches of the archiver, non-ASCII, a catalog separator,
    // shell and variable syntax, a name of 247 bytes (the longest whose archive and the archiver's work file
    // ".7z.tmp" still fit in 255 bytes), a file named like a side archive. Each is a plain file name (no
    // "/").
    static QStringList hostileNames();

    // Writes `count` files below root: mixed sizes (empty, a few bytes, kilobytes, some of a
    // megabyte or two, random or repetitive so compression matters), in nested folders, a
    // tenth of them with hostile names. Returns the full paths written.
    static QStringList generate(const QString& root, quint32 seed, int count);

    // Writes one file with content from seed and size, creating its folders.
    static bool writeFile(const QString& path, quint32 seed, qint64 size);

    // SHA-256 of every regular file below root, by full path.
    static QMap<QString, QByteArray> digests(const QString& root);
    static QByteArray digestOf(const QByteArray& bytes);
};

} // namespace ombrix::test
