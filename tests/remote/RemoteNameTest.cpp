#include "core/remote/RemoteName.h"

#include <gtest/gtest.h>
#include <QString>

using namespace ombrix;
using namespace Qt::Literals::StringLiterals;

namespace {

struct NameCase
{
    const char16_t* name;
    const char16_t* encoded;
};

} // namespace

TEST(EncodeRemoteName, Table)
{
    const NameCase cases[] = {
        {u"Zpráva.doc", u"Zprava.1112.doc"},
        {u"C", u"C.67"},
        {u"archivlist.csv.7z", u"archivlist.csv.1682.7z"},
        {u"Žluťoučký kůň.txt", u"Zlutoucky kun.3052.txt"},
        {u"README", u"README.430"},
        {u"Data", u"Data.378"},
        // the name up to the last dot is empty: only the sum goes before the extension
        {u".bashrc", u".673.bashrc"},
        // outer blanks count in the sum, then disappear from the result
        {u" a.txt ", u"a.559.txt"},
        {u"", u""},
        {u"   ", u""},
        {u"\t", u""},
    };
    for (const NameCase& c : cases) {
        const QString name = QString::fromUtf16(c.name);
        EXPECT_EQ(encodeRemoteName(name), QString::fromUtf16(c.encoded)) << name.toStdString();
    }
}

TEST(EncodeRemoteName, NamesDifferingInCaseOrDiacriticsStayApart)
{
    EXPECT_NE(encodeRemoteName(QStringLiteral("Foo.txt")), encodeRemoteName(QStringLiteral("foo.txt")));
    EXPECT_NE(encodeRemoteName(u"Zpráva.doc"_s), encodeRemoteName(QStringLiteral("Zprava.doc")));
}

TEST(EncodeRemoteName, SumsUtf16CodeUnitsOfLongAndAstralNames)
{
    // U+1F600 is two UTF-16 code units, 0xD83D + 0xDE00 = 112189; with "." and "x" 112355.
    EXPECT_EQ(encodeRemoteName(u"😀.x"_s), u"😀.112355.x"_s);
    const QString longName(100000, u'a');
    EXPECT_EQ(encodeRemoteName(longName), longName + QStringLiteral(".9700000"));
}

TEST(StripDiacritics, WholeTableAndNothingElse)
{
    EXPECT_EQ(stripDiacritics(u"ÁÄÉËĚÍÓÖÚÜŮÝáäéëěíóöúüůýČčĎďŇňŘřŠšŤťŽž"_s),
              QStringLiteral("AAEEEIOOUUUYaaeeeioouuuyCcDdNnRrSsTtZz"));
    const QString untouched = u"ñŁàßĹľŕôÀ ;\"/\\ abc 123 😀"_s;
    EXPECT_EQ(stripDiacritics(untouched), untouched);
}

TEST(Lomitka, Table)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("backup\\OMX_x\\C\\"), QStringLiteral("/backup/OMX_x/C")},
        {QStringLiteral("a//b/"), QStringLiteral("/a/b")},
        {QStringLiteral("   "), QStringLiteral("   ")},
        {QString(), QString()},
        {QStringLiteral("/zaloha"), QStringLiteral("/zaloha")},
        {QStringLiteral("/"), QString()},
        {QStringLiteral("zaloha/OMX_x//home/a"), QStringLiteral("/zaloha/OMX_x/home/a")},
        // one left-to-right pass over pairs: three slashes leave two
        {QStringLiteral("/a///b"), QStringLiteral("/a//b")},
        {QStringLiteral("\\\\server\\share"), QStringLiteral("/server/share")},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(lomitka(in), out) << in.toStdString();
}

TEST(FnEncode, Table)
{
    const QString set = QStringLiteral("OMX_2014-03-05_21-07-09");
    const std::pair<QString, QString> cases[] = {
        {u"/zaloha/OMX_2014-03-05_21-07-09/C/Data/Zpráva.doc.7z"_s,
         QStringLiteral("/zaloha/OMX_2014-03-05_21-07-09/C.67/Data.378/Zprava.doc.1335.7z")},
        {QStringLiteral("/OMX_2014-03-05_21-07-09/archivlist.csv.7z"),
         QStringLiteral("/OMX_2014-03-05_21-07-09/archivlist.csv.1682.7z")},
        {QStringLiteral("OMX_2014-03-05_21-07-09/C"), QStringLiteral("OMX_2014-03-05_21-07-09/C.67")},
        // no set folder: unchanged, whatever the names hold
        {u"/zaloha/Zpráva/a b.txt"_s, u"/zaloha/Zpráva/a b.txt"_s},
        {QStringLiteral("/zaloha/omx_x/C"), QStringLiteral("/zaloha/omx_x/C")},
        {QStringLiteral("/OMX/C"), QStringLiteral("/OMX/C")},
        // only the first set-like segment is kept as it is
        {QStringLiteral("/OMX_a/OMX_b"),
         QStringLiteral("/OMX_a/") + encodeRemoteName(QStringLiteral("OMX_b"))},
        // empty segments stay empty
        {QStringLiteral("/r/OMX_s//a/"), QStringLiteral("/r/OMX_s//a.97/")},
        {QString(), QString()},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(fnEncode(in), out) << in.toStdString();
    EXPECT_EQ(fnEncode(u"/zaloha/"_s + set + u"/C/Data/Zpráva.doc.7z"_s),
              u"/zaloha/"_s + set + u"/C.67/Data.378/"_s + encodeRemoteName(u"Zpráva.doc.7z"_s));
}
