#include "core/catalog/CatalogLine.h"

#include <gtest/gtest.h>
#include <QRandomGenerator>

using namespace ombrix;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kTime = QStringLiteral("2014-03-05-21-07-08");
const QString kSet = QStringLiteral("OMX_2014-03-05_21-07-09");

} // namespace

TEST(CatalogLine, ExampleLinesReadBack)
{
    const QString plain = CatalogLine::make(QStringLiteral("C:\\a.txt"), kTime, kSet, false);
    EXPECT_EQ(plain, u"\"C:\\a.txt\";\"2014-03-05-21-07-08\";\"OMX_2014-03-05_21-07-09\""_s);
    EXPECT_EQ(plain.size(), 58);
    EXPECT_EQ(catalogField(plain, 1), QStringLiteral("C:\\a.txt"));
    EXPECT_EQ(catalogField(plain, 2), kTime);
    EXPECT_EQ(catalogField(plain, 3), kSet);
    EXPECT_EQ(catalogField(plain, 4), QStringLiteral("0"));

    const QString marked = CatalogLine::make(QStringLiteral("C:\\a.txt"), kTime, kSet, true);
    EXPECT_EQ(marked, u"\"C:\\a.txt\";\"X\";\"2014-03-05-21-07-08\";\"OMX_2014-03-05_21-07-09\""_s);
    EXPECT_EQ(marked.size(), 62);
    EXPECT_EQ(catalogField(marked, 1), QStringLiteral("C:\\a.txt"));
    EXPECT_EQ(catalogField(marked, 2), kTime);
    EXPECT_EQ(catalogField(marked, 3), kSet);
    EXPECT_EQ(catalogField(marked, 4), QStringLiteral("1"));
}

// Every path the scan can meet on Linux must come back unchanged from its line, with the
// marker, time and set intact, in both forms.
TEST(CatalogLine, HostilePathsRoundTrip)
{
    const QString paths[] = {
        QStringLiteral("C:\\X"),
        QStringLiteral("/X"),
        QStringLiteral("/home/a/x.txt"),
        QStringLiteral("/home/a b/  spaced  .txt"),
        QStringLiteral("/q/\"quoted\" name.txt"),
        QStringLiteral("/q/\""),
        QStringLiteral("/q/a;b,c.txt"),
        QStringLiteral("/q/\";\""),
        QStringLiteral("/q/x\";\"X\";\"2014-03-05-21-07-08\";\"OMX_2014-03-05_21-07-09"),
        // the old three-character test took these for the plain-copy marker
        QStringLiteral("/q/a;\"X"),
        QStringLiteral("/q/X\";"),
        QStringLiteral(";\"X"),
        u"/home/žluťoučký kůň/Zpráva.doc"_s,
        u"/home/😀/日本語.txt"_s,
        QStringLiteral("/") + QString(5000, u'a') + QStringLiteral("/tail.bin"),
        QStringLiteral("p"),
    };
    for (const QString& path : paths) {
        ASSERT_TRUE(CatalogLine::isPathSupported(path)) << path.toStdString();
        for (const bool plainCopy : {false, true}) {
            const QString line = CatalogLine::make(path, kTime, kSet, plainCopy);
            SCOPED_TRACE(line.left(200).toStdString());
            EXPECT_EQ(line.size(), path.size() + (plainCopy ? 54 : 50));
            EXPECT_EQ(catalogField(line, CatalogLine::Path), path);
            EXPECT_EQ(catalogField(line, CatalogLine::Time), kTime);
            EXPECT_EQ(catalogField(line, CatalogLine::Set), kSet);
            EXPECT_EQ(catalogField(line, CatalogLine::PlainCopy), plainCopy ? u"1"_s : u"0"_s);
            EXPECT_EQ(CatalogLine::isPlainCopy(line), plainCopy);
            EXPECT_TRUE(CatalogLine::isWellFormed(line));
            EXPECT_EQ(CatalogLine::compareKey(line), path.toLower() + (plainCopy ? u"1"_s : u"0"_s));
        }
    }
}

TEST(CatalogLine, RefusesWhatCannotReadBack)
{
    // A path ending in `";"X` would read as a shorter path with the marker.
    const QString refused[] = {
        QString(),
        QStringLiteral("/a/b\";\"X"),
        QStringLiteral("/a/line\nbreak"),
        QStringLiteral("/a/line\rbreak"),
        QStringLiteral("/a/nul") + QChar(0) + QStringLiteral("x"),
    };
    for (const QString& path : refused) {
        EXPECT_FALSE(CatalogLine::isPathSupported(path)) << path.toStdString();
        EXPECT_TRUE(CatalogLine::make(path, kTime, kSet, false).isEmpty());
    }
    EXPECT_TRUE(CatalogLine::make(QStringLiteral("/a"), u"2014-03-05 21-07-08", kSet, false).isEmpty());
    EXPECT_TRUE(CatalogLine::make(QStringLiteral("/a"), kTime, u"OMX_2014-03-05_21-07-9", false).isEmpty());
}

