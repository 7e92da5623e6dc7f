#include "core/remote/ListingLine.h"

#include <gtest/gtest.h>
#include <QString>

using namespace ombrix;

namespace {

struct LineCase
{
    const char16_t* line;
    const char16_t* type;
    const char16_t* size;
    const char16_t* name;
};

QString text(const char16_t* s)
{
    return QString::fromUtf16(s);
}

} // namespace

TEST(ParseListingLine, Table)
{
    const LineCase cases[] = {
        // machine form: facts, one space, the name with its own spaces
        {u"type=file;size=1234;modify=20140305210709; a b.txt", u"file", u"1234", u"a b.txt"},
        // the size fact opening the line
        {u"size=77;type=file; x", u"file", u"77", u"x"},
        // the current and parent folder entries are neither files nor folders
        {u"type=cdir;modify=20140305210709; .", u"", u"", u"."},
        {u"type=pdir;modify=20140305210709; ..", u"", u"", u".."},
        {u"type=dir;size=4096;modify=20140305210709; OMX_2014-03-05_21-07-09", u"dir", u"4096",
         u"OMX_2014-03-05_21-07-09"},
        // a folder entry that also mentions type=file; elsewhere is still a folder
        {u"type=dir;x.type=file;; odd", u"dir", u"", u"odd"},
        // "Size=" in capitals is no size fact: the digits are looked for at the sixth character
        {u"type=file;Size=77; x", u"file", u"", u"x"},
        // the size ends at the first character that is not a digit
        {u"type=file;size=12x34; y", u"file", u"12", u"y"},
        // pyftpdlib's facts
        {u"type=file;perm=radfw;size=11;modify=20261210141218; x.txt", u"file", u"11", u"x.txt"},
        // Unix long listing
        {u"drwxr-xr-x 2 user group 4096 Mar 05 21:07 OMX_2014-03-05_21-07-09", u"dir", u"4096",
         u"OMX_2014-03-05_21-07-09"},
        {u"-rw-r--r-- 1 u g 987654 Mar 05 21:07 my file.7z", u"file", u"987654", u"my file.7z"},
        // runs of spaces between the columns count once
        {u"-rw-r--r--   1 root     root           11 Dec 10 14:12 x.txt", u"file", u"11", u"x.txt"},
        // no-break spaces separate columns like spaces
        {u"-rw-r--r--\u00a01\u00a0u\u00a0g\u00a0512\u00a0Mar\u00a005\u00a02013\u00a0n.7z", u"file", u"512",
         u"n.7z"},
        // everything after the separator that ends column 8 is the name, further blanks included
        {u"-rw-r--r-- 1 u g 5 Mar 05 21:07  lead.txt", u"file", u"5", u" lead.txt"},
        // another form: a file, with whatever stands in the size and name columns
        {u"total 12", u"file", u"", u""},
        {u"", u"file", u"", u""},
    };
    for (const LineCase& c : cases) {
        const QString line = text(c.line);
        EXPECT_EQ(listingFact(line, QStringLiteral("type")), text(c.type)) << line.toStdString();
        EXPECT_EQ(listingFact(line, QStringLiteral("size")), text(c.size)) << line.toStdString();
        EXPECT_EQ(listingFact(line, QStringLiteral("FileName")), text(c.name)) << line.toStdString();
    }
}

TEST(ParseListingLine, FactNamesIgnoreCaseAndUnknownFactsAreEmpty)
{
    const QString machine = QStringLiteral("type=file;size=1234; a.txt");
    const QString longListing = QStringLiteral("-rw-r--r-- 1 u g 987654 Mar 05 21:07 my file.7z");
    EXPECT_EQ(listingFact(machine, QStringLiteral("filename")), QStringLiteral("a.txt"));
    EXPECT_EQ(listingFact(machine, QStringLiteral("SIZE")), QStringLiteral("1234"));
    EXPECT_EQ(listingFact(longListing, QStringLiteral("TYPE")), QStringLiteral("file"));
    EXPECT_EQ(listingFact(longListing, QStringLiteral("FILENAME")), QStringLiteral("my file.7z"));
    EXPECT_TRUE(listingFact(machine, QStringLiteral("modify")).isEmpty());
    EXPECT_TRUE(listingFact(longListing, QStringLiteral("owner")).isEmpty());
}

TEST(ParseListingLine, OutputIsReplacedNotAppended)
{
    QString out = QStringLiteral("left over");
    parseListingLine(QStringLiteral("type=cdir; ."), QStringLiteral("type"), out);
    EXPECT_TRUE(out.isEmpty());
}
