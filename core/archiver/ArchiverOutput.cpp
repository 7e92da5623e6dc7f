#include "core/archiver/ArchiverOutput.h"

#include <algorithm>
#include <QRegularExpression>

namespace ombrix {

namespace {

bool mentionsPasswordTrouble(const QStringList& lines)
{
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("Enter password")) ||
            line.contains(QLatin1String("Wrong password"), Qt::CaseInsensitive) ||
            line.contains(QLatin1String("encrypted archive"), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

bool ArchiverOutput::listsOneFile(const QStringList& lines)
{
    if (lines.isEmpty())
        return false;
    // "1 files" not preceded by another digit: the count is one, not 11 or 21.
    static const QRegularExpression oneFile(QStringLiteral("(?<![0-9])1 files"));
    return oneFile.match(lines.last()).hasMatch();
}

bool ArchiverOutput::isEncrypted(const QStringList& lines)
{
    const QLatin1String key("Encrypted = ");
    for (const QString& line : lines) {
        if (line.startsWith(key))
            return line == QLatin1String("Encrypted = +");
    }
    return mentionsPasswordTrouble(lines);
}

bool ArchiverOutput::isWrongPassword(const QStringList& lines)
{
    const QLatin1String key("Sub items Errors: ");
    for (const QString& line : lines) {
        if (line.startsWith(key)) {
            bool ok = false;
            const qlonglong count = line.mid(key.size()).trimmed().toLongLong(&ok);
            if (ok && count > 0)
                return true;
        }
    }
    return std::any_of(lines.begin(), lines.end(), [](const QString& line) {
        return line.contains(QLatin1String("Wrong password"), Qt::CaseInsensitive) ||
               line.contains(QLatin1String("Cannot open encrypted archive"), Qt::CaseInsensitive);
    });
}

bool ArchiverOutput::isCleanRunLog(const QStringList& lines)
{
    for (const QString& line : lines) {
        if (line == QLatin1String("Size = 94") || line == QLatin1String("Size = 91"))
            return true;
    }
    return false;
}

} // namespace ombrix
