#include "core/util/Md5.h"

#include <gtest/gtest.h>

using namespace ombrix;

namespace {

TEST(Md5, DigestOfTheSevenBitTextInUpperCaseHex)
{
    const struct
    {
        const char* text; // UTF-8
        const char* digest;
    } cases[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"}, // the digest of the empty input
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"The quick brown fox jumps over the lazy dog", "9E107D9D372BB6826BD81D3542A419D6"},
        // A national character is digested as "?": "ř" as "?", "Heslořek" as "Heslo?ek".
        {"ř", "D1457B72C3FB323A2671125AEF3EAB5D"},
        {"?", "D1457B72C3FB323A2671125AEF3EAB5D"},
        {"Heslořek", "1D7EC9B5C86CFD1FA7BC0DFDF5560FD6"},
        {"Hesložek", "1D7EC9B5C86CFD1FA7BC0DFDF5560FD6"},
        // Below 256 but outside 7-bit ASCII: still "?", not the Latin-1 byte.
        {"café", "333027B148FC48B3494F9B895F9C857A"},
        // One "?" per character, also for one outside the basic plane (two UTF-16 halves).
        {"řš", "EA03FCB8C47822BCE772CF6C07D0EBBB"},
        {"a\xF0\x9F\x98\x80"
         "b",
         "0166D849F21A9D699D896EA2A79A375F"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MD5(QString::fromUtf8(c.text)), QLatin1String(c.digest)) << c.text;
}

} // namespace
