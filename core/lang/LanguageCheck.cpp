#include "core/lang/LanguageCheck.h"

#include "core/lang/Translator.h"
#include "core/text/TextFile.h"

#include <algorithm>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <utility>

namespace ombrix {

namespace {

const QString addedMark = QStringLiteral("A:");
const QString droppedMark = QStringLiteral("D:");

// Texts compare as the lookup compares them: without regard to case.
QString folded(const QString& text)
{
    return text.toCaseFolded();
}

qsizetype skipBlanks(const QString& line, qsizetype from)
{
    while (from < line.size() && (line.at(from) == u' ' || line.at(from) == u'\t'))
        ++from;
    return from;
}

// Where the text of a string literal starting at `from` begins (just after its opening quote), or
// -1 when no literal starts there.
qsizetype literalStart(const QString& line, qsizetype from)
{
    static const QString openings[] = {
        QStringLiteral("\""),
        QStringLiteral("QStringLiteral(\""),
        QStringLiteral("QString::fromUtf8(\""),
        QStringLiteral("u8\""),
        QStringLiteral("u\""),
        QStringLiteral("L\""),
    };
    const QStringView rest = QStringView(line).mid(from);
    for (const QString& opening : openings) {
        if (rest.startsWith(opening))
            return from + opening.size();
    }
    return -1;
}

// The text from `start` to the next quote; the quote is looked for no further than the line's last
// character, which is never part of the text (an unclosed literal gives the rest of the line
// without its last character).
QString literalText(const QString& line, qsizetype start)
{
    const qsizetype last = line.size() - 1;
    if (start >= last)
        return {};
    const qsizetype quote = line.indexOf(u'"', start);
    const qsizetype end = quote >= 0 && quote < last ? quote : last;
    return line.mid(start, end - start);
}

// The string literal that starts at `from` of line `index`, after blanks (or, when only blanks
// follow there, at the start of the next line: the formatter moved it), joined with the literals
// that continue it at the starts of the following lines. False when no literal starts there.
bool readLiteral(const QStringList& lines, qsizetype index, qsizetype from, QString* text)
{
    from = skipBlanks(lines.at(index), from);
    qsizetype start = literalStart(lines.at(index), from);
    if (start < 0 && from == lines.at(index).size() && index + 1 < lines.size()) {
        ++index;
        start = literalStart(lines.at(index), skipBlanks(lines.at(index), 0));
    }
    if (start < 0)
        return false;

    QString found = literalText(lines.at(index), start);
    qsizetype end = start + found.size(); // where this line's part stopped
    // A literal closed by the line's last character and continued by a literal on the next line.
    while (end == lines.at(index).size() - 1 && lines.at(index).endsWith(u'"') && index + 1 < lines.size()) {
        const QString& next = lines.at(index + 1);
        const qsizetype first = skipBlanks(next, 0);
        if (first >= next.size() || next.at(first) != u'"')
            break;
        ++index;
        const QString part = literalText(next, first + 1);
        found += part;
        end = first + 1 + part.size();
    }
    *text = found;
    return true;
}

bool isNameStart(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

bool isNamePart(QChar c)
{
    return isNameStart(c) || (c >= u'0' && c <= u'9');
}

// The plain name an argument starts with at `from` ("ns::name" gives "name"); empty when there is
// none, or when the name is called ("name(").
QString nameAt(const QString& line, qsizetype from)
{
    qsizetype i = from;
    QString last;
    for (;;) {
        if (i >= line.size() || !isNameStart(line.at(i)))
            return {};
        const qsizetype begin = i;
        while (i < line.size() && isNamePart(line.at(i)))
            ++i;
        last = line.mid(begin, i - begin);
        if (QStringView(line).mid(i, 2) != u"::")
            break;
        i += 2;
    }
    i = skipBlanks(line, i);
    if (i < line.size() && line.at(i) == u'(')
        return {};
    return last;
}

} // namespace

QStringList LanguageCheck::sourceFolders()
{
    return {QStringLiteral("app"),      QStringLiteral("ui"),     QStringLiteral("core"),
            QStringLiteral("platform"), QStringLiteral("config"), QStringLiteral("archive"),
            QStringLiteral("storage"),  QStringLiteral("backup"), QStringLiteral("restore"),
            QStringLiteral("merge"),    QStringLiteral("notify")};
}

QStringList LanguageCheck::lookupWrappers(const QStringList& lines)
{
    // "QString name(const char* text)" or "QString Class::name(const QString& text) const", not a
    // declaration; its body is read up to the closing brace at the start of a line.
    static const QRegularExpression definition(QStringLiteral(
        R"(^\s*(?:static\s+|inline\s+)*QString\s+(?:\w+::)*(\w+)\s*\(\s*(?:const\s+char\s*\*|const\s+QString\s*&|)"
        R"(QStringView|QAnyStringView)\s*\w*\s*\)\s*(?:const)?\s*\{?\s*$)"));
    static const QString lookup = QStringLiteral("getlang") + u'(';
    constexpr qsizetype maxBodyLines = 8;
    QStringList names;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch match = definition.match(lines.at(i));
        if (!match.hasMatch())
            continue;
        for (qsizetype j = i + 1; j < lines.size() && j <= i + maxBodyLines; ++j) {
            if (lines.at(j).contains(lookup, Qt::CaseInsensitive)) {
                if (!names.contains(match.captured(1)))
                    names.append(match.captured(1));
                break;
            }
            if (lines.at(j).startsWith(u'}'))
                break;
        }
    }
    return names;
}

bool LanguageCheck::sourceText(const QStringList& lines, qsizetype index, QString* text,
                               const QStringList& wrappers, const QHash<QString, QString>& constants)
{
    const QString& line = lines.at(index);
    // The name without its parenthesis, so that this line is not taken for a call itself.
    static const QString lookup = QStringLiteral("getlang") + u'(';
    qsizetype after = -1;
    qsizetype first = line.indexOf(lookup, 0, Qt::CaseInsensitive);
    if (first >= 0)
        after = first + lookup.size();
    for (const QString& wrapper : wrappers) {
        // A call of the file's own helper: the name standing alone, not a member of another object.
        const QString call = wrapper + u'(';
        for (qsizetype at = line.indexOf(call); at >= 0; at = line.indexOf(call, at + 1)) {
            const QChar before = at > 0 ? line.at(at - 1) : QChar(u' ');
            if (before.isLetterOrNumber() || before == u'_' || before == u'.' || before == u'>' ||
                before == u':')
                continue;
            if (first < 0 || at < first) {
                first = at;
                after = at + call.size();
            }
            break;
        }
    }
    if (after < 0)
        return false;
    QString found;
    if (!readLiteral(lines, index, after, &found)) {
        // A named text constant instead of the literal.
        const auto constant = constants.constFind(nameAt(line, skipBlanks(line, after)));
        if (constant == constants.constEnd())
            return false;
        found = constant.value();
    }
    if (text)
        *text = found;
    return true;
}

QHash<QString, QString> LanguageCheck::textConstants(const QStringList& lines)
{
    // "[static|inline] const|constexpr [const] Type[*] [const] name =", the value after it.
    static const QRegularExpression definition(
        QStringLiteral(R"(^\s*(?:static\s+|inline\s+)*(?:constexpr|const)\s+(?:const\s+)?[\w:<>]+)"
                       R"((?:\s+|\s*\*\s*(?:const\s+)?)(\w+)\s*=(?!=))"));
    QHash<QString, QString> constants;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch match = definition.match(lines.at(i));
        if (!match.hasMatch() || constants.contains(match.captured(1)))
            continue;
        QString text;
        if (readLiteral(lines, i, match.capturedEnd(0), &text))
            constants.insert(match.captured(1), text);
    }
    return constants;
}

