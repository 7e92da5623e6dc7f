#include "core/config/IniStore.h"

#include "core/text/TextFile.h"

#include <limits>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QStringDecoder>

namespace ombrix {

namespace {

// One lock for every store: two stores on the same file (the main store and the e-mail dialog's)
// must not interleave a read-modify-write either.
QMutex& storeMutex()
{
    static QMutex mutex;
    return mutex;
}

const QByteArray utf8Bom("\xEF\xBB\xBF");

// The file as raw lines, so lines a write does not touch go back byte for byte.
struct IniFile
{
    enum class State
    {
        Missing,
        Unreadable,
        Loaded
    };
    State state = State::Missing;
    QByteArray bom;
    QList<QByteArray> lines;
};

QList<QByteArray> splitLines(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (c == '\r' && i + 1 < size && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(bytes.mid(start));
    return lines;
}

IniFile loadFile(const QString& path)
{
    IniFile file;
    const QFileInfo info(path);
    if (!info.exists())
        return file;
    file.state = IniFile::State::Unreadable;
    QFile f(path);
    if (!info.isFile() || info.size() > IniStore::maxFileBytes || !f.open(QIODevice::ReadOnly))
        return file;
    // Read one byte more than allowed so a file that grew since the size check is caught too.
    QByteArray bytes = f.read(IniStore::maxFileBytes + 1);
    if (f.error() != QFileDevice::NoError || bytes.size() > IniStore::maxFileBytes)
        return file;
    file.state = IniFile::State::Loaded;
    if (bytes.startsWith(utf8Bom)) {
        file.bom = utf8Bom;
        bytes.remove(0, utf8Bom.size());
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        // A UTF-16 file (an editor may save one) is read and, at the next write, stored as UTF-8.
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                            : QStringDecoder::Utf16BE);
        const QString text = decoder(bytes.mid(2));
        bytes = text.toUtf8();
    }
    file.lines = splitLines(bytes);
    return file;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimBlanks(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s.at(begin)))
        ++begin;
    while (end > begin && isBlank(s.at(end - 1)))
        --end;
    return s.mid(begin, end - begin);
}

// One line as the parser sees it.
struct ParsedLine
{
    enum class Kind
    {
        Other,
        Section,
        Key
    };
    Kind kind = Kind::Other;
    QString name;  // section or key name
    QString value; // raw value text after '=', blanks around it removed
};

ParsedLine parseLine(const QByteArray& raw)
{
    ParsedLine parsed;
    QString text = QString::fromUtf8(raw);
    text.remove(QChar(0));
    const QStringView line = trimBlanks(text);
    if (line.isEmpty())
        return parsed;
    if (line.front() == QLatin1Char('[')) {
        qsizetype close = line.indexOf(QLatin1Char(']'));
        if (close < 0)
            close = line.size();
        parsed.kind = ParsedLine::Kind::Section;
        parsed.name = trimBlanks(line.mid(1, close - 1)).toString();
        return parsed;
    }
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return parsed;
    parsed.kind = ParsedLine::Kind::Key;
    parsed.name = trimBlanks(line.left(eq)).toString();
    parsed.value = trimBlanks(line.mid(eq + 1)).toString();
    return parsed;
}

bool isBlankLine(const QByteArray& raw)
{
    const QString text = QString::fromUtf8(raw).remove(QChar(0));
    return trimBlanks(text).isEmpty();
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the first line that opens the section, or -1.
qsizetype findSection(const QList<QByteArray>& lines, const QString& section)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const ParsedLine p = parseLine(lines.at(i));
        if (p.kind == ParsedLine::Kind::Section && sameName(p.name, section))
            return i;
    }
    return -1;
}

// One past the last line belonging to the section opened at sectionLine.
qsizetype sectionEnd(const QList<QByteArray>& lines, qsizetype sectionLine)
{
    qsizetype i = sectionLine + 1;
    while (i < lines.size() && parseLine(lines.at(i)).kind != ParsedLine::Kind::Section)
        ++i;
    return i;
}

QString finishValue(const QString& raw)
{
    QString value = raw;
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    if (value.size() > IniStore::maxValueLength) {
        qsizetype cut = IniStore::maxValueLength;
        // Never keep half of a surrogate pair.
        if (value.at(cut - 1).isHighSurrogate())
            --cut;
        value.truncate(cut);
    }
    return value;
}

bool parseInt(const QString& text, int* out)
{
    qint64 value = 0;
    bool ok = false;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QStringView digits = QStringView(text).mid(2);
        if (digits.isEmpty())
            return false;
        for (QChar c : digits) {
            const bool hex = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                             (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
                             (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
            if (!hex)
                return false;
        }
        value = digits.toLongLong(&ok, 16);
    } else {
        QStringView digits(text);
        if (!digits.isEmpty() && (digits.front() == QLatin1Char('-') || digits.front() == QLatin1Char('+')))
            digits = digits.mid(1);
        if (digits.isEmpty())
            return false;
        for (QChar c : digits) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        value = QStringView(text).toLongLong(&ok, 10);
    }
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return false;
    *out = int(value);
    return true;
}

QString oneLine(QString text)
{
    for (QChar& c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0))
            c = QLatin1Char(' ');
    }
    return text;
}

