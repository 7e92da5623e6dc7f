#include "core/remote/RemoteName.h"

namespace ombrix {

namespace {

// The transliteration table, by UTF-16 code unit.
char16_t plainLetter(char16_t c)
{
    // clang-format off
    switch (c) {
    case 193: case 196: return u'A';
    case 201: case 203: case 282: return u'E';
    case 205: return u'I';
    case 211: case 214: return u'O';
    case 218: case 220: case 366: return u'U';
    case 221: return u'Y';
    case 225: case 228: return u'a';
    case 233: case 235: case 283: return u'e';
    case 237: return u'i';
    case 243: case 246: return u'o';
    case 250: case 252: case 367: return u'u';
    case 253: return u'y';
    case 268: return u'C';
    case 269: return u'c';
    case 270: return u'D';
    case 271: return u'd';
    case 327: return u'N';
    case 328: return u'n';
    case 344: return u'R';
    case 345: return u'r';
    case 352: return u'S';
    case 353: return u's';
    case 356: return u'T';
    case 357: return u't';
    case 381: return u'Z';
    case 382: return u'z';
    default: return c;
    }
    // clang-format on
}

// Leading and trailing spaces and control characters (everything up to U+0020) removed.
QString trimControls(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).unicode() <= 0x20)
        ++start;
    while (end > start && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.sliced(start, end - start);
}

bool isOnlySpaces(const QString& text)
{
    for (const QChar c : text) {
        if (c != u' ')
            return false;
    }
    return true;
}

} // namespace

QString lomitka(const QString& text)
{
    if (isOnlySpaces(text))
        return text;
    QString out = text;
    out.replace(u'\\', u'/');
    if (!out.startsWith(u'/'))
        out.prepend(u'/');
    if (out.endsWith(u'/'))
        out.chop(1);
    out.replace(QStringLiteral("//"), QStringLiteral("/"));
    return out;
}

QString stripDiacritics(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        c = QChar(plainLetter(c.unicode()));
    return out;
}

QString encodeRemoteName(const QString& name)
{
    if (trimControls(name).isEmpty())
        return {};
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString ext = dot < 0 ? QString() : name.sliced(dot);
    const QString stem = dot < 0 ? name : name.first(dot);
    quint64 sum = 0;
    for (const QChar c : name)
        sum += c.unicode();
    return trimControls(stripDiacritics(stem + u'.' + QString::number(sum) + ext));
}

QString fnEncode(const QString& filename)
{
    QString out;
    out.reserve(filename.size() + 16);
    bool belowSet = false;
    qsizetype start = 0;
    while (true) {
        const qsizetype slash = filename.indexOf(u'/', start);
        const qsizetype end = slash < 0 ? filename.size() : slash;
        const QString segment = filename.sliced(start, end - start);
        out += u'/';
        out += belowSet ? encodeRemoteName(segment) : segment;
        if (segment.startsWith(QStringLiteral("OMX_")))
            belowSet = true;
        if (slash < 0)
            break;
        start = slash + 1;
    }
    return out.sliced(1);
}

} // namespace ombrix
