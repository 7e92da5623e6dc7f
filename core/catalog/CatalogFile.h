#pragma once

#include <QString>
#include <QStringList>

namespace ombrix {

// Catalog files (archivlist.csv, recoverylist.csv): UTF-8 with a byte-order mark, every line
// ended by CR LF, no header.
namespace CatalogFile {

struct ReadResult
{
    bool ok = false;         // the file existed and could be read
    QStringList lines;       // every line as stored, without its line end; empty lines dropped
    qsizetype malformed = 0; // lines without the full layout (damage, truncation)
};

// Reads a catalog. Lines are returned as stored even when malformed (the field reader copes
// with any text); `malformed` counts them so a caller can refuse a damaged catalog. A file
// without a byte-order mark is read as UTF-8 too; NUL characters are dropped.
ReadResult read(const QString& path);

// Writes the lines as a catalog, replacing the file whole. False when the file cannot be
// written or a line holds a line break or NUL (it would come back as different lines).
bool write(const QString& path, const QStringList& lines);

// The bytes write() stores.
QByteArray encode(const QStringList& lines);

} // namespace CatalogFile
} // namespace ombrix
