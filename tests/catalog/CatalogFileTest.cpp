#include "core/catalog/CatalogFile.h"

#include "core/catalog/CatalogLine.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QFile>

using namespace ombrix;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kTime = QStringLiteral("2014-03-05-21-07-08");
const QString kSet = QStringLiteral("OMX_2014-03-05_21-07-09");

} // namespace

TEST(CatalogFile, BytesAreUtf8WithMarkAndCrLf)
{
    test::TempProgramFolder home;
    const QString path = home.file(QStringLiteral("archivlist.csv"));
    const QStringList lines = {CatalogLine::make(u"/home/Zpráva.doc"_s, kTime, kSet, false),
                               CatalogLine::make(u"/home/x \"y\";z"_s, kTime, kSet, true)};
    ASSERT_TRUE(CatalogFile::write(path, lines));
    const QByteArray expected =
        "\xEF\xBB\xBF"
        "\"/home/Zpr\xC3\xA1va.doc\";\"2014-03-05-21-07-08\";\"OMX_2014-03-05_21-07-09\"\r\n"
        "\"/home/x \"y\";z\";\"X\";\"2014-03-05-21-07-08\";\"OMX_2014-03-05_21-07-09\"\r\n";
    EXPECT_EQ(home.read(QStringLiteral("archivlist.csv")), expected);

    // Read and written again: the same bytes.
    const CatalogFile::ReadResult read = CatalogFile::read(path);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.lines, lines);
    EXPECT_EQ(read.malformed, 0);
    const QString copy = home.file(QStringLiteral("copy.csv"));
    ASSERT_TRUE(CatalogFile::write(copy, read.lines));
    EXPECT_EQ(home.read(QStringLiteral("copy.csv")), expected);
}

TEST(CatalogFile, EmptyCatalogAndHugeLineRoundTrip)
{
    test::TempProgramFolder home;
    const QString empty = home.file(QStringLiteral("empty.csv"));
    ASSERT_TRUE(CatalogFile::write(empty, {}));
    EXPECT_EQ(home.read(QStringLiteral("empty.csv")), QByteArray("\xEF\xBB\xBF"));
    const CatalogFile::ReadResult none = CatalogFile::read(empty);
    EXPECT_TRUE(none.ok);
    EXPECT_TRUE(none.lines.isEmpty());

    const QString huge = CatalogLine::make(u"/"_s + QString(1 << 20, u'ř'), kTime, kSet, false);
    const QString path = home.file(QStringLiteral("huge.csv"));
    ASSERT_TRUE(CatalogFile::write(path, {huge, huge}));
    const QByteArray bytes = home.read(QStringLiteral("huge.csv"));
    const CatalogFile::ReadResult read = CatalogFile::read(path);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.lines, QStringList({huge, huge}));
    EXPECT_EQ(CatalogFile::encode(read.lines), bytes);
}

TEST(CatalogFile, RefusesLinesThatWouldSplit)
{
    test::TempProgramFolder home;
    home.write(QStringLiteral("archivlist.csv"), "old");
    const QString path = home.file(QStringLiteral("archivlist.csv"));
    EXPECT_FALSE(CatalogFile::write(path, {u"\"a\nb\""_s}));
    EXPECT_FALSE(CatalogFile::write(path, {u"a"_s + QChar(0)}));
    EXPECT_EQ(home.read(QStringLiteral("archivlist.csv")), QByteArray("old"));
    EXPECT_FALSE(CatalogFile::write(home.file(QStringLiteral("no/such/folder/a.csv")), {u"a"_s}));
}

TEST(CatalogFile, DamagedFilesReadWithoutCrashing)
{
    test::TempProgramFolder home;
    const QByteArray good = CatalogFile::encode({CatalogLine::make(u"/a/b.txt"_s, kTime, kSet, false),
                                                 CatalogLine::make(u"/a/c.txt"_s, kTime, kSet, false)});
    struct Damage
    {
        const char* name;
        QByteArray bytes;
        qsizetype lines;
        qsizetype malformed;
    };
    const Damage cases[] = {
        {"truncated", good.left(good.size() - 20), 2, 1},
        {"only mark", QByteArray("\xEF\xBB\xBF"), 0, 0},
        {"half a mark", QByteArray("\xEF\xBB"), 1, 1},
        {"nul bytes", QByteArray(good).insert(10, QByteArray(5, '\0')), 2, 0},
        {"not utf-8",
         QByteArray("\xEF\xBB\xBF\"\xFF\xFE\xC3(\";\"2014-03-05-21-07-08\";\"OMX_2014-03-05_21-07-09\"\r\n"),
         1, 0},
        {"lf only", QByteArray(good).replace("\r\n", "\n"), 2, 0},
        {"blank lines", QByteArray(good).replace("\r\n", "\r\n\r\n\r\n"), 2, 0},
        {"garbage", QByteArray(100000, '"'), 1, 1},
    };
    for (const Damage& d : cases) {
        home.write(QStringLiteral("bad.csv"), d.bytes);
        const CatalogFile::ReadResult read = CatalogFile::read(home.file(QStringLiteral("bad.csv")));
        EXPECT_TRUE(read.ok) << d.name;
        EXPECT_EQ(read.lines.size(), d.lines) << d.name;
        EXPECT_EQ(read.malformed, d.malformed) << d.name;
        for (const QString& l : read.lines) {
            for (int field = 1; field <= 4; ++field)
                (void)catalogField(l, field);
        }
    }
    EXPECT_FALSE(CatalogFile::read(home.file(QStringLiteral("missing.csv"))).ok);
}
