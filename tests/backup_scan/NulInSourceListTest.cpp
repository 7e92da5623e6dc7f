#include "core/log/LogLines.h"
#include "core/sources/SourcesFile.h"
#include "ScanFixture.h"

#include <QFile>

namespace ombrix::test {
namespace {

using NulInSourceListTest = ScanFixture;

// A NUL byte inside a sources.txt line was dropped on reading, so "/x/b<NUL>c" backed up the
// folder "/x/bc" that the line does not name. The line is an invalid record now.
TEST_F(NulInSourceListTest, LineWithANulIsAnInvalidRecordNotAnotherFolder)
{
    makeFile("bc/secret.txt");
    makeFile("kept/a.txt");
    const QString file = m_dir.path() + QStringLiteral("/sources.txt");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("\xEF\xBB\xBF");
        out.write(QFile::encodeName(at("b")) + QByteArray("\0c\r\n", 4));
        out.write(QFile::encodeName(at("kept")) + "\r\n");
    }
    const SourcesFile::ReadResult sources = SourcesFile::read(file);
    ASSERT_TRUE(sources.ok);
    ASSERT_EQ(sources.lines.size(), 2);

    const QString logged = logline::invalidRecord + at("b") + QStringLiteral("\\0c");
    for (bool skip : {false, true}) {
        SCOPED_TRACE(skip ? "skipping invalid records" : "stopping at invalid records");
        m_log.clear();
        m_state = RunState{};
        SourceScanner::Options options;
        options.skipInvalidEntries = skip;
        const ScanResult result = scan(sources.lines, options);
        for (const ScannedFile& f : result.files)
            EXPECT_FALSE(f.path.startsWith(at("bc"))) << f.path.toStdString();
        EXPECT_EQ(m_log.logBuffer(), QStringList{logged});
        EXPECT_EQ(result.runStatus, skip ? RunWarnings : RunSourceListError);
        EXPECT_EQ(result.stopRequested, !skip);
        if (skip) {
            EXPECT_EQ(relativeFiles(result), QStringList{QStringLiteral("kept/a.txt")});
        }
    }
}

} // namespace
} // namespace ombrix::test
