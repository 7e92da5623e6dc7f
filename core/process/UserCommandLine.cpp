#include "core/process/UserCommandLine.h"

#include <algorithm>

namespace ombrix::UserCommandLine {

void ExtractFileAndParameters(const QString& filename, QString& nameonly, QString& parameters)
{
    if (!filename.isEmpty() && (filename.at(0) == QLatin1Char('"') || filename.at(0) == QLatin1Char('\''))) {
        const QChar quote = filename.at(0);
        // The closing quote's 1-based position within the text after the first character equals
        // its 0-based index in the whole text; 0 when there is none (the name is the lone quote).
        const qsizetype k = std::max<qsizetype>(filename.indexOf(quote, 1), 0);
        nameonly = filename.left(k + 1);
        parameters = filename.mid(k + 1);
        return;
    }
    const qsizetype space = filename.indexOf(QLatin1Char(' '));
    if (space < 0) {
        nameonly = filename;
        parameters.clear();
        return;
    }
    nameonly = filename.left(space);
    parameters = filename.mid(space + 1);
}

QString programFromName(const QString& nameonly)
{
    if (nameonly.size() >= 2) {
        const QChar first = nameonly.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && nameonly.back() == first)
            return nameonly.mid(1, nameonly.size() - 2);
    }
    if (nameonly.size() == 1 && (nameonly == QLatin1String("\"") || nameonly == QLatin1String("'")))
        return QString();
    return nameonly;
}

QStringList splitArguments(const QString& parameters)
{
    QStringList arguments;
    QString current;
    bool inWord = false;
    enum class Quote
    {
        None,
        Single,
        Double
    } quote = Quote::None;
    for (qsizetype i = 0; i < parameters.size(); ++i) {
        const QChar c = parameters.at(i);
        switch (quote) {
        case Quote::Single:
            if (c == QLatin1Char('\''))
                quote = Quote::None;
            else
                current += c;
            break;
        case Quote::Double:
            if (c == QLatin1Char('"')) {
                quote = Quote::None;
            } else if (c == QLatin1Char('\\') && i + 1 < parameters.size() &&
                       QStringLiteral("\"\\$`").contains(parameters.at(i + 1))) {
                current += parameters.at(++i);
            } else {
                current += c;
            }
            break;
        case Quote::None:
            if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
                c == QLatin1Char('\r')) {
                if (inWord) {
                    arguments << current;
                    current.clear();
                    inWord = false;
                }
            } else if (c == QLatin1Char('\'')) {
                quote = Quote::Single;
                inWord = true;
            } else if (c == QLatin1Char('"')) {
                quote = Quote::Double;
                inWord = true;
            } else if (c == QLatin1Char('\\') && i + 1 < parameters.size()) {
                current += parameters.at(++i);
                inWord = true;
            } else {
                current += c;
                inWord = true;
            }
            break;
        }
    }
    if (inWord)
        arguments << current;
    return arguments;
}

} // namespace ombrix::UserCommandLine
