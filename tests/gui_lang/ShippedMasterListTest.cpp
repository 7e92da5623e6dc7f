#include "core/lang/LanguageCheck.h"
#include "core/text/TextFile.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <map>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>

using namespace ombrix;

namespace {

// Czech texts the program shows exactly as written, never through the lookup, each with the
// reason. They are not in the master list, since nothing translates them.
const std::map<QString, const char*> shownUntranslated = {
    {QString::fromUtf8("pokračovat"), "the merge button's caption after a stop or for an unfinished merge"},
    {QString::fromUtf8("Vybrat jazyk: čeština"), "the hint of the Czech flag; hints are not translated"},
    {QString::fromUtf8("Testovací email ze Ombrix"), "subject of the settings dialog's test e-mail"},
    {QString::fromUtf8("Toto je testovací email ze Ombrix"), "text of the settings dialog's test e-mail"},
};

const QString czechLetters = QString::fromUtf8("áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ");

bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// The string literals of a C++ source text, in order, with their 1-based line numbers. Literals
// next to each other (only blanks, line breaks or comments between them) are joined as the
// compiler joins them. Comments and character literals are skipped, and raw strings too (they
// hold patterns here, not texts). Simple escapes are decoded.
struct Literal
{
    QString text;
    int line = 0;
};

QList<Literal> stringLiterals(const QString& source)
{
    QList<Literal> literals;
    Literal current;
    bool open = false;
    int line = 1;
    const auto flush = [&] {
        if (open)
            literals.append(current);
        current = Literal();
        open = false;
    };
    const qsizetype n = source.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = source.at(i);
        if (c == u'\n')
            ++line;
        if (c == u'/' && i + 1 < n && source.at(i + 1) == u'/') {
            const qsizetype end = source.indexOf(u'\n', i);
            i = end < 0 ? n : end;
            continue;
        }
        if (c == u'/' && i + 1 < n && source.at(i + 1) == u'*') {
            const qsizetype end = source.indexOf(QStringLiteral("*/"), i + 2);
            const qsizetype stop = end < 0 ? n : end + 2;
            line += int(QStringView(source).mid(i, stop - i).count(u'\n'));
            i = stop;
            continue;
        }
        if (c == u'"') {
            qsizetype k = i;
            while (k > 0 && isNamePart(source.at(k - 1)))
                --k;
            const QStringView prefix = QStringView(source).mid(k, i - k);
            if (prefix == u"R" || prefix == u"u8R" || prefix == u"uR" || prefix == u"UR" || prefix == u"LR") {
                const qsizetype paren = source.indexOf(u'(', i + 1);
                const QString delimiter = source.mid(i + 1, paren - i - 1);
                const QString closing = QStringLiteral(")") + delimiter + QStringLiteral("\"");
                const qsizetype end = paren < 0 ? -1 : source.indexOf(closing, paren);
                const qsizetype stop = end < 0 ? n : end + delimiter.size() + 2;
                line += int(QStringView(source).mid(i, stop - i).count(u'\n'));
                flush();
                i = stop;
                continue;
            }
            if (!open)
                current.line = line;
            qsizetype j = i + 1;
            while (j < n && source.at(j) != u'"' && source.at(j) != u'\n') {
                if (source.at(j) == u'\\' && j + 1 < n) {
                    const QChar escaped = source.at(j + 1);
                    current.text += escaped == u'n' ? QChar(u'\n') : escaped == u't' ? QChar(u'\t') : escaped;
                    j += 2;
                } else {
                    current.text += source.at(j);
                    ++j;
                }
            }
            open = true;
            // An unclosed literal ends at its line's end, which is still counted.
            i = j < n && source.at(j) == u'"' ? j + 1 : j;
            continue;
        }
        if (c == u'\'') {
            // A digit separator (1'000) is no character literal.
            if (i > 0 && i + 1 < n && source.at(i - 1).isLetterOrNumber() &&
                source.at(i + 1).isLetterOrNumber() &&
                QStringLiteral("0123456789abcdefABCDEF").contains(source.at(i - 1))) {
                ++i;
                continue;
            }
            qsizetype j = i + 1;
            while (j < n && source.at(j) != u'\'' && source.at(j) != u'\n')
                j += source.at(j) == u'\\' ? 2 : 1;
            flush();
            i = j < n && source.at(j) == u'\'' ? j + 1 : j;
            continue;
        }
        if (!c.isSpace())
            flush();
        ++i;
    }
    flush();
    return literals;
}

