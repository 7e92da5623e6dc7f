#include "core/log/LogLines.h"
#include "core/log/RunLog.h"
#include "core/text/TextFile.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>

using namespace ombrix;
using ombrix::test::TempProgramFolder;

// A file name may hold a line break (or, from a damaged list, a NUL). Written as it is, it split
// its log line in two, and the second half read as a line of its own.
TEST(RunLog, LineBreaksAndNulInALineAreWrittenEscaped)
{
    TempProgramFolder home;
    RunLog log(home.file(QStringLiteral("log.txt")));
    ASSERT_TRUE(log.startRun(QStringLiteral("OMX_2024-03-05_07-08-09")));
    const QString path = QStringLiteral("/home/jan/line\nbreak\r\nname") + QChar(0) + QStringLiteral(".txt");
    ASSERT_TRUE(log.dologu(logline::notArchived + path));
    ASSERT_TRUE(log.dologu(QStringLiteral("next")));

    const QString escaped = logline::notArchived + QStringLiteral("/home/jan/line\\nbreak\\r\\nname\\0.txt");
    EXPECT_EQ(log.logBuffer().size(), 4);
    EXPECT_EQ(log.logBuffer().at(2), escaped);
    const QStringList saved = TextFile::readLines(log.path()).lines;
    ASSERT_EQ(saved.size(), 4);
    EXPECT_EQ(saved.at(2), escaped);
    EXPECT_EQ(saved.at(3), QStringLiteral("next"));
    // Everything else is written as given, backslashes included.
    EXPECT_EQ(RunLog::asOneLine(QStringLiteral("C:\\data\\n.txt")), QStringLiteral("C:\\data\\n.txt"));
}
