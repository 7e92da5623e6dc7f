#include "core/log/Status.h"

#include "support/RecordingHost.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QThread>

using namespace ombrix;
using ombrix::test::RecordingHost;

namespace {

// A text of the given length whose characters tell their position, so a wrong cut shows.
QString numbered(int length)
{
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(u'A' + i % 26);
    return text;
}

struct ShortenCase
{
    Page page;
    int length;
    int shownLength; // without the two leading blanks
};

class StatusShortening : public ::testing::TestWithParam<ShortenCase>
{
};

TEST_P(StatusShortening, KeepsHeadAndTailAroundDots)
{
    const ShortenCase c = GetParam();
    const QString text = numbered(c.length);
    const QString shown = statusText(c.page, text);
    ASSERT_TRUE(shown.startsWith(QStringLiteral("  ")));
    const QString body = shown.mid(2);
    EXPECT_EQ(body.size(), c.shownLength);
    if (c.length <= statusLimit(c.page)) {
        EXPECT_EQ(body, text);
    } else {
        const int tail = c.shownLength - 13;
        EXPECT_EQ(body, text.left(10) + QStringLiteral("...") + text.right(tail));
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, StatusShortening,
                         ::testing::Values(ShortenCase{Page::Backup, 0, 0}, ShortenCase{Page::Backup, 55, 55},
                                           ShortenCase{Page::Backup, 56, 59},
                                           ShortenCase{Page::Backup, 300, 59},
                                           ShortenCase{Page::Restore, 52, 52},
                                           ShortenCase{Page::Restore, 53, 56},
                                           ShortenCase{Page::Merge, 50, 50}, ShortenCase{Page::Merge, 51, 54},
                                           ShortenCase{Page::Merge, 120, 54}));

TEST(Status, FiftySixCharactersComeOutAsTheWholeTextWithDotsInserted)
{
    const QString text = numbered(56);
    EXPECT_EQ(statusText(Page::Backup, text), QStringLiteral("  ") + text.left(10) + "..." + text.mid(10));
}

TEST(Status, EachChannelShowsOnItsPageAndPumpsOnceAfterShowing)
{
    RecordingHost host;
    QString seenAtPump;
    host.setPumpHook([&] { seenAtPump = host.currentStatus(Page::Merge); });

    info(host, QStringLiteral("záloha"));
    info2(host, QStringLiteral("obnova"));
    info3(host, QStringLiteral("sloučení"));

    EXPECT_EQ(host.currentStatus(Page::Backup), QStringLiteral("  záloha"));
    EXPECT_EQ(host.currentStatus(Page::Restore), QStringLiteral("  obnova"));
    EXPECT_EQ(host.currentStatus(Page::Merge), QStringLiteral("  sloučení"));
    EXPECT_EQ(host.pumpCount(), 3);
    EXPECT_EQ(seenAtPump, QStringLiteral("  sloučení"));
}

TEST(Status, InfoAndInfo2ClearTheHintInfo3LeavesIt)
{
    RecordingHost host;
    host.setStatusHint(Page::Backup, QStringLiteral("/home/a/file.txt"));
    host.setStatusHint(Page::Restore, QStringLiteral("/home/a/file.txt"));
    host.setStatusHint(Page::Merge, QStringLiteral("/home/a/file.txt"));

    info(host, QStringLiteral("x"));
    info2(host, QStringLiteral("x"));
    info3(host, QStringLiteral("x"));

    EXPECT_EQ(host.currentHint(Page::Backup), QString());
    EXPECT_EQ(host.currentHint(Page::Restore), QString());
    EXPECT_EQ(host.currentHint(Page::Merge), QStringLiteral("/home/a/file.txt"));
}

TEST(Status, SemaforLightsOnlyKnownStates)
{
    RecordingHost host;
    const int given[] = {2, 0, 1, 3, 4, -1, 2, 99};
    for (int stav : given)
        semafor(host, stav);
    EXPECT_EQ(host.trafficLights(), (std::vector<int>{2, 0, 1, 3, 0, 0, 2, 0}));
}

TEST(Status, SleepXWithZeroReturnsWithoutPumping)
{
    RecordingHost host;
    sleepX(host, 0);
    sleepX(host, -5);
    EXPECT_EQ(host.pumpCount(), 0);
}

// sleepX keeps the window alive for the whole pause (STOP pressed meanwhile does not shorten it:
// sleepX knows no run state) and returns once its time is up. Each pump here takes at least
// 20 ms, so the pumps are counted against the wait instead of timing it: a wait of 400 ms has
// room for at most 21 of them, and a second one follows as long as the first one left time over.
TEST(Status, SleepXPumpsUntilTheTimeIsUp)
{
    constexpr int waitMs = 400;
    constexpr int pumpMs = 20;
    RecordingHost host;
    host.setPumpHook([] { QThread::msleep(pumpMs); });
    QElapsedTimer timer;
    timer.start();
    sleepX(host, waitMs);
    const qint64 elapsed = timer.elapsed();
    EXPECT_GE(host.pumpCount(), 2) << "sleepX stopped pumping after its first pump with time left";
    EXPECT_LE(host.pumpCount(), waitMs / pumpMs + 1) << "sleepX went on pumping after its time was up";
    // It never returns early, however fast the machine.
    EXPECT_GE(elapsed, waitMs) << "sleepX returned before its time was up";
}

// A pump that outlasts the whole wait is the last one: the time is up when it returns.
TEST(Status, SleepXEndsAfterAPumpThatOutlastsTheWait)
{
    RecordingHost host;
    host.setPumpHook([] { QThread::msleep(60); });
    sleepX(host, 30);
    EXPECT_EQ(host.pumpCount(), 1) << "sleepX pumped again although its time was up";
}

} // namespace
