#include "core/config/CommandLineEscape.h"

namespace ombrix {

namespace {

const QString quoteGroup = QStringLiteral("\\\\\"");

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Whether the store would read the text without its first and last character: blanks around it
// are dropped, then one pair of matching quotes.
bool storeStripsEnclosingPair(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    if (end - begin < 2)
        return false;
    const QChar first = text.at(begin);
    return (first == u'"' || first == u'\'') && text.at(end - 1) == first;
}

} // namespace

QString escapeCommandLine(const QString& commandLine)
{
    QString stored = commandLine;
    stored.replace(QLatin1Char('"'), quoteGroup);
    if (storeStripsEnclosingPair(stored))
        stored = QLatin1Char('"') + stored + QLatin1Char('"');
    return stored;
}

QString unescapeCommandLine(const QString& stored)
{
    QString commandLine = stored;
    // Only the extra pair begins a stored line with a bare double quote (every quote of the line
    // itself became \\"); it is still there when the text did not go through the store.
    if (commandLine.size() >= 2 && commandLine.front() == u'"' && commandLine.back() == u'"')
        commandLine = commandLine.mid(1, commandLine.size() - 2);
    commandLine.replace(quoteGroup, QStringLiteral("\""));
    return commandLine;
}

} // namespace ombrix
