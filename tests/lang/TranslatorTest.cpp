#include "core/lang/Translator.h"

#include "core/text/TextFile.h"
#include "platform/SystemLanguage.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

using namespace ombrix;
using ombrix::test::TempProgramFolder;

namespace {

// A master list with "Vyberte archiv" on line 40 (index 39), a duplicated text, an empty and a
// blank translation, a language-check mark and a last line the target lacks.
QStringList masterLines()
{
    QStringList lines;
    for (int i = 0; i < 39; ++i)
        lines << QStringLiteral("Text %1").arg(i);
    lines << QStringLiteral("Vyberte archiv")         // 39
          << QStringLiteral("Zálohování")             // 40
          << QStringLiteral("Obnova")                 // 41
          << QStringLiteral("Vyberte archiv")         // 42, duplicate
          << QStringLiteral("Prázdný překlad")        // 43
          << QStringLiteral("Mezerový překlad")       // 44
          << QStringLiteral("A:Nový text")            // 45
          << QStringLiteral("Bez překladu na konci"); // 46
    return lines;
}

QStringList englishLines()
{
    QStringList lines;
    for (int i = 0; i < 39; ++i)
        lines << QStringLiteral("Text %1 en").arg(i);
    lines << QStringLiteral("Choose an archive") << QStringLiteral("Backup") << QStringLiteral("Restore")
          << QStringLiteral("Second choice") << QString() << QStringLiteral("   ")
          << QStringLiteral("New text");
    return lines;
}

class LangFolder : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_home.write("lang/cz.txt", TextFile::encodeUtf8Bom(masterLines()));
        m_home.write("lang/en.txt", TextFile::encodeUtf8Bom(englishLines()));
    }
    QString lang() const { return m_home.file("lang"); }

    TempProgramFolder m_home;
};

struct LookupCase
{
    const char16_t* fraze;
    const char16_t* expected;
};

TEST_F(LangFolder, GetLangTable)
{
    Translator t;
    t.load(lang(), QStringLiteral("EN"));
    const LookupCase cases[] = {
        {u"Vyberte archiv", u"Choose an archive"},
        {u"VYBERTE ARCHIV", u"Choose an archive"}, // other letter case
        {u"ZÁLOHOVÁNÍ", u"Backup"},                // case of accented letters
        {u"Obnova", u"Restore"},
        {u"Prázdný překlad", u"Prázdný překlad"},             // empty target line
        {u"Mezerový překlad", u"Mezerový překlad"},           // blank target line
        {u"Bez překladu na konci", u"Bez překladu na konci"}, // target file too short
        {u"Neznámý text", u"Neznámý text"},                   // not in the master list
        {u"A:Nový text", u"A:Nový text"},                     // a check mark matches nothing
        {u"Nový text", u"Nový text"},
        {u"", u""},
    };
    for (const LookupCase& c : cases) {
        const QString fraze = QString::fromUtf16(c.fraze);
        EXPECT_EQ(t.getLang(fraze), QString::fromUtf16(c.expected)) << fraze.toStdString();
    }
}

TEST_F(LangFolder, CzechReturnsEveryTextUnchangedEvenWithABrokenMaster)
{
    m_home.write("lang/cz.txt", "Vyberte archiv\r\n");
    Translator t;
    t.load(lang(), QStringLiteral("CZ"));
    EXPECT_EQ(t.getLang(QStringLiteral("VYBERTE ARCHIV")), QStringLiteral("VYBERTE ARCHIV"));
    EXPECT_EQ(t.getLang(QStringLiteral("Obnova")), QStringLiteral("Obnova"));
}

TEST_F(LangFolder, LookupGivesEmptyLinesForCaptions)
{
    Translator t;
    t.load(lang(), QStringLiteral("EN"));
    QString translated = QStringLiteral("unchanged");
    ASSERT_TRUE(t.lookup(QStringLiteral("prázdný PŘEKLAD"), &translated));
    EXPECT_EQ(translated, QString());
    EXPECT_FALSE(t.lookup(QStringLiteral("Bez překladu na konci"), &translated));
}

