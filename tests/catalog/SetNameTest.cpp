#include "core/catalog/SetName.h"

#include "core/util/Clock.h"

#include <gtest/gtest.h>
#include <QStringList>

using namespace ombrix;

namespace {

class FakeClock : public ::testing::Test
{
  protected:
    void TearDown() override { Clock::clearFake(); }
};

} // namespace

TEST_F(FakeClock, SetNameComesFromTheLocalClock)
{
    // 20:07:09 UTC seen one hour east of UTC.
    Clock::setFake(QDateTime(QDate(2014, 3, 5), QTime(20, 7, 9), Qt::UTC), 3600, false);
    const QString name = SetName::now();
    EXPECT_EQ(name, QStringLiteral("OMX_2014-03-05_21-07-09"));
    EXPECT_EQ(name.size(), SetName::length);
    EXPECT_TRUE(SetName::isValid(name));

    // Across midnight, single digits padded, 24-hour clock.
    Clock::setFake(QDateTime(QDate(2020, 12, 31), QTime(23, 4, 5), Qt::UTC), 3600, false);
    EXPECT_EQ(SetName::now(), QStringLiteral("OMX_2021-01-01_00-04-05"));
    Clock::setFake(QDateTime(QDate(2021, 6, 1), QTime(13, 0, 0), Qt::UTC), -5 * 3600, true);
    EXPECT_EQ(SetName::now(), QStringLiteral("OMX_2021-06-01_08-00-00"));
    EXPECT_EQ(Clock::utcOffsetSeconds(), -5 * 3600);
    EXPECT_TRUE(Clock::isDaylightTime());
}

TEST_F(FakeClock, AdvancesAndClears)
{
    const QDateTime start(QDate(2014, 3, 5), QTime(20, 7, 9), Qt::UTC);
    Clock::setFake(start, 0, false);
    Clock::advanceFake(61);
    EXPECT_EQ(Clock::currentDateTimeUtc(), start.addSecs(61));
    EXPECT_EQ(SetName::now(), QStringLiteral("OMX_2014-03-05_20-08-10"));

    Clock::clearFake();
    const QDateTime real = Clock::currentDateTimeUtc();
    EXPECT_LT(qAbs(real.secsTo(QDateTime::currentDateTimeUtc())), 5);
    EXPECT_TRUE(SetName::isValid(SetName::now()));
}

TEST(SetName, AlphabeticalOrderIsChronological)
{
    const QList<QDateTime> times = {
        QDateTime(QDate(2014, 3, 5), QTime(21, 7, 9)),     QDateTime(QDate(2014, 3, 5), QTime(9, 7, 9)),
        QDateTime(QDate(2013, 12, 31), QTime(23, 59, 59)), QDateTime(QDate(2014, 10, 1), QTime(0, 0, 0)),
        QDateTime(QDate(2014, 3, 5), QTime(21, 7, 10)),
    };
    QList<QDateTime> sortedTimes = times;
    std::sort(sortedTimes.begin(), sortedTimes.end());
    QStringList names;
    for (const QDateTime& t : times)
        names << SetName::fromDateTime(t);
    names.sort();
    for (qsizetype i = 0; i < names.size(); ++i)
        EXPECT_EQ(names[i], SetName::fromDateTime(sortedTimes[i]));
}

TEST(SetName, Validity)
{
    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("OMX_2014-03-05_21-07-09"), true},
        {QStringLiteral("OMX_2016-02-29_00-00-00"), true},
        {QStringLiteral("OMX_2015-02-29_00-00-00"), false}, // no such day
        {QStringLiteral("OMX_2014-03-05_24-00-00"), false},
        {QStringLiteral("OMX_2014-03-05_21-07-60"), false},
        {QStringLiteral("OMX_2014-13-05_21-07-09"), false},
        {QStringLiteral("omx_2014-03-05_21-07-09"), false},
        {QStringLiteral("OMX_2014-03-05_21-07-0"), false},
        {QStringLiteral("OMX_2014-03-05_21-07-090"), false},
        {QStringLiteral("OMX_2014-03-05 21-07-09"), false},
        {QStringLiteral("OMX_2014-03-05_21:07:09"), false},
        {QStringLiteral("OMX_2O14-03-05_21-07-09"), false},
        {QStringLiteral("OMX_"), false},
        {QString(), false},
        {QString(23, QChar(0)), false},
    };
    for (const auto& [name, valid] : cases)
        EXPECT_EQ(SetName::isValid(name), valid) << name.toStdString();
    EXPECT_EQ(SetName::toDateTime(u"OMX_2014-03-05_21-07-09"),
              QDateTime(QDate(2014, 3, 5), QTime(21, 7, 9), Qt::UTC));
    EXPECT_EQ(SetName::withoutPrefix(QStringLiteral("OMX_2014-03-05_21-07-09")),
              QStringLiteral("2014-03-05_21-07-09"));
    EXPECT_EQ(SetName::withoutPrefix(QStringLiteral("other")), QStringLiteral("other"));
}
