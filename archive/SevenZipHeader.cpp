#include "archive/SevenZipHeader.h"

#include <archive.h>
#include <archive_entry.h>
#include <locale.h>
#include <QFile>
#include <QFileInfo>

namespace ombrix {

namespace {

constexpr size_t readBlockSize = 64 * 1024;

// libarchive turns the UTF-16 names of a 7z header into the multibyte encoding of the current
// locale, and fails on every name outside ASCII when that locale is "C" (a run from cron or a
// systemd timer often has no LANG at all). Names are UTF-8 everywhere else in the program, so
// the reading thread switches to C.UTF-8 while libarchive works and back afterwards; the rest
// of the process keeps its locale.
class Utf8LocaleScope
{
  public:
    Utf8LocaleScope()
    {
        static const locale_t utf8 = ::newlocale(LC_ALL_MASK, "C.UTF-8", locale_t(0));
        if (utf8 != locale_t(0))
            m_previous = ::uselocale(utf8);
    }
    ~Utf8LocaleScope()
    {
        if (m_previous != locale_t(0))
            ::uselocale(m_previous);
    }
    Utf8LocaleScope(const Utf8LocaleScope&) = delete;
    Utf8LocaleScope& operator=(const Utf8LocaleScope&) = delete;

  private:
    locale_t m_previous = locale_t(0);
};

// Owns one libarchive reader.
class Reader
{
  public:
    Reader() : m_archive(::archive_read_new()) {}
    ~Reader()
    {
        if (m_archive)
            ::archive_read_free(m_archive);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    struct archive* get() const { return m_archive; }

    QString errorText() const
    {
        const char* text = m_archive ? ::archive_error_string(m_archive) : nullptr;
        return text ? QString::fromUtf8(text) : QStringLiteral("cannot read the archive");
    }

  private:
    struct archive* m_archive;
};

QString entryName(struct archive_entry* entry)
{
    if (const char* utf8 = ::archive_entry_pathname_utf8(entry))
        return QString::fromUtf8(utf8);
    if (const char* local = ::archive_entry_pathname(entry))
        return QFile::decodeName(local);
    return QString();
}

} // namespace

SevenZipHeader::Result SevenZipHeader::read(const QString& archive, int maxEntries)
{
    Result result;
    // Only a regular file: a folder fails at once, and a FIFO would block the open.
    if (!QFileInfo(archive).isFile()) {
        result.errorText = QStringLiteral("not a file");
        return result;
    }
    Utf8LocaleScope utf8;
    Reader reader;
    if (!reader.get() || ::archive_read_support_format_7zip(reader.get()) != ARCHIVE_OK) {
        result.errorText = reader.errorText();
        return result;
    }
    const QByteArray path = QFile::encodeName(archive);
    if (::archive_read_open_filename(reader.get(), path.constData(), readBlockSize) != ARCHIVE_OK) {
        result.errorText = reader.errorText();
        return result;
    }
    for (;;) {
        struct archive_entry* entry = nullptr;
        // The second call skips the first entry's data: with nothing unpacked yet that is a
        // seek, not a decompression, so a large archive costs no more than a small one.
        const int status = ::archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status != ARCHIVE_OK) {
            // ARCHIVE_WARN included: a name that could not be converted is no name to compare.
            result.errorText = reader.errorText();
            return result;
        }
        if (result.entries.size() >= maxEntries) {
            result.moreEntries = true;
            break;
        }
        Entry item;
        item.name = entryName(entry);
        item.size = ::archive_entry_size_is_set(entry) ? qint64(::archive_entry_size(entry)) : -1;
        item.isFile = ::archive_entry_filetype(entry) == AE_IFREG;
        item.encrypted = ::archive_entry_is_encrypted(entry) != 0;
        result.entries.append(item);
    }
    result.readable = true;
    return result;
}

bool SevenZipHeader::holdsOneFile(const QString& archive, const QString& expectedName, qint64 expectedSize)
{
    const Result header = read(archive, 1);
    if (!header.readable || header.moreEntries || header.entries.size() != 1)
        return false;
    const Entry& entry = header.entries.first();
    return entry.isFile && !entry.encrypted && entry.name == expectedName && entry.size == expectedSize;
}

} // namespace ombrix
