#pragma once

#include <QString>
#include <QStringList>

namespace ombrix {

// The source list file `sources.txt`: one entry per line. Written as UTF-8 with a byte-order mark
// and CR LF after every line; read as UTF-8 or UTF-16 when a byte-order mark says so, otherwise
// in the locale's 8-bit encoding.
namespace SourcesFile {

inline const QString fileName = QStringLiteral("sources.txt");

// A source list is a few hundred lines at most; a file beyond this is damaged, not loaded.
inline constexpr qint64 maxBytes = qint64(64) * 1024 * 1024;

struct ReadResult
{
    bool ok = false;   // the file existed, was readable and not oversized
    QStringList lines; // one per entry line, blank lines kept (they select nothing); a NUL is kept
    QString error;     // why ok is false
};

ReadResult read(const QString& path);

// The file's bytes for these lines.
QByteArray encode(const QStringList& lines);

// Replaces the file whole (a crash leaves the old or the new list). Refuses, writing nothing,
// when a line holds a line break or NUL, since that would change the entries on the next read.
bool write(const QString& path, const QStringList& lines, QString* error = nullptr);

// Creates an empty list when the file is missing; false when it is missing and cannot be made.
bool createIfMissing(const QString& path);

} // namespace SourcesFile
} // namespace ombrix
