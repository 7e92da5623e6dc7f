#include "core/remote/ListingLine.h"

namespace ombrix {

namespace {

bool isMachineForm(const QString& line)
{
    return line.contains(QLatin1String("type=dir;")) || line.contains(QLatin1String("type=file;")) ||
           line.contains(QLatin1String("type=cdir;")) || line.contains(QLatin1String("type=pdir;"));
}

bool isSeparator(QChar c)
{
    return c.unicode() == 32 || c.unicode() == 160;
}

QString machineFact(const QString& line, const QString& fact)
{
    if (fact.compare(QLatin1String("size"), Qt::CaseInsensitive) == 0) {
        // The size fact may open the line ("size=77;...") or follow another fact (";size=").
        qsizetype start = 5;
        if (!line.startsWith(QLatin1String("size="))) {
            const qsizetype at = line.indexOf(QLatin1String(";size="));
            start = at < 0 ? 5 : at + 6;
        }
        qsizetype end = start;
        while (end < line.size() && line.at(end) >= QLatin1Char('0') && line.at(end) <= QLatin1Char('9'))
            ++end;
        return start < line.size() ? line.mid(start, end - start) : QString();
    }
    if (fact.compare(QLatin1String("FileName"), Qt::CaseInsensitive) == 0) {
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        return space < 0 ? QString() : line.mid(space + 1);
    }
    if (fact.compare(QLatin1String("type"), Qt::CaseInsensitive) == 0) {
        QString type;
        if (line.contains(QLatin1String("type=file;")))
            type = QStringLiteral("file");
        if (line.contains(QLatin1String("type=dir;")))
            type = QStringLiteral("dir");
        return type; // "cdir" and "pdir" entries are neither files nor folders
    }
    return {};
}

// Column 5 (the size) or everything from column 9 on (the name) of a Unix long listing. A run
// of separators counts as one; once the name column is reached every character belongs to it.
QString unixColumn(const QString& line, int target)
{
    QString out;
    int column = 1;
    bool inSeparators = false;
    for (const QChar c : line) {
        if (target == 9 && column >= 9)
            out += c;
        const bool separator = isSeparator(c);
        if (separator && !inSeparators) {
            inSeparators = true;
            ++column;
        }
        if (!separator)
            inSeparators = false;
        if (target == 5 && column == 5 && !inSeparators)
            out += c;
    }
    return out;
}

QString unixFact(const QString& line, const QString& fact)
{
    if (fact.compare(QLatin1String("type"), Qt::CaseInsensitive) == 0)
        return line.startsWith(QLatin1Char('d')) ? QStringLiteral("dir") : QStringLiteral("file");
    if (fact.compare(QLatin1String("size"), Qt::CaseInsensitive) == 0)
        return unixColumn(line, 5);
    if (fact.compare(QLatin1String("FileName"), Qt::CaseInsensitive) == 0)
        return unixColumn(line, 9);
    return {};
}

} // namespace

void parseListingLine(const QString& line, const QString& fact, QString& out)
{
    out = isMachineForm(line) ? machineFact(line, fact) : unixFact(line, fact);
}

QString listingFact(const QString& line, const QString& fact)
{
    QString out;
    parseListingLine(line, fact, out);
    return out;
}

} // namespace ombrix
