#include "core/sources/Mask.h"

#include "core/sources/MaskList.h"

#include <gtest/gtest.h>
#include <QString>
#include <QStringList>

using namespace ombrix;

namespace {

struct MatchCase
{
    const char* mask;
    const char* name;
    bool expected;
};

const MatchCase matchCases[] = {
    // whole-name match, stars and question marks
    {"*", "README", true},
    {"*", "", true},
    {"", "", true},
    {"", "a", false},
    {"*.*", "README", false},
    {"*.*", "a.b", true},
    {"*.txt", "txt", false},
    {"*.txt", "notes.txt.bak", false},
    {"photo.*", "photo.", true},
    {"?", "a", true},
    {"?", "", false},
    {"?", "ab", false},
    {"a*r.?xt", "abcr.txt", true},
    {"a*r.?xt", "ar.txt", true},
    {"a*r.?xt", "ar.tx", false},
    {"*a*b*c", "xaybzc", true},
    {"*a*b*c", "xaybz", false},
    {"*ab", "aab", true}, // the star has to give back a character
    {"*ab*ab", "abababab", true},
    {"**.txt", "x.txt", true},
    {"ab*cd", "abcd", true},
    {"ab*bc", "abc", false}, // fixed start and end must not share characters
    {"ab*cd", "abxxcd", true},
    {"ab*cd", "abxxc", false},
    {"a?*?b", "axyb", true},
    {"a?*?b", "axb", false},
    {"*x*", "abc", false},
    {"*x*", "x", true},
    {"~*", "~$report.docx", true},
    {"~*", "report~", false},
    // ASCII letters ignore case, everything else must be equal
    {"*.JPG", "photo.jpg", true},
    {"photo.jpg", "PHOTO.JPG", true},
    {"Č*", "čtení.txt", false},
    {"č*", "čtení.txt", true},
    {"ÉTÉ.txt", "été.txt", false},
    {"ÉTÉ.TXT", "ÉTÉ.txt", true},
    // sets and ranges
    {"[abc]", "b", true},
    {"[abc]", "d", false},
    {"[abc]", "ab", false},
    {"[a-c]*", "Bob", true},
    {"[A-C]*", "bob", true},
    {"[!a-c]*", "bob", false},
    {"[!a-c]*", "dan", true},
    {"[!a-c]", "", false},
    {"*[0-9]", "file7", true},
    {"*[0-9]", "file", false},
    {"[A-z]", "_", true}, // the range as written, '_' lies between 'Z' and 'a'
    {"[z-a]", "m", false},
    {"[é]", "é", true},
    {"[é]", "É", false},
    {"x[a-]", "x-", true},
    {"x[a-]", "xA", true},
    {"a]b", "a]b", true},
    {"[*]", "*", true},
    {"[*]", "x", false},
    // a character outside the basic plane is one character
    {"?", "😀", true},
    {"😀?", "😀x", true},
    {"[😀]", "😀", true},
    {"??", "😀", false},
};

struct InvalidCase
{
    QString mask;
    int position;
};

} // namespace

TEST(Mask, MatchTable)
{
    for (const MatchCase& c : matchCases) {
        const Mask mask(QString::fromUtf8(c.mask));
        ASSERT_TRUE(mask.isValid()) << c.mask;
        EXPECT_EQ(mask.matches(QString::fromUtf8(c.name)), c.expected) << c.mask << " vs " << c.name;
    }
}

TEST(Mask, InvalidMasksReportMaskAndPosition)
{
    const InvalidCase cases[] = {
        {QStringLiteral("[abc"), 5},    {QStringLiteral("[]"), 2},
        {QStringLiteral("x[!]"), 4},    {QStringLiteral("[-z]"), 2},
        {QStringLiteral("a[!-z]"), 4},  {QStringLiteral("[a-"), 4},
        {QStringLiteral("*.[txt"), 7},  {QStringLiteral("["), 2},
        {QStringLiteral("[ab]c[]"), 7}, {QStringLiteral("*a").repeated(31), 61},
    };
    for (const InvalidCase& c : cases) {
        const Mask mask(c.mask);
        EXPECT_FALSE(mask.isValid()) << c.mask.toStdString();
        EXPECT_EQ(mask.errorPosition(), c.position) << c.mask.toStdString();
        EXPECT_EQ(mask.errorText(), QStringLiteral("'") + c.mask +
                                        QStringLiteral("' is an invalid mask at (") +
                                        QString::number(c.position) + QStringLiteral(")"));
        EXPECT_FALSE(mask.matches(c.mask));
        EXPECT_FALSE(mask.matches(QStringLiteral("abc")));
    }
}

TEST(Mask, StarRunLimit)
{
    // Thirty separate runs are allowed, adjacent stars count as one run.
    EXPECT_TRUE(Mask(QStringLiteral("*a").repeated(30)).isValid());
    EXPECT_TRUE(Mask(QStringLiteral("*").repeated(200)).isValid());
    EXPECT_TRUE(Mask(QStringLiteral("**a").repeated(30)).isValid());
    EXPECT_FALSE(Mask(QStringLiteral("**a").repeated(31)).isValid());
    EXPECT_TRUE(Mask(QStringLiteral("*a").repeated(30)).matches(QStringLiteral("a").repeated(30)));
}

TEST(Mask, PercentInMaskIsNotAPlaceholder)
{
    const Mask mask(QStringLiteral("%2%1["));
    EXPECT_EQ(mask.errorText(), QStringLiteral("'%2%1[' is an invalid mask at (6)"));
}

TEST(Mask, LongNamesDoNotBlowUp)
{
    const QString name = QStringLiteral("a").repeated(20000);
    const Mask mask(QStringLiteral("*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_FALSE(mask.matches(name));
    EXPECT_TRUE(Mask(QStringLiteral("*a*a*a*a*a*a*a*a*a*a")).matches(name));
}

TEST(MaskList, MatchesAnyOfTheList)
{
    const MaskList list({QStringLiteral("*.doc"), QStringLiteral("*.xls")});
    EXPECT_TRUE(list.matchesAny(QStringLiteral("a.DOC")));
    EXPECT_TRUE(list.matchesAny(QStringLiteral("b.xls")));
    EXPECT_FALSE(list.matchesAny(QStringLiteral("c.pdf")));
    EXPECT_FALSE(MaskList().matchesAny(QStringLiteral("x")));
    EXPECT_FALSE(MaskList(QStringList()).matchesAny(QString()));
}

TEST(MaskList, FreeFunctionGivesErrorOfFirstInvalidMask)
{
    MaskMatch m = matchesAny(QStringLiteral("a.txt"), {QStringLiteral("*.txt")});
    EXPECT_TRUE(m.ok());
    EXPECT_TRUE(m.matched);

    m = matchesAny(QStringLiteral("a.txt"), {});
    EXPECT_TRUE(m.ok());
    EXPECT_FALSE(m.matched);

    // A broken mask in the list is reported even when another mask would match.
    m = matchesAny(QStringLiteral("a.txt"),
                   {QStringLiteral("*.txt"), QStringLiteral("[x"), QStringLiteral("[]")});
    EXPECT_FALSE(m.ok());
    EXPECT_FALSE(m.matched);
    EXPECT_EQ(m.error, QStringLiteral("'[x' is an invalid mask at (3)"));
}
