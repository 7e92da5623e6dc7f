#include "core/text/TextFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace ombrix::TextFile {

namespace {

QString decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder d(QStringDecoder::Utf16LE);
        return d(bytes.mid(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder d(QStringDecoder::Utf16BE);
        return d(bytes.mid(2));
    }
    return QString::fromLocal8Bit(bytes);
}

template <typename Encode> QByteArray joinCrLf(const QStringList& lines, Encode encode)
{
    QByteArray out;
    for (const QString& line : lines) {
        out += encode(line);
        out += "\r\n";
    }
    return out;
}

} // namespace

QStringList decodeLines(const QByteArray& bytes, Nul nul)
{
    QString text = decode(bytes);
    if (nul == Nul::Drop)
        text.remove(QChar(0));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

ReadResult readLines(const QString& path)
{
    ReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxReadBytes)
        return result;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return result;
    result.ok = true;
    result.lines = decodeLines(bytes);
    return result;
}

QByteArray encodeUtf8Bom(const QStringList& lines)
{
    return QByteArray("\xEF\xBB\xBF") + joinCrLf(lines, [](const QString& l) { return l.toUtf8(); });
}

QByteArray encodeLocal8Bit(const QStringList& lines)
{
    return joinCrLf(lines, [](const QString& l) { return l.toLocal8Bit(); });
}

bool writeAtomically(const QString& path, const QByteArray& bytes, Access access)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // On an open save file this changes the temporary file, which the commit renames into place.
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (access == Access::OwnerOnly && !file.setPermissions(ownerOnly)) {
        file.cancelWriting();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace ombrix::TextFile
