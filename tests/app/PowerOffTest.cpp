#include "platform/PowerOff.h"

#include <gtest/gtest.h>

#include <QByteArray>

using namespace ombrix;

// The real request is never made here: the command is replaced by true(1) and false(1), which
// shows that the result follows whether the system accepted the request.
TEST(PowerOff, ResultFollowsTheCommandsAnswer)
{
    qputenv("OMBRIX_POWEROFF_COMMAND", "true");
    EXPECT_TRUE(platform::WindowsExit(platform::powerOffForced));
    qputenv("OMBRIX_POWEROFF_COMMAND", "false");
    EXPECT_FALSE(platform::WindowsExit(platform::powerOffForced));
    qputenv("OMBRIX_POWEROFF_COMMAND", "/no/such/program");
    EXPECT_FALSE(platform::WindowsExit(platform::powerOffForced));
    qunsetenv("OMBRIX_POWEROFF_COMMAND");
}
