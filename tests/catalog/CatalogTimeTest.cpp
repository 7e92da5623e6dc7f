#include "core/catalog/CatalogTime.h"

#include <gtest/gtest.h>

using namespace ombrix;

namespace {

QDateTime utc(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

struct TimeCase
{
    QDateTime lastWrite;
    int offset;
    bool subtractDaylightHour;
    QString expected;
};

} // namespace

TEST(CatalogTime, FromFileTime)
{
    const TimeCase cases[] = {
        {utc(2014, 3, 5, 20, 7, 8), 3600, false, QStringLiteral("2014-03-05-21-07-08")},
        // two-second resolution: odd seconds go down, milliseconds are dropped
        {utc(2014, 3, 5, 9, 15, 31), 3600, false, QStringLiteral("2014-03-05-10-15-30")},
        {utc(2014, 3, 5, 9, 15, 59).addMSecs(999), 3600, false, QStringLiteral("2014-03-05-10-15-58")},
        // daylight time on at start (offset +2 h): a folder-scanned file written at 14:00 local
        // is recorded as 13:00; the same file named directly as a source keeps 14:00
        {utc(2014, 7, 1, 12, 0, 0), 7200, true, QStringLiteral("2014-07-01-13-00-00")},
        {utc(2014, 7, 1, 12, 0, 0), 7200, false, QStringLiteral("2014-07-01-14-00-00")},
        // the offset of the program start applies, not the one in force at the file's date
        {utc(2014, 1, 10, 12, 0, 0), 7200, false, QStringLiteral("2014-01-10-14-00-00")},
        {utc(2014, 1, 1, 2, 0, 0), -5 * 3600, false, QStringLiteral("2013-12-31-21-00-00")},
        // the range the format can hold
        {utc(1980, 1, 1, 0, 0, 0), 0, false, QStringLiteral("1980-01-01-00-00-00")},
        {utc(1980, 1, 1, 0, 0, 0), 0, true, QString()},
        {utc(1970, 1, 1, 0, 0, 0), 0, false, QString()},
        {utc(2107, 12, 31, 23, 59, 59), 0, false, QStringLiteral("2107-12-31-23-59-58")},
        {utc(2107, 12, 31, 23, 0, 0), 3600, false, QString()},
        {QDateTime(), 0, false, QString()},
    };
    for (const TimeCase& c : cases) {
        EXPECT_EQ(CatalogTime::fromFileTime(c.lastWrite, c.offset, c.subtractDaylightHour), c.expected)
            << c.lastWrite.toString(Qt::ISODateWithMs).toStdString();
    }
}

TEST(CatalogTime, AnyTimeSpecDenotesItsMoment)
{
    const QDateTime moment = utc(2014, 3, 5, 20, 7, 8);
    EXPECT_EQ(CatalogTime::fromFileTime(moment.toOffsetFromUtc(-3 * 3600), 3600, false),
              QStringLiteral("2014-03-05-21-07-08"));
    EXPECT_EQ(CatalogTime::fromFileTime(moment.toLocalTime(), 3600, false),
              QStringLiteral("2014-03-05-21-07-08"));
}

TEST(CatalogTime, Validity)
{
    EXPECT_TRUE(CatalogTime::isValid(u"2014-03-05-21-07-08"));
    EXPECT_FALSE(CatalogTime::isValid(u"2014-03-05-21-07-0"));
    EXPECT_FALSE(CatalogTime::isValid(u"2014-03-05_21-07-08"));
    EXPECT_FALSE(CatalogTime::isValid(u"2014-02-30-21-07-08"));
    EXPECT_FALSE(CatalogTime::isValid(u"2014-03-05-25-07-08"));
    EXPECT_FALSE(CatalogTime::isValid(u"2014-03-05-21-07-0x"));
    EXPECT_FALSE(CatalogTime::isValid(u""));
}
