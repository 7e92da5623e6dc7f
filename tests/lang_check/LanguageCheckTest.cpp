#include "core/lang/LanguageCheck.h"

#include "core/lang/Translator.h"
#include "core/text/TextFile.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>

using namespace ombrix;
using ombrix::test::TempProgramFolder;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

QStringList readLines(const QString& path)
{
    return TextFile::readLines(path).lines;
}

} // namespace

TEST(LanguageCheck, SourceLineForms)
{
    const struct
    {
        std::initializer_list<const char*> lines;
        bool found;
        const char* text;
    } cases[] = {
        {{R"(    info(getLang(QStringLiteral("Záloha dokončena")));)"}, true, "Záloha dokončena"},
        {{R"(x = getLang(u"Chyba FTP: ") + detail;)"}, true, "Chyba FTP: "},
        {{R"(x = getLang("Obnova"); y = getLang("Jiný");)"}, true, "Obnova"},
        {{R"(x = GETLANG( QString::fromUtf8("Velká písmena")))"}, true, "Velká písmena"},
        {{R"(x = getLang(u8"Osmibitový"))"}, true, "Osmibitový"},
        // A quote that is never closed: the rest of the line without its last character.
        {{R"(x = getLang(QStringLiteral("Neuzavřeno);)"}, true, "Neuzavřeno)"},
        {{"getLang(\"abc\")"}, true, "abc"},
        // The closing quote is the line's last character, which is never searched.
        {{"getLang(\"abc\""}, true, "abc"},
        {{"getLang(\"abc"}, true, "ab"},
        // The formatter broke the call after its parenthesis.
        {{"    host.info(getLang(", R"(        QStringLiteral("Dlouhá zpráva na dalším řádku")));)"},
         true,
         "Dlouhá zpráva na dalším řádku"},
        // ... or split a long literal over lines.
        {{R"(    getLang(QString::fromUtf8("První část, ")", R"(                          "druhá část, ")",
          R"(       "konec."));)", "\"jinde\""},
         true,
         "První část, druhá část, konec."},
        {{R"(    getLang("Celý text") + QStringLiteral("x")", R"(    "ne")"}, true, "Celý text"},
        // No literal: a variable, a declaration, no call at all.
        {{"return getLang(text);"}, false, ""},
        {{"QString getLang(const QString& fraze);"}, false, ""},
        {{"    getLang(", "        text);"}, false, ""},
        {{R"(info(QStringLiteral("Bez překladu"));)"}, false, ""},
    };
    for (const auto& c : cases) {
        QStringList lines;
        for (const char* line : c.lines)
            lines << u8(line);
        QString text;
        EXPECT_EQ(LanguageCheck::sourceText(lines, 0, &text), c.found) << *c.lines.begin();
        if (c.found) {
            EXPECT_EQ(text, u8(c.text)) << *c.lines.begin();
        }
    }
}

TEST(LanguageCheck, TheFilesOwnLookupHelpersCount)
{
    const QStringList lines = u8(R"(QString status(const char* czechText)
{
    return getLang(QString::fromUtf8(czechText));
}

QString SettingsPage::tr_(const QString& text) const
{
    return m_getLang ? m_getLang(text) : text;
}

QString text(const char* name)
{
    return m_fields.value(QLatin1String(name));
}

QString declared(const char* czechText);

void f()
{
    info(m_host, status("Zpráva"));
    ask(tr_(QString::fromUtf8("Dotaz")));
    read(text("Edit6"));
    m_other.status("Cizí");
    x = getLang(u"Přímo");
    y = declared("Nic");
})")
                                  .split(u'\n');
    EXPECT_EQ(LanguageCheck::lookupWrappers(lines),
              (QStringList{QStringLiteral("status"), QStringLiteral("tr_")}));
    EXPECT_EQ(LanguageCheck::sourceTexts(lines), (QStringList{u8("Zpráva"), u8("Dotaz"), u8("Přímo")}));
}

