#include "core/config/IniStore.h"

#include "core/config/ConfigKeys.h"
#include "support/TempProgramFolder.h"

#include <atomic>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <thread>

using namespace ombrix;

namespace {

QByteArray crlf(const QByteArray& text)
{
    QByteArray out = text;
    out.replace("\n", "\r\n");
    return out;
}

QStringList folderEntries(const QString& path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(IniStore, ReadsValuesByIniRules)
{
    test::TempProgramFolder home;
    home.write(QStringLiteral("config.ini"), "orphan=before any section\n"
                                             "[System]\n"
                                             "  Backup_Dir   =   /data/backup  \n"
                                             "EMPTY=\n"
                                             "BLANK= \n"
                                             "DQ=\"quoted value\"\n"
                                             "SQ='single'\n"
                                             "MIXED=\"not closed'\n"
                                             "ONLYQUOTE=\"\n"
                                             "INNER=a \"b\" c\n"
                                             "no equals sign here\n"
                                             "=value without key\n"
                                             "DUP=first\n"
                                             "DUP=second\n"
                                             "EQ=a=b\n"
                                             "\n"
                                             "[OPTIONS]\r"
                                             "CRONLY=1\r"
                                             "[system]\n"
                                             "LATER=in a second section of the same name\n");
    const IniStore store(home.file(QStringLiteral("config.ini")));
    const QString def = QStringLiteral("<default>");
    struct Case
    {
        const char* section;
        const char* key;
        QString expected;
    };
    const Case cases[] = {
        {"SYSTEM", "BACKUP_DIR", QStringLiteral("/data/backup")},
        {"system", "backup_dir", QStringLiteral("/data/backup")},
        {"SYSTEM", "EMPTY", QString()},
        {"SYSTEM", "BLANK", QString()},
        {"SYSTEM", "DQ", QStringLiteral("quoted value")},
        {"SYSTEM", "SQ", QStringLiteral("single")},
        {"SYSTEM", "MIXED", QStringLiteral("\"not closed'")},
        {"SYSTEM", "ONLYQUOTE", QStringLiteral("\"")},
        {"SYSTEM", "INNER", QStringLiteral("a \"b\" c")},
        {"SYSTEM", "no equals sign here", def},
        {"SYSTEM", "DUP", QStringLiteral("first")},
        {"SYSTEM", "EQ", QStringLiteral("a=b")},
        {"SYSTEM", "orphan", def},
        {"SYSTEM", "MISSING", def},
        {"NOSECTION", "BACKUP_DIR", def},
        {"OPTIONS", "CRONLY", QStringLiteral("1")},
        {"OPTIONS", "BACKUP_DIR", def},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(store.readString(QLatin1StringView(c.section), QLatin1StringView(c.key), def), c.expected);
    }
    EXPECT_TRUE(store.hasKey(ConfigKeys::BACKUP_DIR));
    EXPECT_FALSE(store.hasKey(ConfigKeys::LANGUAGE));
}

TEST(IniStore, ReadsIntegersAndBooleans)
{
    test::TempProgramFolder home;
    home.write(QStringLiteral("config.ini"),
               "[S]\n"
               "DEC=42\nNEG=-5\nPLUS=+3\nHEX=0x1F\nHEXUP=0X10\nPADDED=  7  \n"
               "QUOTED='8'\nTRAIL=12abc\nWORD=yes\nEMPTY=\nHEXBAD=0xZZ\nHEXBARE=0x\n"
               "BIG=99999999999\nTWO=2\nZERO=0\nSPACEIN=1 2\nSIGN=-\n");
    const IniStore store(home.file(QStringLiteral("config.ini")));
    const struct
    {
        const char* key;
        int expected;
    } ints[] = {{"DEC", 42},   {"NEG", -5},     {"PLUS", 3},  {"HEX", 31},    {"HEXUP", 16},  {"PADDED", 7},
                {"QUOTED", 8}, {"TRAIL", -1},   {"WORD", -1}, {"EMPTY", -1},  {"HEXBAD", -1}, {"HEXBARE", -1},
                {"BIG", -1},   {"SPACEIN", -1}, {"SIGN", -1}, {"MISSING", -1}};
    for (const auto& c : ints) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(store.readInt(u"S", QLatin1StringView(c.key), -1), c.expected);
    }

    // A boolean is an integer: non-zero is true; a non-number gives the reader's default.
    EXPECT_TRUE(store.readBool(u"S", u"TWO", false));
    EXPECT_TRUE(store.readBool(u"S", u"NEG", false));
    EXPECT_FALSE(store.readBool(u"S", u"ZERO", true));
    EXPECT_TRUE(store.readBool(u"S", u"WORD", true));
    EXPECT_FALSE(store.readBool(u"S", u"WORD", false));
    EXPECT_TRUE(store.readBool(u"S", u"MISSING", true));
    EXPECT_FALSE(store.readBool(u"S", u"MISSING", false));
}

TEST(IniStore, LongValuesAreCutAt2047Characters)
{
    test::TempProgramFolder home;
    const QString exact(2047, QLatin1Char('x'));
    const QString czech = QString(3000, QChar(u'ř'));
    // An emoji straddling the cut must not leave half a surrogate pair behind.
    const QString straddle =
        QString(2046, QLatin1Char('a')) + QStringLiteral("\U0001F600") + QStringLiteral("z");
    IniStore store(home.file(QStringLiteral("config.ini")));
    ASSERT_TRUE(store.writeString(u"S", u"EXACT", exact));
    ASSERT_TRUE(store.writeString(u"S", u"CZECH", czech));
    ASSERT_TRUE(store.writeString(u"S", u"QUOTED", QLatin1Char('"') + czech + QLatin1Char('"')));
    ASSERT_TRUE(store.writeString(u"S", u"STRADDLE", straddle));

    EXPECT_EQ(store.readString(u"S", u"EXACT", {}), exact);
    EXPECT_EQ(store.readString(u"S", u"CZECH", {}), czech.left(2047));
    EXPECT_EQ(store.readString(u"S", u"QUOTED", {}), czech.left(2047));
    EXPECT_EQ(store.readString(u"S", u"STRADDLE", {}), straddle.left(2046));
}

TEST(IniStore, WriteChangesOnlyItsLineAndKeepsTheRestByteForByte)
{
    test::TempProgramFolder home;
    const QByteArray original = crlf("; hand-written note\n"
                                     "[SYSTEM]\n"
                                     "LAST_ARCHIV_NAME= \n"
                                     "garbage line \xff\xfe without equals\n"
                                     "BACKUP_DIR=/m\xc3\xa9"
                                     "dia/z\xe1loha\n" // one valid, one Latin-1 byte
                                     "TAB_INDEX=0\n"
                                     "\n"
                                     "[OPTIONS]\n"
                                     "LANGUAGE=SYSTEM\n"
                                     "\n");
    home.write(QStringLiteral("config.ini"), original);
    IniStore store(home.file(QStringLiteral("config.ini")));

    ASSERT_TRUE(store.writeInt(ConfigKeys::TAB_INDEX, 3));
    QByteArray expected = original;
    expected.replace("TAB_INDEX=0", "TAB_INDEX=3");
    EXPECT_EQ(home.read(QStringLiteral("config.ini")), expected);

    // A new key goes to the end of its section, before the blank line that ends it.
    ASSERT_TRUE(store.writeString(ConfigKeys::SUM_FROM, QStringLiteral("OMX_2024-01-02_03-04-05")));
    expected.replace("TAB_INDEX=3\r\n", "TAB_INDEX=3\r\nSUM_FROM=OMX_2024-01-02_03-04-05\r\n");
    EXPECT_EQ(home.read(QStringLiteral("config.ini")), expected);

    // A new section is appended.
    ASSERT_TRUE(store.writeBool(ConfigKeys::EMAIL_SMTP_SSL, true));
    expected += "[OPTIONS_EMAIL]\r\nEMAIL_SMTP_SSL=1\r\n";
    EXPECT_EQ(home.read(QStringLiteral("config.ini")), expected);

    // Case-insensitive names: the existing line is replaced, not duplicated.
    ASSERT_TRUE(store.writeString(u"options", u"language", QStringLiteral("CZ")));
    EXPECT_EQ(store.readString(ConfigKeys::LANGUAGE, {}), QStringLiteral("CZ"));
    EXPECT_EQ(home.read(QStringLiteral("config.ini")).count("anguage="), 1);

    ASSERT_TRUE(store.deleteKey(ConfigKeys::LAST_ARCHIV_NAME));
    EXPECT_FALSE(store.hasKey(ConfigKeys::LAST_ARCHIV_NAME));
    EXPECT_TRUE(store.deleteKey(ConfigKeys::SKYVRA_NAME)); // missing key: nothing to do
    EXPECT_TRUE(home.read(QStringLiteral("config.ini")).contains("garbage line \xff\xfe without equals\r\n"));
    EXPECT_TRUE(home.read(QStringLiteral("config.ini"))
                    .contains("BACKUP_DIR=/m\xc3\xa9"
                              "dia/z\xe1loha\r\n"));
}

TEST(IniStore, CreatesTheFileAndRoundTripsNationalCharacters)
{
    test::TempProgramFolder home;
    IniStore store(home.file(QStringLiteral("config.ini")));
    const QString values[] = {QStringLiteral("/home/šárka/Zálohy ěščřžýáíé"),
                              QStringLiteral("日本語 \U0001F600"), QString(), QStringLiteral("a;b=c[d]")};
    for (const QString& value : values) {
        ASSERT_TRUE(store.writeString(ConfigKeys::BACKUP_DIR, value));
        EXPECT_EQ(store.readString(ConfigKeys::BACKUP_DIR, QStringLiteral("<default>")), value);
    }
    const QByteArray bytes = home.read(QStringLiteral("config.ini"));
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(bytes, "[SYSTEM]\r\nBACKUP_DIR=a;b=c[d]\r\n");
}

TEST(IniStore, ValueWithLineBreaksCannotAddLines)
{
    test::TempProgramFolder home;
    IniStore store(home.file(QStringLiteral("config.ini")));
    ASSERT_TRUE(
        store.writeString(ConfigKeys::BACKUP_DIR, QStringLiteral("x\r\n[SYSTEM]\nLAST_BACKUP_DONE=0")));
    EXPECT_FALSE(store.hasKey(ConfigKeys::LAST_BACKUP_DONE));
    EXPECT_EQ(home.read(QStringLiteral("config.ini")).count("\r\n"), 2);
}

TEST(IniStore, ByteOrderMarkIsHonouredAndKept)
{
    test::TempProgramFolder home;
    home.write(QStringLiteral("config.ini"), "\xEF\xBB\xBF[SYSTEM]\r\nBACKUP_DIR=/z\xc3\xa1loha\r\n");
    IniStore store(home.file(QStringLiteral("config.ini")));
    EXPECT_EQ(store.readString(ConfigKeys::BACKUP_DIR, {}), QStringLiteral("/záloha"));
    ASSERT_TRUE(store.writeInt(ConfigKeys::TAB_INDEX, 2));
    EXPECT_EQ(home.read(QStringLiteral("config.ini")),
              "\xEF\xBB\xBF[SYSTEM]\r\nBACKUP_DIR=/z\xc3\xa1loha\r\nTAB_INDEX=2\r\n");

    // A UTF-16 file reads too, and is stored as UTF-8 at the next write.
    const QString text = QStringLiteral("[SYSTEM]\r\nBACKUP_DIR=/záloha\r\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    home.write(QStringLiteral("config.ini"), utf16);
    EXPECT_EQ(store.readString(ConfigKeys::BACKUP_DIR, {}), QStringLiteral("/záloha"));
    ASSERT_TRUE(store.writeInt(ConfigKeys::TAB_INDEX, 1));
    EXPECT_EQ(home.read(QStringLiteral("config.ini")),
              "[SYSTEM]\r\nBACKUP_DIR=/z\xc3\xa1loha\r\nTAB_INDEX=1\r\n");
}

TEST(IniStore, ReplacesTheFileWithoutLeavingATemporaryFile)
{
    test::TempProgramFolder home;
    IniStore store(home.file(QStringLiteral("config.ini")));
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(store.writeInt(ConfigKeys::LAST_BACKUP_LIST_INDEX, i));
    ASSERT_TRUE(store.deleteKey(ConfigKeys::LAST_BACKUP_LIST_INDEX));
    EXPECT_EQ(folderEntries(home.path()), QStringList{QStringLiteral("config.ini")});
    EXPECT_TRUE(store.flush());
}

TEST(IniStore, WriteThatCannotReachTheFileFails)
{
    test::TempProgramFolder home;
    home.write(QStringLiteral("plainfile"), "not a folder");
    // Tests run as root, so a read-only folder would not stop us; a parent that is a file does.
    const QString path = home.file(QStringLiteral("plainfile/config.ini"));
    IniStore store(path);
    EXPECT_TRUE(store.flush());
    EXPECT_FALSE(store.writeString(ConfigKeys::BACKUP_DIR, QStringLiteral("/x")));
    EXPECT_EQ(store.lastError(), QStringLiteral("Unable to write to ") + path);
    EXPECT_FALSE(store.writeInt(ConfigKeys::TAB_INDEX, 1));
    EXPECT_EQ(store.readString(ConfigKeys::BACKUP_DIR, QStringLiteral("def")), QStringLiteral("def"));
    EXPECT_FALSE(store.flush());
    EXPECT_TRUE(store.flush()); // reported once
    EXPECT_EQ(home.read(QStringLiteral("plainfile")), "not a folder");
    EXPECT_EQ(folderEntries(home.path()), QStringList{QStringLiteral("plainfile")});
}

TEST(IniStore, HugeFileReadsAsDefaultsAndIsNeverOverwritten)
{
    test::TempProgramFolder home;
    const QString path = home.file(QStringLiteral("config.ini"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[SYSTEM]\r\nBACKUP_DIR=/kept\r\n");
        ASSERT_TRUE(f.resize(IniStore::maxFileBytes + 1));
    }
    IniStore store(path);
    EXPECT_EQ(store.readString(ConfigKeys::BACKUP_DIR, QStringLiteral("def")), QStringLiteral("def"));
    EXPECT_FALSE(store.writeInt(ConfigKeys::TAB_INDEX, 1));
    EXPECT_EQ(store.lastError(), QStringLiteral("Unable to write to ") + path);
    EXPECT_FALSE(store.deleteKey(ConfigKeys::BACKUP_FTP));
    EXPECT_EQ(QFileInfo(path).size(), IniStore::maxFileBytes + 1);
    EXPECT_EQ(folderEntries(home.path()), QStringList{QStringLiteral("config.ini")});

    // A folder named config.ini is just as unreadable.
    test::TempProgramFolder other;
    ASSERT_TRUE(QDir(other.path()).mkdir(QStringLiteral("config.ini")));
    IniStore onFolder(other.file(QStringLiteral("config.ini")));
    EXPECT_EQ(onFolder.readInt(ConfigKeys::TAB_INDEX, 5), 5);
    EXPECT_FALSE(onFolder.writeInt(ConfigKeys::TAB_INDEX, 1));
}

TEST(IniStore, DamagedFilesGiveDefaultsNotCrashes)
{
    const QByteArray files[] = {
        QByteArray("[SYSTEM]\r\nBACKUP_DIR=/a\r\nTAB_IN"),                           // cut inside a key
        QByteArray("[SYSTEM]\r\nBACKUP_DIR=/a\r\nTAB_INDEX=") + QByteArray(4, '\0'), // NULs for a value
        QByteArray(4096, '\0'), // zeroed after power loss
        QByteArray("\xff\xfe\xfd[SYSTEM\r\nBACKUP_DIR\r\n=\r\n[\r\n]\r\n==\r\n\x80\x81=\xc0\r\n"),
        QByteArray("[SYST"),
        QByteArray("\xEF\xBB"),
        QByteArray(),
    };
    for (const QByteArray& bytes : files) {
        SCOPED_TRACE(bytes.left(20).toHex().toStdString());
        test::TempProgramFolder home;
        home.write(QStringLiteral("config.ini"), bytes);
        IniStore store(home.file(QStringLiteral("config.ini")));
        EXPECT_EQ(store.readInt(ConfigKeys::TAB_INDEX, 9), 9);
        EXPECT_EQ(store.readString(ConfigKeys::LANGUAGE, QStringLiteral("SYSTEM")), QStringLiteral("SYSTEM"));
        ASSERT_TRUE(store.writeInt(ConfigKeys::TAB_INDEX, 4));
        EXPECT_EQ(store.readInt(ConfigKeys::TAB_INDEX, 9), 4);
    }
    // What was readable before the damage still reads.
    test::TempProgramFolder home;
    home.write(QStringLiteral("config.ini"), files[1]);
    EXPECT_EQ(IniStore(home.file(QStringLiteral("config.ini"))).readString(ConfigKeys::BACKUP_DIR, {}),
              QStringLiteral("/a"));
}

TEST(IniStore, TwoStoresOnOneFileSeeEachOthersWrites)
{
    test::TempProgramFolder home;
    IniStore mainStore(home.file(QStringLiteral("config.ini")));
    IniStore dialogStore(home.file(QStringLiteral("config.ini")));
    ASSERT_TRUE(mainStore.writeString(ConfigKeys::BACKUP_DESTINATION, QStringLiteral("FTP")));
    ASSERT_TRUE(dialogStore.writeString(ConfigKeys::EMAIL_SMTP_HOST, QStringLiteral("smtp.example.org")));
    EXPECT_EQ(mainStore.readString(ConfigKeys::EMAIL_SMTP_HOST, {}), QStringLiteral("smtp.example.org"));
    ASSERT_TRUE(mainStore.writeInt(ConfigKeys::TAB_INDEX, 2));
    EXPECT_EQ(dialogStore.readInt(ConfigKeys::TAB_INDEX, 0), 2);
    EXPECT_EQ(dialogStore.readString(ConfigKeys::BACKUP_DESTINATION, {}), QStringLiteral("FTP"));
    ASSERT_TRUE(dialogStore.deleteKey(ConfigKeys::TAB_INDEX));
    EXPECT_EQ(mainStore.readInt(ConfigKeys::TAB_INDEX, 7), 7);
}

TEST(IniStore, ReaderThreadNeverSeesAHalfWrittenFile)
{
    test::TempProgramFolder home;
    IniStore store(home.file(QStringLiteral("config.ini")));
    ASSERT_TRUE(store.writeString(ConfigKeys::BACKUP_DESTINATION, QStringLiteral("SKYVRA")));
    std::atomic<bool> done{false};
    std::atomic<int> wrongReads{0};
    std::thread reader([&] {
        IniStore updateThreadStore(home.file(QStringLiteral("config.ini")));
        while (!done) {
            if (updateThreadStore.readString(ConfigKeys::BACKUP_DESTINATION, QStringLiteral("DIR")) !=
                QLatin1String("SKYVRA"))
                ++wrongReads;
        }
    });
    bool allWritten = true;
    for (int i = 0; i < 60; ++i) {
        allWritten = store.writeInt(ConfigKeys::LAST_BACKUP_LIST_INDEX, i) && allWritten;
        allWritten = store.writeString(ConfigKeys::SUM_FROM, QString(i % 50, QLatin1Char('s'))) && allWritten;
    }
    done = true;
    reader.join();
    EXPECT_TRUE(allWritten);
    EXPECT_EQ(wrongReads.load(), 0);
    EXPECT_EQ(store.readInt(ConfigKeys::LAST_BACKUP_LIST_INDEX, -1), 59);
}