QStringList LanguageCheck::sourceTexts(const QStringList& lines,
                                       const QHash<QString, QString>& sharedConstants)
{
    QHash<QString, QString> constants = sharedConstants;
    const QHash<QString, QString> own = textConstants(lines);
    for (auto it = own.cbegin(); it != own.cend(); ++it)
        constants.insert(it.key(), it.value());
    QStringList texts;
    const QStringList wrappers = lookupWrappers(lines);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString text;
        if (sourceText(lines, i, &text, wrappers, constants))
            texts.append(text);
    }
    return texts;
}

QStringList LanguageCheck::sourceFiles(const QString& root)
{
    QStringList files;
    for (const QString& folder : sourceFolders()) {
        const QString path = QDir(root).filePath(folder);
        if (!QFileInfo(path).isDir())
            continue;
        QStringList found;
        QDirIterator it(path, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(it.next());
        found.sort();
        files.append(found);
    }
    return files;
}

QStringList LanguageCheck::sourceTextsOfTree(const QString& root)
{
    QList<QStringList> contents;
    QHash<QString, QString> shared;
    QSet<QString> ambiguous;
    for (const QString& file : sourceFiles(root)) {
        const TextFile::ReadResult read = TextFile::readLines(file);
        contents.append(read.ok ? read.lines : QStringList());
        if (!read.ok || !file.endsWith(QLatin1String(".h")))
            continue;
        const QHash<QString, QString> constants = textConstants(read.lines);
        for (auto it = constants.cbegin(); it != constants.cend(); ++it) {
            const auto known = shared.constFind(it.key());
            if (known != shared.constEnd() && known.value() != it.value())
                ambiguous.insert(it.key());
            else
                shared.insert(it.key(), it.value());
        }
    }
    for (const QString& name : std::as_const(ambiguous))
        shared.remove(name);

    QStringList texts;
    for (const QStringList& lines : std::as_const(contents))
        texts.append(sourceTexts(lines, shared));
    return texts;
}

QStringList LanguageCheck::mark(const QStringList& master, const QStringList& used)
{
    QStringList result = master;
    QSet<QString> present;
    for (const QString& line : result)
        present.insert(folded(line));

    QSet<QString> usedSet;
    for (const QString& text : used) {
        if (text.isEmpty())
            continue;
        const QString key = folded(text);
        usedSet.insert(key);
        if (present.contains(key) || present.contains(folded(addedMark + text)))
            continue;
        result.append(addedMark + text);
        present.insert(folded(addedMark + text));
    }

    for (QString& line : result) {
        if (!usedSet.contains(folded(line)) && !line.startsWith(addedMark))
            line.prepend(droppedMark);
    }
    return result;
}

bool LanguageCheck::run(const QString& workingFolder, const QString& programFolder,
                        const QStringList& captions, QString* error)
{
    const QString langFile =
        QStringLiteral("lang/") + Translator::masterCode.toLower() + QStringLiteral(".txt");
    const QStringList master = TextFile::readLines(QDir(workingFolder).filePath(langFile)).lines;
    // A text without a letter ("....", "0%") reads the same in every language: it is not added
    // to the list, though a line the list already has for it counts as used.
    QStringList used;
    for (const QString& text : captions + sourceTextsOfTree(workingFolder)) {
        const bool hasLetter = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetter(); });
        if (hasLetter || master.contains(text, Qt::CaseInsensitive))
            used << text;
    }
    const QStringList marked = mark(master, used);

    const QString target = QDir(programFolder).filePath(langFile);
    if (!QDir().mkpath(QFileInfo(target).absolutePath()) ||
        !TextFile::writeAtomically(target, TextFile::encodeUtf8Bom(marked))) {
        if (error)
            *error = QStringLiteral("Unable to write to ") + target;
        return false;
    }
    return true;
}

} // namespace ombrix
