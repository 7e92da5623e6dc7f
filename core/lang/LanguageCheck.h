#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace ombrix {

// The developer's check of the master language list (started with -checklang): gathers every
// Czech text the program uses (window captions and the texts its sources pass to the lookup),
// marks master lines that are missing ("A:") or no longer used ("D:") and saves the list.
class LanguageCheck
{
  public:
    // The folders of the source tree whose *.cpp and *.h files are read for lookup texts, relative
    // to the folder the check runs in.
    static QStringList sourceFolders();

    // The helpers a source file defines to pass a text on to getLang: functions such as
    // "QString status(const char* czechText)" whose short body calls getLang.
    static QStringList lookupWrappers(const QStringList& lines);
    // The lookup text of line `index` of a source file: after the first call of getLang (letter
    // case ignored) or of one of the file's wrappers (standing alone, not a member of another
    // object) in the line, blanks allowed after its parenthesis, comes a string literal, plain or
    // as QStringLiteral("…"), QString::fromUtf8("…"), u"…", u8"…" or L"…"; the text runs from
    // after its opening quote up to the next quote, which is searched for no further than the
    // line's last character (never part of the text), so an unclosed literal gives the rest of the
    // line without its last character. Two formatter habits are followed: a line that ends right
    // after the call's "(" takes its literal from the next line, and a literal that ends its line
    // with its closing quote continues with the literal that starts the next line ("…" "…" split
    // over lines). Instead of a literal the argument may name one of the text constants (a
    // qualified name counts by its last part, and what follows the name, such as ".toString()",
    // does not matter; a call "name(" is no constant). False when the line has no such call.
    static bool sourceText(const QStringList& lines, qsizetype index, QString* text,
                           const QStringList& wrappers = {}, const QHash<QString, QString>& constants = {});
    // The text constants a file defines, name to text: a const or constexpr definition of any type
    // whose value after "=" is a string literal in one of the forms above (also on the next line,
    // also split over lines), such as
    //     inline constexpr QStringView permissionProblemText =
    //         u"Problém s oprávněním: ...";
    // The first definition of a name counts.
    static QHash<QString, QString> textConstants(const QStringList& lines);
    // The lookup texts of a file's lines, in order, its own wrappers included. Lookups may name the
    // file's own constants or the shared ones (the file's own win).
    static QStringList sourceTexts(const QStringList& lines,
                                   const QHash<QString, QString>& sharedConstants = {});
    // Every *.cpp and *.h below the source folders of root, sorted by path within each folder.
    static QStringList sourceFiles(const QString& root);
    // The lookup texts of every source file below root, in file order. The constants of the
    // headers are shared by every file; a name the headers define with two different texts is
    // shared by none.
    static QStringList sourceTextsOfTree(const QString& root);

    // Marks a master list against the used texts: a used text that matches no line and no "A:"
    // line (ignoring case) is appended as "A:" + text; then every line, the appended ones
    // included, that no used text matches and that does not begin with "A:" gets "D:" in front.
    // Empty used texts are skipped: a caption without text has nothing to translate.
    static QStringList mark(const QStringList& master, const QStringList& used);

    // The whole check: reads lang/cz.txt of workingFolder, adds the lookup texts of the sources
    // below workingFolder to the captions, marks the list and writes it to lang/cz.txt of
    // programFolder as UTF-8 with a byte-order mark. False (with *error) when it cannot be written.
    static bool run(const QString& workingFolder, const QString& programFolder, const QStringList& captions,
                    QString* error = nullptr);
};

} // namespace ombrix
