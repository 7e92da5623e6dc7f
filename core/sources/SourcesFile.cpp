#include "core/sources/SourcesFile.h"

#include "core/text/TextFile.h"

#include <QFile>
#include <QFileInfo>

namespace ombrix::SourcesFile {

ReadResult read(const QString& path)
{
    ReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return result;
    }
    if (file.size() > maxBytes) {
        result.error = QStringLiteral("%1 is too large (%2 bytes)").arg(path, QString::number(file.size()));
        return result;
    }
    // Read at most one byte past the limit so a file that grows (or a device without a size)
    // cannot make us load more than that.
    const QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return result;
    }
    if (bytes.size() > maxBytes) {
        result.error = QStringLiteral("%1 is too large").arg(path);
        return result;
    }
    result.ok = true;
    // A NUL stays in its line, which is then an invalid record (pars_source): dropped, it would
    // join the parts around it into another path, and that path would be backed up instead.
    result.lines = TextFile::decodeLines(bytes, TextFile::Nul::Keep);
    return result;
}

QByteArray encode(const QStringList& lines)
{
    return TextFile::encodeUtf8Bom(lines);
}

bool write(const QString& path, const QStringList& lines, QString* error)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.contains(u'\r') || line.contains(u'\n') || line.contains(QChar(0))) {
            if (error)
                *error = QStringLiteral("line %1 holds a line break or NUL character").arg(i + 1);
            return false;
        }
    }
    if (!TextFile::writeAtomically(path, encode(lines))) {
        if (error)
            *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}

bool createIfMissing(const QString& path)
{
    if (QFileInfo(path).isFile())
        return true;
    if (QFileInfo::exists(path))
        return false; // something else (a folder) has the name
    return write(path, {});
}

} // namespace ombrix::SourcesFile
