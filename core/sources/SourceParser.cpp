#include "core/sources/SourceParser.h"

#include "core/text/SimpleSplit.h"

#include <QtGlobal>

namespace ombrix {

namespace {

bool isBlankLine(const QString& line)
{
    for (const QChar c : line) {
        if (c.unicode() > u' ')
            return false;
    }
    return true;
}

// Start of the next option marker at or after `from`, or -1. Of a run of slashes the marker is
// the last three of its groups of three, so slashes left over belong to the text before it.
qsizetype findMarker(QStringView text, qsizetype from)
{
    const qsizetype p = text.indexOf(sourceOptionMarker, from);
    if (p < 0)
        return -1;
    qsizetype run = 3;
    while (p + run < text.size() && text[p + run] == u'/')
        ++run;
    return p + run % 3;
}

void applyOption(QStringView option, SourceEntry& entry)
{
    if (option.isEmpty())
        return;
    if (option == u"R-")
        entry.includeSubdirs = false;
    if (option.startsWith(u"D-"))
        entry.excludedDirMasks.append(option.mid(2).toString());
    if (option.startsWith(u'+'))
        entry.includeMasks.append(option.mid(1).toString());
    if (option.startsWith(u'-'))
        entry.excludeMasks.append(option.mid(1).toString());
    if (option.startsWith(u'X'))
        entry.noCompressMasks.append(option.mid(1).toString());
}

} // namespace

QString sourcePathPart(const QString& line)
{
    const qsizetype marker = findMarker(line, 0);
    return marker < 0 ? line : line.left(marker);
}

QString expandPathVariables(const QString& path, QChar separator, QStringList* unset)
{
    const QStringList pieces = simpleSplit(path, QString(separator));
    QString out;
    out.reserve(path.size());
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QString& piece = pieces[i];
        if (piece.size() >= 3 && piece.startsWith(u'%') && piece.endsWith(u'%')) {
            const QString name = piece.mid(1, piece.size() - 2);
            // A name with '=' or NUL cannot be a variable; looking it up would find another one.
            QString value;
            if (!name.contains(u'=') && !name.contains(QChar(0)))
                value = qEnvironmentVariable(name.toLocal8Bit().constData());
            if (value.isEmpty() && unset)
                unset->append(name);
            if (i + 1 < pieces.size()) {
                while (value.endsWith(separator))
                    value.chop(1);
            }
            out += value;
        } else {
            out += piece;
        }
        out += separator;
    }
    out.chop(1);
    return out;
}

SourceEntry pars_source(const QString& textik)
{
    SourceEntry entry;
    if (isBlankLine(textik))
        return entry;
    entry.blank = false;

    const QStringView line(textik);
    qsizetype marker = findMarker(line, 0);
    entry.storedPath = marker < 0 ? textik : textik.left(marker);
    if (marker >= 0) {
        qsizetype start = marker + 3;
        while (start < line.size()) {
            const qsizetype next = findMarker(line, start);
            if (next < 0) {
                applyOption(line.mid(start), entry);
                break;
            }
            applyOption(line.mid(start, next - start), entry);
            start = next + 3;
        }
    }

    entry.path = expandPathVariables(entry.storedPath, QDir::separator(), &entry.unsetVariables);

    if (textik.contains(QChar(0)))
        entry.problem = QStringLiteral("the record contains a NUL character");
    else if (isBlankLine(entry.storedPath))
        entry.problem = QStringLiteral("the record names no path");
    else if (!entry.unsetVariables.isEmpty())
        entry.problem =
            QStringLiteral("environment variable %1 is not set").arg(entry.unsetVariables.first());
    return entry;
}

QString sourceLine(const SourceEntry& entry)
{
    QString line = entry.storedPath;
    const auto appendAll = [&line](QLatin1StringView prefix, const QStringList& masks) {
        for (const QString& mask : masks) {
            line += sourceOptionMarker;
            line += prefix;
            line += mask;
        }
    };
    appendAll(QLatin1StringView("+"), entry.includeMasks);
    appendAll(QLatin1StringView("-"), entry.excludeMasks);
    appendAll(QLatin1StringView("D-"), entry.excludedDirMasks);
    appendAll(QLatin1StringView("X"), entry.noCompressMasks);
    if (!entry.includeSubdirs) {
        line += sourceOptionMarker;
        line += QLatin1StringView("R-");
    }
    return line;
}

} // namespace ombrix
