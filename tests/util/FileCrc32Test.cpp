#include "core/util/FileCrc32.h"

#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace ombrix;
using ombrix::test::TempProgramFolder;

namespace {

TEST(FileCrc32, KnownCheckValue)
{
    TempProgramFolder home;
    home.write("check.bin", "123456789");
    EXPECT_EQ(fileCrc32(home.file("check.bin")), 0xCBF43926u);
}

TEST(FileCrc32, UnreadableGivesZero)
{
    TempProgramFolder home;
    EXPECT_EQ(fileCrc32(home.file("missing.bin")), 0u);
    EXPECT_EQ(fileCrc32(home.path()), 0u); // a folder
    home.write("empty.bin", QByteArray());
    EXPECT_EQ(fileCrc32(home.file("empty.bin")), 0u);
}

TEST(FileCrc32, FileSpanningSeveralBlocksMatchesOnePass)
{
    TempProgramFolder home;
    QByteArray bytes;
    for (int i = 0; i < 3 * 65521 + 17; ++i)
        bytes += char((i * 7919) % 251);
    home.write("big.bin", bytes);
    const uLong whole = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.constData()),
                              static_cast<uInt>(bytes.size()));
    EXPECT_EQ(fileCrc32(home.file("big.bin")), static_cast<quint32>(whole));
    EXPECT_NE(whole, 0u);
}

} // namespace