TEST(LanguageCheck, MarksAddedAndDroppedTexts)
{
    const QStringList master = {u8("Obnova"), u8("Nepoužito"), u8("A:Čeká na překlad"), u8("Zálohování")};
    const QStringList used = {u8("zálohování"),      u8("Nový text"), u8("OBNOVA"),
                              u8("Čeká na překlad"), u8("Nový text"), QString()};
    const QStringList marked = LanguageCheck::mark(master, used);
    const QStringList expected = {u8("Obnova"), u8("D:Nepoužito"), u8("A:Čeká na překlad"), u8("Zálohování"),
                                  u8("A:Nový text")};
    EXPECT_EQ(marked, expected);

    // A second run marks the unused line again; an added line keeps its single mark.
    const QStringList again = LanguageCheck::mark(marked, used);
    EXPECT_EQ(again.at(1), u8("D:D:Nepoužito"));
    EXPECT_EQ(again.at(4), u8("A:Nový text"));
    EXPECT_EQ(again.size(), marked.size());
}

TEST(LanguageCheck, RunReadsSourcesOfTheWorkingFolderAndWritesTheProgramFolder)
{
    TempProgramFolder work;
    TempProgramFolder program;
    work.write(QStringLiteral("lang/cz.txt"), TextFile::encodeUtf8Bom({u8("Úvod"), u8("Stará zpráva")}));
    work.write(QStringLiteral("ui/pages/Page.cpp"),
               u8("void f()\n{\n    show(getLang(QStringLiteral(\"Nová zpráva\")));\n"
                  "    show(getLang(u\"Neuzavřená zpráva));\n}\n")
                   .toUtf8());
    // Tests and other folders are not the program's sources.
    work.write(QStringLiteral("tests/x/Test.cpp"), QByteArray("getLang(\"Testovací text\")\n"));

    ASSERT_TRUE(LanguageCheck::run(work.path(), program.path(), {u8("Úvod"), u8("Nastavení")}));

    const QString written = program.file(QStringLiteral("lang/cz.txt"));
    EXPECT_TRUE(program.read(QStringLiteral("lang/cz.txt")).startsWith("\xEF\xBB\xBF"));
    const QStringList expected = {u8("Úvod"), u8("D:Stará zpráva"), u8("A:Nastavení"), u8("A:Nová zpráva"),
                                  u8("A:Neuzavřená zpráva))")};
    EXPECT_EQ(readLines(written), expected);
    // The working folder's list is only read.
    EXPECT_EQ(readLines(work.file(QStringLiteral("lang/cz.txt"))).size(), 2);

    // A second run over the written list (now in the working folder too) marks the dropped line twice.
    work.write(QStringLiteral("lang/cz.txt"), program.read(QStringLiteral("lang/cz.txt")));
    ASSERT_TRUE(LanguageCheck::run(work.path(), program.path(), {u8("Úvod"), u8("Nastavení")}));
    const QStringList second = readLines(written);
    EXPECT_EQ(second.at(1), u8("D:D:Stará zpráva"));
    EXPECT_EQ(second.size(), expected.size());
}

TEST(LanguageCheck, MissingMasterListStartsFromNothing)
{
    TempProgramFolder work;
    ASSERT_TRUE(LanguageCheck::run(work.path(), work.path(), {u8("Úvod")}));
    EXPECT_EQ(readLines(work.file(QStringLiteral("lang/cz.txt"))), QStringList{u8("A:Úvod")});
}

TEST(LanguageCheck, UnwritableProgramFolderIsReported)
{
    TempProgramFolder work;
    work.write(QStringLiteral("lang"), QByteArray("a file where the folder should be"));
    QString error;
    EXPECT_FALSE(LanguageCheck::run(work.path(), work.path(), {u8("Úvod")}, &error));
    EXPECT_FALSE(error.isEmpty());
}

// The language files shipped with the program.
class ShippedLanguageFiles : public ::testing::Test
{
  protected:
    QString langFile(const char* name) const
    {
        return QDir(test::sourceDir()).filePath(QStringLiteral("lang/") + QLatin1String(name));
    }
};

