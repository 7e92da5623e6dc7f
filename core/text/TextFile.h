#pragma once

#include <QString>
#include <QStringList>

namespace ombrix {

// Reading and writing the program's line-based text files (sources.txt, log.txt, catalogs,
// work lists).
namespace TextFile {

// Largest file a reader accepts; anything bigger is treated as unreadable rather than loaded.
inline constexpr qint64 maxReadBytes = qint64(2) * 1024 * 1024 * 1024 - 1;

struct ReadResult
{
    bool ok = false;   // the file existed and could be read
    QStringList lines; // without line ends; a final empty line after the last CR LF is dropped
};

// What a reader does with NUL characters in the text.
enum class Nul
{
    Drop, // a damaged file never yields a line with a hidden terminator
    Keep, // the caller refuses such a line itself (a source list: "/a/b\0c" must not become "/a/bc")
};

// Decodes a file: UTF-8 or UTF-16 (LE/BE) when it starts with a byte-order mark, otherwise the
// locale's 8-bit encoding (UTF-8 here). Lines may end in CR LF, LF or CR. NUL characters are
// dropped unless the caller keeps them.
ReadResult readLines(const QString& path);
QStringList decodeLines(const QByteArray& bytes, Nul nul = Nul::Drop);

// UTF-8 with byte-order mark, every line followed by CR LF.
QByteArray encodeUtf8Bom(const QStringList& lines);
// The locale's 8-bit encoding without a mark, every line followed by CR LF.
QByteArray encodeLocal8Bit(const QStringList& lines);

// Who may read a file once it is written.
enum class Access
{
    // A new file gets what the umask allows; a replaced file keeps the permissions it had.
    Keep,
    // Only its owner may read and write it (0600), whatever it had before: for files holding
    // passwords, which scrambling does not protect.
    OwnerOnly,
};

// Replaces the file whole: the bytes go to a temporary file beside it, are flushed to disk and
// renamed over the old file, so a crash leaves the old or the new content, never a torn file.
// The temporary file has its final permissions before the first byte goes in, so the content is
// never readable by anyone the access does not allow, not even for a moment.
bool writeAtomically(const QString& path, const QByteArray& bytes, Access access = Access::Keep);

} // namespace TextFile
} // namespace ombrix
