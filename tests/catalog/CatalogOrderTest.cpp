#include "core/catalog/CatalogOrder.h"

#include "core/catalog/CatalogLine.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <QRandomGenerator>

using namespace ombrix;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kTime = QStringLiteral("2014-03-05-21-07-08");
const QString kSet = QStringLiteral("OMX_2014-03-05_21-07-09");

QString line(const QString& path, bool plainCopy = false)
{
    return CatalogLine::make(path, kTime, kSet, plainCopy);
}

QStringList paths(const QStringList& lines)
{
    QStringList out;
    for (const QString& l : lines)
        out << catalogField(l, CatalogLine::Path);
    return out;
}

QStringList shuffled(QStringList lines, quint32 seed)
{
    QRandomGenerator random(seed);
    for (qsizetype i = lines.size() - 1; i > 0; --i)
        lines.swapItemsAt(i, random.bounded(int(i + 1)));
    return lines;
}

} // namespace

TEST(CatalogOrder, CzechOrderIgnoringCase)
{
    const CatalogOrder order{QLocale(QLocale::Czech, QLocale::Czechia)};
    // č after c, ch after h, ř after r, š after s, ž after z; upper and lower case interleave.
    const QStringList expected = {
        u"/d/a.txt"_s, u"/d/B.txt"_s,  u"/d/c.txt"_s, u"/d/Č.txt"_s, u"/d/d.txt"_s,
        u"/d/h.txt"_s, u"/d/CH.txt"_s, u"/d/i.txt"_s, u"/d/R.txt"_s, u"/d/ř.txt"_s,
        u"/d/s.txt"_s, u"/d/Š.txt"_s,  u"/d/z.txt"_s, u"/d/ž.txt"_s,
    };
    QStringList lines;
    for (const QString& p : expected)
        lines << line(p);
    for (quint32 seed : {1u, 2u, 3u}) {
        QStringList sorted = shuffled(lines, seed);
        order.sort(sorted);
        EXPECT_EQ(paths(sorted), expected);
        EXPECT_TRUE(order.isSorted(sorted));
    }
}

TEST(CatalogOrder, EnglishOrderIgnoresCaseToo)
{
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c()}) {
        const CatalogOrder order{locale};
        QStringList lines = {line(u"/d/b"_s), line(u"/d/A"_s), line(u"/d/a b"_s), line(u"/d/C"_s)};
        order.sort(lines);
        // Whole lines are compared: after "a" the blank of "a b" sorts before the closing quote
        // of "A".
        EXPECT_EQ(paths(lines), QStringList({u"/d/a b"_s, u"/d/A"_s, u"/d/b"_s, u"/d/C"_s}))
            << locale.name().toStdString();
    }
}

// The same file reached through two source entries gives the same line once. Paths that differ
// only in letter case are different files here, so both lines stay, next to each other and in
// the same order whatever the input order was.
TEST(CatalogOrder, ExactDuplicatesOnceCaseVariantsBoth)
{
    const CatalogOrder order{QLocale(QLocale::Czech, QLocale::Czechia)};
    const QStringList input = {
        line(u"/d/foo.txt"_s), line(u"/d/Foo.txt"_s),       line(u"/d/foo.txt"_s), line(u"/d/FOO.txt"_s),
        line(u"/d/Foo.txt"_s), line(u"/d/foo.txt"_s, true), line(u"/d/a.txt"_s),   line(u"/d/zz.txt"_s),
    };
    QStringList first;
    for (quint32 seed : {7u, 8u, 9u, 10u}) {
        QStringList sorted = shuffled(input, seed);
        order.sort(sorted);
        EXPECT_EQ(sorted.size(), 6);
        EXPECT_EQ(sorted.removeDuplicates(), 0);
        EXPECT_EQ(catalogField(sorted.first(), 1), u"/d/a.txt"_s);
        EXPECT_EQ(catalogField(sorted.last(), 1), u"/d/zz.txt"_s);
        if (first.isEmpty())
            first = sorted;
        EXPECT_EQ(sorted, first);
    }
    // Two lines for one file, with and without the marker, are both kept.
    EXPECT_TRUE(first.contains(line(u"/d/foo.txt"_s, true)));
    EXPECT_TRUE(first.contains(line(u"/d/foo.txt"_s)));
}

// Lines the language rules call equal although they are different text (a zero-width
// character, composed and decomposed accents) are different files and both stay.
TEST(CatalogOrder, TextTheCollatorCallsEqualIsNotMerged)
{
    const CatalogOrder order{QLocale(QLocale::Czech, QLocale::Czechia)};
    QStringList lines = {line(u"/d/ab"_s), line(u"/d/a\u200Bb"_s), line(u"/d/\u00E9"_s),
                         line(u"/d/e\u0301"_s)};
    order.sort(lines);
    EXPECT_EQ(lines.size(), 4);
    EXPECT_NE(order.compare(line(u"/d/\u00E9"_s), line(u"/d/e\u0301"_s)), 0);
    EXPECT_TRUE(order.isSorted(lines));
}

TEST(CatalogOrder, InsertKeepsOrderAndRefusesDuplicates)
{
    const CatalogOrder order{QLocale(QLocale::Czech, QLocale::Czechia)};
    QStringList sorted = {line(u"/d/a"_s), line(u"/d/c"_s), line(u"/d/ch"_s)};
    order.sort(sorted);
    EXPECT_EQ(order.insert(sorted, line(u"/d/č"_s)), 2);
    EXPECT_EQ(order.insert(sorted, line(u"/d/h"_s)), 3);
    EXPECT_EQ(order.insert(sorted, line(u"/d/c"_s)), -1);
    EXPECT_EQ(order.insert(sorted, line(u"/d/A"_s)), 0);
    EXPECT_EQ(paths(sorted),
              QStringList({u"/d/A"_s, u"/d/a"_s, u"/d/c"_s, u"/d/č"_s, u"/d/h"_s, u"/d/ch"_s}));
}

// The order must be total and consistent, or the side-by-side walk of two catalogs misfires:
// sorting, inserting one line at a time and pairwise comparison must all agree, also for lines
// that differ only in case, accents or punctuation.
TEST(CatalogOrder, SortInsertAndCompareAgree)
{
    const CatalogOrder order{QLocale(QLocale::Czech, QLocale::Czechia)};
    QRandomGenerator random(99);
    const QString letters = u"aAbcCčČhHřŘsSšzžŽ -_.;\"/01é\u0301"_s;
    QStringList lines;
    for (int i = 0; i < 3000; ++i) {
        QString path = u"/"_s;
        const int length = 1 + int(random.bounded(8));
        for (int k = 0; k < length; ++k)
            path += letters.at(random.bounded(int(letters.size())));
        lines << line(path, random.bounded(4) == 0);
    }
    QStringList sorted = lines;
    order.sort(sorted);
    EXPECT_TRUE(order.isSorted(sorted));

    QStringList inserted;
    for (const QString& l : lines)
        order.insert(inserted, l);
    EXPECT_EQ(inserted, sorted);

    QStringList unique = lines;
    unique.removeDuplicates();
    EXPECT_EQ(sorted.size(), unique.size());
    for (int i = 0; i < 3000; ++i) {
        const QString& a = lines.at(random.bounded(int(lines.size())));
        const QString& b = lines.at(random.bounded(int(lines.size())));
        const int ab = order.compare(a, b);
        const int ba = order.compare(b, a);
        EXPECT_EQ(ab<0, ba> 0);
        EXPECT_EQ(ab == 0, a == b);
    }
}