QByteArray serialize(const IniFile& file)
{
    QByteArray out = file.bom;
    for (const QByteArray& line : file.lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

} // namespace

IniStore::IniStore(const QString& path) : m_path(path) {}

bool IniStore::lookup(const QString& section, const QString& key, QString* value) const
{
    const IniFile file = loadFile(m_path);
    if (file.state != IniFile::State::Loaded)
        return false;
    const qsizetype start = findSection(file.lines, section);
    if (start < 0)
        return false;
    for (qsizetype i = start + 1; i < file.lines.size(); ++i) {
        const ParsedLine p = parseLine(file.lines.at(i));
        if (p.kind == ParsedLine::Kind::Section)
            return false;
        if (p.kind == ParsedLine::Kind::Key && sameName(p.name, key)) {
            *value = finishValue(p.value);
            return true;
        }
    }
    return false;
}

QString IniStore::readString(QAnyStringView section, QAnyStringView key, const QString& defaultValue) const
{
    QMutexLocker lock(&storeMutex());
    QString value;
    return lookup(section.toString(), key.toString(), &value) ? value : defaultValue;
}

int IniStore::readInt(QAnyStringView section, QAnyStringView key, int defaultValue) const
{
    QMutexLocker lock(&storeMutex());
    QString text;
    int value = 0;
    if (lookup(section.toString(), key.toString(), &text) && parseInt(text, &value))
        return value;
    return defaultValue;
}

bool IniStore::readBool(QAnyStringView section, QAnyStringView key, bool defaultValue) const
{
    return readInt(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniStore::hasKey(QAnyStringView section, QAnyStringView key) const
{
    QMutexLocker lock(&storeMutex());
    QString value;
    return lookup(section.toString(), key.toString(), &value);
}

bool IniStore::writeString(QAnyStringView section, QAnyStringView key, const QString& value)
{
    QMutexLocker lock(&storeMutex());
    return write(section.toString(), key.toString(), &value);
}

bool IniStore::writeInt(QAnyStringView section, QAnyStringView key, qint64 value)
{
    return writeString(section, key, QString::number(value));
}

bool IniStore::writeBool(QAnyStringView section, QAnyStringView key, bool value)
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniStore::deleteKey(QAnyStringView section, QAnyStringView key)
{
    QMutexLocker lock(&storeMutex());
    return write(section.toString(), key.toString(), nullptr);
}

// Sets (value given) or deletes (value null) one key; the caller holds the lock.
bool IniStore::write(const QString& sectionName, const QString& keyName, const QString* value)
{
    IniFile file = loadFile(m_path);
    if (file.state == IniFile::State::Unreadable) {
        // Writing now would replace content we could not see.
        fail();
        return false;
    }
    const QString section = oneLine(sectionName);
    const QString key = oneLine(keyName);
    const QByteArray keyLine = value ? (key + QLatin1Char('=') + oneLine(*value)).toUtf8() : QByteArray();

    bool changed = false;
    const qsizetype start = findSection(file.lines, section);
    if (start < 0) {
        if (!value)
            return true;
        // A new section goes to the end, set off by a blank line like the others.
        if (!file.lines.isEmpty() && !isBlankLine(file.lines.last()))
            file.lines.append(QByteArray());
        file.lines.append(QByteArray("[") + section.toUtf8() + QByteArray("]"));
        file.lines.append(keyLine);
        changed = true;
    } else if (!value) {
        const qsizetype end = sectionEnd(file.lines, start);
        for (qsizetype i = end - 1; i > start; --i) {
            const ParsedLine p = parseLine(file.lines.at(i));
            if (p.kind == ParsedLine::Kind::Key && sameName(p.name, key)) {
                file.lines.removeAt(i);
                changed = true;
            }
        }
    } else {
        const qsizetype end = sectionEnd(file.lines, start);
        qsizetype existing = -1;
        qsizetype lastFilled = start;
        for (qsizetype i = start + 1; i < end; ++i) {
            if (!isBlankLine(file.lines.at(i)))
                lastFilled = i;
            const ParsedLine p = parseLine(file.lines.at(i));
            if (existing < 0 && p.kind == ParsedLine::Kind::Key && sameName(p.name, key))
                existing = i;
        }
        if (existing >= 0) {
            // The first line of the key is the one readers see; later duplicates stay as they are.
            changed = file.lines.at(existing) != keyLine;
            file.lines[existing] = keyLine;
        } else {
            // A new key goes after the section's last line, before the blank lines that end it.
            file.lines.insert(lastFilled + 1, keyLine);
            changed = true;
        }
    }
    if (!changed)
        return true;
    // config.ini holds the scrambled passwords: only its owner may read it, also after a rewrite.
    if (!TextFile::writeAtomically(m_path, serialize(file), TextFile::Access::OwnerOnly)) {
        fail();
        return false;
    }
    return true;
}

void IniStore::fail()
{
    m_lastError = QStringLiteral("Unable to write to %1").arg(m_path);
    m_failedSinceFlush = true;
}

bool IniStore::flush()
{
    QMutexLocker lock(&storeMutex());
    const bool ok = !m_failedSinceFlush;
    m_failedSinceFlush = false;
    return ok;
}

QString IniStore::lastError() const
{
    QMutexLocker lock(&storeMutex());
    return m_lastError;
}

} // namespace ombrix
