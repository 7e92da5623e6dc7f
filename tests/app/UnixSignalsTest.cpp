#include "platform/UnixSignals.h"

#include <csignal>
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>

using namespace ombrix;

namespace {

// Handles events until the condition holds or a generous limit passes (not a timing test).
template <typename Condition> bool processUntil(Condition condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return condition();
}

} // namespace

TEST(UnixSignals, TermAndUsr1ArriveAsQtSignalsInTheEventLoop)
{
    platform::UnixSignals handler;
    ASSERT_TRUE(handler.install());
    int terminate = 0;
    int show = 0;
    QObject::connect(&handler, &platform::UnixSignals::terminateRequested, [&] { ++terminate; });
    QObject::connect(&handler, &platform::UnixSignals::showRequested, [&] { ++show; });

    ::raise(SIGUSR1);
    ::raise(SIGUSR1);
    // Nothing happens inside the handler: the Qt signals come from the event loop.
    EXPECT_EQ(show, 0);
    EXPECT_TRUE(processUntil([&] { return show == 2; }))
        << "two SIGUSR1 did not arrive as two shows within 10 s";
    ::raise(SIGTERM);
    EXPECT_TRUE(processUntil([&] { return terminate == 1; })) << "SIGTERM did not arrive within 10 s";
    EXPECT_EQ(show, 2);

    // A second object cannot take the handlers over while the first holds them.
    platform::UnixSignals second;
    EXPECT_FALSE(second.install());
}

TEST(UnixSignals, UninstalledOnDestructionAndInstallableAgain)
{
    {
        platform::UnixSignals first;
        ASSERT_TRUE(first.install());
    }
    platform::UnixSignals again;
    EXPECT_TRUE(again.install());
    struct sigaction current = {};
    ::sigaction(SIGUSR1, nullptr, &current);
    EXPECT_NE(current.sa_handler, SIG_DFL);
}