TEST_F(LangFolder, ChooseFallsBackToEnglishWhenTheLanguageHasNoFile)
{
    Translator t;
    const QStringList codes = t.choose(lang(), QStringLiteral("SYSTEM"), QStringLiteral("SK"));
    EXPECT_EQ(codes, (QStringList{QStringLiteral("CZ"), QStringLiteral("EN")}));
    EXPECT_EQ(t.currentLanguage(), QStringLiteral("EN"));
    EXPECT_EQ(t.getLang(QStringLiteral("Obnova")), QStringLiteral("Restore"));
    EXPECT_EQ(t.langMaster(), masterLines());
    EXPECT_EQ(t.langTarget(), englishLines());
}

TEST_F(LangFolder, ExtraFilesAddCodesAndCanBeChosen)
{
    m_home.write("lang/readme.txt", "Obnova\r\n");
    m_home.write("lang/en_old.txt", "x\r\n");
    m_home.write("lang/de.txt", TextFile::encodeUtf8Bom({QStringLiteral("Text 0 de")}));
    EXPECT_EQ(Translator::languageCodes(lang()), (QStringList{QStringLiteral("CZ"), QStringLiteral("DE"),
                                                              QStringLiteral("EN"), QStringLiteral("RE")}));

    // Choosing such an item loads the file of its code (re.txt), which does not exist.
    Translator t;
    t.choose(lang(), QStringLiteral("RE"), QString());
    EXPECT_EQ(t.currentLanguage(), QStringLiteral("RE"));
    EXPECT_TRUE(t.langTarget().isEmpty());
    EXPECT_EQ(t.getLang(QStringLiteral("Text 0")), QStringLiteral("Text 0"));

    t.choose(lang(), QStringLiteral("DE"), QString());
    EXPECT_EQ(t.getLang(QStringLiteral("text 0")), QStringLiteral("Text 0 de"));
}

TEST(LanguageChoice, ChooseLanguageTable)
{
    const QStringList available{QStringLiteral("CZ"), QStringLiteral("DE"), QStringLiteral("EN")};
    struct Case
    {
        const char* configured;
        const char* system;
        const char* expected;
    };
    const Case cases[] = {
        {"SYSTEM", "DE", "DE"}, {"SYSTEM", "SK", "EN"}, {"SYSTEM", "", "EN"}, {"", "CZ", "CZ"},
        {"CZ", "DE", "CZ"},     {"de", "", "DE"},       {"PL", "DE", "EN"},   {"system", "CZ", "CZ"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Translator::chooseLanguage(QString::fromLatin1(c.configured), QString::fromLatin1(c.system),
                                             available),
                  QString::fromLatin1(c.expected))
            << c.configured << " / " << c.system;
    }
}

TEST(LanguageChoice, SystemLanguageCodes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"cs", "CZ"}, {"en", "EN"}, {"de", "DE"}, {"sk", "SK"}, {"fr", "FR"},
        {"pl", "PL"}, {"hu", "HU"}, {"CS", "CZ"}, {"it", ""},   {"", ""},
    };
    for (const auto& [iso, code] : cases)
        EXPECT_EQ(Translator::codeForSystemLanguage(QString::fromLatin1(iso)), QString::fromLatin1(code))
            << iso;
}

TEST(LanguageFiles, BadFilesGiveTheUntranslatedText)
{
    TempProgramFolder home;
    home.write("lang/cz.txt", TextFile::encodeUtf8Bom(masterLines()));
    const QByteArray bad[] = {
        QByteArray(),                                           // empty
        QByteArray("Text 0 en\r\nText 1", 18),                  // truncated mid-line
        QByteArray("\0\0\0\0Te\0xt\r\n\0", 14),                 // NUL bytes
        QByteArray("\xFF\xFE\xC3\x28\xA0\xA1\r\n\xF0\x28\x8C"), // not UTF-8, odd UTF-16
        QByteArray("\xEF\xBB\xBF\xC3"),                         // BOM and a cut character
    };
    for (const QByteArray& bytes : bad) {
        home.write("lang/en.txt", bytes);
        Translator t;
        t.load(home.file("lang"), QStringLiteral("EN"));
        EXPECT_EQ(t.getLang(QStringLiteral("Vyberte archiv")), QStringLiteral("Vyberte archiv"));
        EXPECT_EQ(t.getLang(QStringLiteral("Neznámý")), QStringLiteral("Neznámý"));
    }
}

