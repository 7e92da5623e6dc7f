#include "core/util/VersionCompare.h"

#include <gtest/gtest.h>

using namespace ombrix;

namespace {

struct Case
{
    const char* s1;
    const char* s2;
    int expected;
};

TEST(VersionCompare, Table)
{
    const Case cases[] = {
        {"1.8.9.0", "1.8.10.0", -1}, // numbers, not text
        {"1.8.10.0", "1.8.9.0", 1},
        {"1.8.40.1", "1.8.40.1", 0},
        {"2.0.0.0", "1.9.99.99", 1},
        {"1.8.40", "1.8.40.1", 0}, // extra parts of s2 are not looked at
        {"1.8.40", "1.8.41.0", -1},
        {"1.8.40.1", "1.8.40", 1}, // a part s2 lacks counts as 0
        {"1.8.40.0", "1.8.40", 0},
        {"0.1.0", "abc", 1}, // garbage never looks newer
        {"1.2.3.4", "<html>", 1},
        {"1.2.3.4", "1.x.3.4", 1},
        {"1.2.3.4", "1.-5.3.4", 1},
        {"1.2.3.4", "1.2.3.4\r", 0},
        {"1.2.3.4", "", 1},
        {"", "", 0},
        {"1.2.3.4", "1.2.3.99999999999999999999999", 1}, // too large a number counts as 0
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VersionCompare(QString::fromLatin1(c.s1), QString::fromLatin1(c.s2)), c.expected)
            << c.s1 << " vs " << c.s2;
    }
}

} // namespace