bool holdsCzechLetter(const QString& text)
{
    for (QChar c : text) {
        if (czechLetters.contains(c))
            return true;
    }
    return false;
}

QStringList readLines(const QString& path)
{
    return TextFile::readLines(path).lines;
}

QString masterPath()
{
    return QDir(test::sourceDir()).filePath(QStringLiteral("lang/cz.txt"));
}

} // namespace

TEST(ShippedMasterList, SourceLiteralsAreFoundWithTheirLines)
{
    const QString source =
        QString::fromUtf8("x = getLang(QStringLiteral(\"Jedna \"\n"
                          "    \"dvě\")); // \"Komentář\"\n"
                          "/* \"Blok\" */ y = QLatin1Char('\"') + u8\"Tři\" + R\"(\"Vzor\")\";\n"
                          "z = 1'000 + u\"Čtyři \\\"pět\\\"\";\n");
    const QList<Literal> found = stringLiterals(source);
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found[0].text, QString::fromUtf8("Jedna dvě"));
    EXPECT_EQ(found[0].line, 1);
    EXPECT_EQ(found[1].text, QString::fromUtf8("Tři"));
    EXPECT_EQ(found[1].line, 3);
    EXPECT_EQ(found[2].text, QString::fromUtf8("Čtyři \"pět\""));
    EXPECT_EQ(found[2].line, 4);
}

// Every Czech text in the program's sources (a literal holding a Czech letter) is in the master
// list, whichever way it reaches the screen, unless the program shows it untranslated on purpose.
TEST(ShippedMasterList, EveryCzechLiteralOfTheSourcesIsInIt)
{
    QSet<QString> master;
    for (const QString& line : readLines(masterPath()))
        master.insert(line.toCaseFolded());
    ASSERT_FALSE(master.isEmpty());
    const QStringList files = LanguageCheck::sourceFiles(test::sourceDir());
    ASSERT_FALSE(files.isEmpty());
    for (const QString& file : files) {
        const TextFile::ReadResult read = TextFile::readLines(file);
        ASSERT_TRUE(read.ok) << qPrintable(file);
        for (const Literal& literal : stringLiterals(read.lines.join(u'\n'))) {
            if (!holdsCzechLetter(literal.text) || shownUntranslated.count(literal.text) > 0)
                continue;
            EXPECT_TRUE(master.contains(literal.text.toCaseFolded()))
                << qPrintable(QDir(test::sourceDir()).relativeFilePath(file)) << ":" << literal.line
                << ": not in lang/cz.txt: " << qPrintable(literal.text)
                << " (pass it to getLang where it is shown and run ombrix -checklang, see docs/languages.md)";
        }
    }
}

// A run of the language check over this source tree leaves the master list as it is: every text
// the check finds is in it, and the check sees every use of each of its lines (a line it does not
// see would be marked as no longer used).
TEST(ShippedMasterList, CheckLangLeavesItUnchanged)
{
    const QString ombrix = QDir(test::binDir()).filePath(QStringLiteral("ombrix"));
    ASSERT_TRUE(QFileInfo(ombrix).isExecutable()) << "ombrix is not built in " << qPrintable(test::binDir());
    test::TempProgramFolder program;
    QProcess check;
    check.setWorkingDirectory(test::sourceDir());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OMBRIX_HOME"), program.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    check.setProcessEnvironment(env);
    check.setStandardInputFile(QProcess::nullDevice());
    check.start(ombrix, {QStringLiteral("-checklang")});
    ASSERT_TRUE(check.waitForFinished(120000)) << "ombrix -checklang did not end";
    EXPECT_EQ(check.exitStatus(), QProcess::NormalExit);

    const QStringList shipped = readLines(masterPath());
    const QStringList written = readLines(program.file(QStringLiteral("lang/cz.txt")));
    ASSERT_FALSE(written.isEmpty()) << "the check wrote no list: "
                                    << check.readAllStandardError().toStdString();
    for (const QString& line : written) {
        EXPECT_FALSE(line.startsWith(QLatin1String("A:")) || line.startsWith(QLatin1String("D:")))
            << "ombrix -checklang marks " << qPrintable(line);
    }
    EXPECT_EQ(written, shipped);
}