TEST(CatalogLine, ReplaceSetKeepsTheOtherFields)
{
    const QString newSet = QStringLiteral("OMX_2015-01-02_03-04-05");
    for (const bool plainCopy : {false, true}) {
        QString line = CatalogLine::make(u"/home/ä;\"X/x.txt"_s, kTime, kSet, plainCopy);
        ASSERT_TRUE(CatalogLine::replaceSet(line, newSet));
        EXPECT_EQ(line, CatalogLine::make(u"/home/ä;\"X/x.txt"_s, kTime, newSet, plainCopy));
        EXPECT_EQ(catalogField(line, 3), newSet);
    }
    QString line = CatalogLine::make(QStringLiteral("/a"), kTime, kSet, false);
    const QString before = line;
    EXPECT_FALSE(CatalogLine::replaceSet(line, u"OMX_2015-01-02_03-04-5"));
    EXPECT_FALSE(CatalogLine::replaceSet(line, u"OMX_2015-01-02_03-04-05\""));
    EXPECT_EQ(line, before);
    QString shortLine = QStringLiteral("\"OMX_2014-03-05_21-07-09\"");
    EXPECT_FALSE(CatalogLine::replaceSet(shortLine, newSet));
    EXPECT_EQ(shortLine, QStringLiteral("\"OMX_2014-03-05_21-07-09\""));
}

TEST(CatalogLine, BadLinesGiveEmptyFields)
{
    const QString good = CatalogLine::make(QStringLiteral("/a"), kTime, kSet, false);
    const QString bad[] = {
        QString(),
        QStringLiteral("\""),
        good.left(49), // one short of the fixed part
        QString(49, QChar(0)),
        QStringLiteral("\"\";\"2014-03-05-21-07-08\";\"OMX_2014-03-05_21-07-09"), // 49
    };
    for (const QString& line : bad) {
        for (const int field : {1, 2, 3})
            EXPECT_TRUE(catalogField(line, field).isEmpty()) << line.size();
        EXPECT_EQ(catalogField(line, 4), QStringLiteral("0"));
        EXPECT_FALSE(CatalogLine::isWellFormed(line));
        EXPECT_FALSE(CatalogLine::isPlainCopy(line));
    }
    for (const int field : {0, 5, -1, 1000})
        EXPECT_TRUE(catalogField(good, field).isEmpty());

    // Damaged but long enough: fields are read by position, the line is reported malformed.
    const QString damaged[] = {
        good.left(good.size() - 1),
        QString(50, QChar(0)),
        QString(80, u'"'),
        good.mid(1),
        QStringLiteral("\"/a\";\"2014-03-05-21-07-08\";\"OMX_2014-03-05_21-07-09\"\";\"x\""),
    };
    for (const QString& line : damaged) {
        EXPECT_FALSE(CatalogLine::isWellFormed(line)) << line.toStdString();
        EXPECT_EQ(catalogField(line, 3).size(), 23);
    }
}

// Random text built from the characters the layout cares about: no crash, and every field
// read stays inside the layout's arithmetic.
TEST(CatalogLine, RandomTextNeverBreaksTheReader)
{
    QRandomGenerator random(12345);
    QString alphabet = u"\";X;-_0OMX\\/aé"_s;
    alphabet += QChar(0);
    alphabet += QChar(0xD800); // lone surrogates
    alphabet += QChar(0xDC00);
    for (int round = 0; round < 20000; ++round) {
        const int length = int(random.bounded(130));
        QString line;
        for (int i = 0; i < length; ++i)
            line += alphabet.at(random.bounded(int(alphabet.size())));
        const QString path = catalogField(line, 1);
        const bool marked = catalogField(line, 4) == u"1"_s;
        if (length < 50) {
            EXPECT_TRUE(path.isEmpty());
            continue;
        }
        EXPECT_EQ(path.size(), length - (marked ? 54 : 50));
        EXPECT_EQ(catalogField(line, 2).size(), 19);
        EXPECT_EQ(catalogField(line, 3).size(), 23);
        (void)CatalogLine::isWellFormed(line);
        (void)CatalogLine::compareKey(line);
    }
}
