#include "core/catalog/CatalogFile.h"

#include "core/catalog/CatalogLine.h"
#include "core/text/TextFile.h"

namespace ombrix::CatalogFile {

namespace {

bool isStorable(const QString& line)
{
    for (const QChar c : line) {
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            return false;
    }
    return true;
}

} // namespace

ReadResult read(const QString& path)
{
    ReadResult result;
    TextFile::ReadResult text = TextFile::readLines(path);
    if (!text.ok)
        return result;
    result.ok = true;
    result.lines.reserve(text.lines.size());
    for (QString& line : text.lines) {
        if (line.isEmpty())
            continue;
        if (!CatalogLine::isWellFormed(line))
            ++result.malformed;
        result.lines.append(std::move(line));
    }
    return result;
}

QByteArray encode(const QStringList& lines)
{
    return TextFile::encodeUtf8Bom(lines);
}

bool write(const QString& path, const QStringList& lines)
{
    for (const QString& line : lines) {
        if (!isStorable(line))
            return false;
    }
    return TextFile::writeAtomically(path, encode(lines));
}

} // namespace ombrix::CatalogFile