TEST_F(ShippedLanguageFiles, MasterListIsCleanAndEveryLanguageIsAligned)
{
    const QStringList master = readLines(langFile("cz.txt"));
    ASSERT_FALSE(master.isEmpty());
    QSet<QString> seen;
    for (const QString& line : master) {
        EXPECT_FALSE(line.startsWith(QLatin1String("A:")) || line.startsWith(QLatin1String("D:")))
            << qPrintable(line);
        EXPECT_FALSE(line.trimmed().isEmpty());
        EXPECT_FALSE(seen.contains(line.toCaseFolded())) << "twice: " << qPrintable(line);
        seen.insert(line.toCaseFolded());
    }
    const QStringList codes =
        Translator::languageCodes(QDir(test::sourceDir()).filePath(QStringLiteral("lang")));
    EXPECT_TRUE(codes.contains(QStringLiteral("EN")));
    for (const QString& code : codes) {
        const QString path =
            Translator::languageFile(QDir(test::sourceDir()).filePath(QStringLiteral("lang")), code);
        const QStringList lines = readLines(path);
        EXPECT_EQ(lines.size(), master.size()) << qPrintable(path);
        for (qsizetype i = 0; i < lines.size(); ++i)
            EXPECT_FALSE(lines.at(i).trimmed().isEmpty()) << qPrintable(path) << " line " << i + 1;
    }
}

TEST_F(ShippedLanguageFiles, EveryLookupTextOfTheSourcesIsInTheMasterList)
{
    Translator translator;
    translator.setLangMaster(readLines(langFile("cz.txt")));
    translator.setLangTarget(translator.langMaster());
    const QStringList texts = LanguageCheck::sourceTextsOfTree(test::sourceDir());
    for (const QString& text : texts)
        EXPECT_TRUE(translator.lookup(text, nullptr))
            << "not in lang/cz.txt (run ombrix -checklang, see docs/languages.md): " << qPrintable(text);
}

TEST(LanguageCheckProgram, CheckLangCollectsWindowCaptionsAndSourceTextsAndEnds)
{
    TempProgramFolder work;
    TempProgramFolder program;
    work.write(QStringLiteral("lang/cz.txt"), TextFile::encodeUtf8Bom({u8("Úvod"), u8("Zastaralý text")}));
    work.write(QStringLiteral("backup/Run.cpp"), u8("info(getLang(u\"Zpráva ze zdrojů\"));\n").toUtf8());

    QProcess ombrix;
    ombrix.setWorkingDirectory(work.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OMBRIX_HOME"), program.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    ombrix.setProcessEnvironment(env);
    ombrix.start(QDir(test::binDir()).filePath(QStringLiteral("ombrix")), {QStringLiteral("-checklang")});
    ASSERT_TRUE(ombrix.waitForFinished(60000)) << "ombrix -checklang did not end within 60 s";
    EXPECT_EQ(ombrix.exitStatus(), QProcess::NormalExit);

    const QStringList written = readLines(program.file(QStringLiteral("lang/cz.txt")));
    ASSERT_FALSE(written.isEmpty());
    EXPECT_EQ(written.at(0), u8("Úvod"));
    EXPECT_EQ(written.at(1), u8("D:Zastaralý text"));
    // Main window (tab sheets, check boxes), the mask dialog made for the check, and the sources.
    for (const char* text :
         {"A:Obnova", "A:Nastavení", "A:START", "A:Zahrnout podadresáře", "A:Zpráva ze zdrojů"})
        EXPECT_TRUE(written.contains(u8(text))) << text;
    // Status lines are no captions; the check starts nothing else (no config.ini, no log).
    EXPECT_FALSE(QFileInfo::exists(program.file(QStringLiteral("config.ini"))));
    EXPECT_FALSE(QFileInfo::exists(program.file(QStringLiteral("sources.txt"))));
    // The working folder's list is left as it was.
    EXPECT_EQ(readLines(work.file(QStringLiteral("lang/cz.txt"))).size(), 2);
}
