#include "core/sources/SourceFilter.h"

#include "core/sources/SourceParser.h"

#include <gtest/gtest.h>

using namespace ombrix;

namespace {

SourceFilter filterFor(const char* line)
{
    return SourceFilter(pars_source(QString::fromUtf8(line)));
}

} // namespace

TEST(SourceFilter, NoMasksTakesEverything)
{
    const SourceFilter f = filterFor("/data");
    EXPECT_TRUE(f.isValid());
    EXPECT_TRUE(f.takesFile(u"anything"));
    EXPECT_TRUE(f.takesFile(u"README"));
    EXPECT_TRUE(f.entersFolder(u"Temp"));
    EXPECT_FALSE(f.storesPlain(u"a.zip"));
    EXPECT_TRUE(f.includeSubdirs());
}

TEST(SourceFilter, ListsDecideAsTheScanNeeds)
{
    const SourceFilter f = filterFor("/home/u/Documents///+*.doc///+*.xls///-~*///D-Temp///X*.zip///R-");
    ASSERT_TRUE(f.isValid());
    EXPECT_TRUE(f.takesFile(u"report.DOC"));
    EXPECT_TRUE(f.takesFile(u"budget.xls"));
    EXPECT_FALSE(f.takesFile(u"~report.doc")); // included, then excluded
    EXPECT_FALSE(f.takesFile(u"photo.jpg"));   // not included
    EXPECT_FALSE(f.takesFile(u"a.zip"));       // plain-copy masks do not include
    EXPECT_TRUE(f.storesPlain(u"a.zip"));
    EXPECT_FALSE(f.storesPlain(u"a.doc"));
    EXPECT_FALSE(f.entersFolder(u"temp"));
    EXPECT_TRUE(f.entersFolder(u"Temporary"));
    EXPECT_FALSE(f.includeSubdirs());

    const SourceFilter onlyExclude = filterFor("/d///-*.tmp///-*.bak");
    EXPECT_TRUE(onlyExclude.takesFile(u"a.txt"));
    EXPECT_FALSE(onlyExclude.takesFile(u"a.TMP"));
    EXPECT_FALSE(onlyExclude.takesFile(u"a.bak"));
}

TEST(SourceFilter, InvalidMaskMakesAnInvalidRecord)
{
    const SourceFilter f = filterFor("/data///+*.txt///D-[abc///-[]");
    EXPECT_FALSE(f.isValid());
    EXPECT_EQ(f.errorText(), QStringLiteral("'[]' is an invalid mask at (2)")); // exclude list comes first
    EXPECT_EQ(f.maskErrorText(), f.errorText());

    // The entry's own problem comes before its masks'.
    const SourceFilter both = filterFor("///+[");
    EXPECT_FALSE(both.isValid());
    EXPECT_EQ(both.errorText(), QStringLiteral("the record names no path"));
    EXPECT_EQ(both.maskErrorText(), QStringLiteral("'[' is an invalid mask at (2)"));

    EXPECT_TRUE(SourceFilter().isValid());
}