TEST(LanguageFiles, MissingFolderOrFilesGiveTheUntranslatedText)
{
    TempProgramFolder home;
    Translator t;
    EXPECT_TRUE(t.choose(home.file("lang"), QStringLiteral("SYSTEM"), QStringLiteral("DE")).isEmpty());
    EXPECT_EQ(t.currentLanguage(), QStringLiteral("EN"));
    EXPECT_EQ(t.getLang(QStringLiteral("Obnova")), QStringLiteral("Obnova"));

    home.write("lang/en.txt", "Restore\r\n"); // a target without its master
    t.choose(home.file("lang"), QStringLiteral("EN"), QString());
    EXPECT_EQ(t.getLang(QStringLiteral("Obnova")), QStringLiteral("Obnova"));
}

TEST(LanguageFiles, HugeFileIsIgnored)
{
    TempProgramFolder home;
    home.write("lang/cz.txt", "Obnova\r\n");
    {
        QFile big(home.file("lang/en.txt"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write("Restore\r\n");
        ASSERT_TRUE(big.resize(17 * 1024 * 1024)); // sparse: the rest reads as NUL bytes
    }
    Translator t;
    t.load(home.file("lang"), QStringLiteral("EN"));
    EXPECT_TRUE(t.langTarget().isEmpty());
    EXPECT_EQ(t.getLang(QStringLiteral("Obnova")), QStringLiteral("Obnova"));
}

TEST(LanguageFiles, Utf16AndEightBitFilesAreRead)
{
    TempProgramFolder home;
    home.write("lang/cz.txt", QByteArray("Zálohování\r\nObnova\r\n")); // no BOM: the locale's encoding
    QStringEncoder toUtf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    home.write("lang/de.txt", toUtf16(QStringLiteral("Sicherung\r\nWiederherstellung\r\n")));
    Translator t;
    t.load(home.file("lang"), QStringLiteral("DE"));
    EXPECT_EQ(t.getLang(QStringLiteral("zálohování")), QStringLiteral("Sicherung"));
    EXPECT_EQ(t.getLang(QStringLiteral("Obnova")), QStringLiteral("Wiederherstellung"));
}

TEST(LanguageFolder, ProgramFolderFirstThenBesideTheExecutable)
{
    TempProgramFolder home;
    TempProgramFolder other;
    EXPECT_EQ(Translator::findLangFolder({home.path(), other.path()}), QDir(home.path()).filePath("lang"));
    other.write("lang/cz.txt", "x\r\n");
    EXPECT_EQ(Translator::findLangFolder({home.path(), other.path()}), QDir(other.path()).filePath("lang"));
    home.write("lang/cz.txt", "x\r\n");
    EXPECT_EQ(Translator::findLangFolder({home.path(), other.path()}), QDir(home.path()).filePath("lang"));
}

TEST(LanguageFolder, PlatformLooksInTheProgramFolder)
{
    TempProgramFolder home;
    home.write("lang/cz.txt", "x\r\n");
    EXPECT_EQ(platform::languageFolder(), QDir(home.path()).filePath("lang"));
}

TEST(GlobalTranslator, GetLangUsesTheProgramWideTranslator)
{
    Translator& global = Translator::global();
    global.setLangMaster({QStringLiteral("Obnova")});
    global.setLangTarget({QStringLiteral("Restore")});
    global.setCurrentLanguage(QStringLiteral("en"));
    EXPECT_EQ(getLang(QStringLiteral("obnova")), QStringLiteral("Restore"));
    global.setCurrentLanguage(QStringLiteral("CZ"));
    EXPECT_EQ(getLang(QStringLiteral("obnova")), QStringLiteral("obnova"));
}

} // namespace
