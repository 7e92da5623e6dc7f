#include "core/log/LogLines.h"
#include "core/text/TextFile.h"
#include "ScanFixture.h"

#include <cstring>
#include <QFile>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace ombrix::test {
namespace {

class NotArchivedReportTest : public ScanFixture
{
  protected:
    void makeFifo(const QString& relative) const
    {
        ASSERT_EQ(::mkfifo(QFile::encodeName(at(relative)).constData(), 0600), 0) << relative.toStdString();
    }
    // A Unix socket file, as a running program leaves one in its folder.
    void makeSocket(const QString& relative) const
    {
        const QByteArray path = QFile::encodeName(at(relative));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(path.size(), qsizetype(sizeof(address.sun_path)));
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
        ::close(fd);
        ASSERT_EQ(bound, 0);
    }
    void link(const QString& target, const QString& relative) const
    {
        ASSERT_TRUE(QFile::link(target, at(relative))) << relative.toStdString();
    }
    QString line(const QString& relative, const char* reason) const
    {
        return logline::notArchived + at(relative) + QStringLiteral(" (") + QLatin1String(reason) +
               QLatin1Char(')');
    }
    QStringList sortedLog() const
    {
        QStringList lines = m_log.logBuffer();
        lines.sort();
        return lines;
    }
};

// Links to folders, dangling and looping links, pipes, sockets and devices were left out without
// a word. Each is now logged once with its reason, and the run warns.
TEST_F(NotArchivedReportTest, EachLeftOutEntryIsLoggedOnceWithItsReason)
{
    makeFile("real.txt");
    makeFile("../outside/z.txt");
    makeFolder("sub");
    link(m_dir.path() + "/outside", "linkdir");
    link(m_dir.path() + "/nowhere", "dangling");
    link(at("sub/self"), "sub/self"); // points at itself
    makeFifo("pipe");
    link(at("pipe"), "pipelink");
    makeSocket("sub/sock");
    link(QStringLiteral("/dev/null"), "devlink");
    makeFifo("two\nlines");

    // The folder and one of its subfolders both listed: still one line per entry.
    const ScanResult result = scan({root(), at("sub")});

    EXPECT_EQ(relativeFiles(result), QStringList({"real.txt"}));
    EXPECT_EQ(result.runStatus, RunWarnings);
    QStringList expected{line("linkdir", "link to a folder"),
                         line("dangling", "dangling link"),
                         line("sub/self", "link loop"),
                         line("pipe", "named pipe"),
                         line("pipelink", "link to a named pipe"),
                         line("sub/sock", "socket"),
                         line("devlink", "link to a device")};
    // A line break in a name is written escaped: the entry stays one line of the log.
    expected << logline::notArchived + at("two") + QStringLiteral("\\nlines (named pipe)");
    expected.sort();
    EXPECT_EQ(sortedLog(), expected);

    ASSERT_TRUE(m_log.save());
    const QStringList saved = TextFile::readLines(m_log.path()).lines;
    EXPECT_EQ(saved.size(), expected.size());
}

// Only what the entry's masks would have taken is reported: names the include or exclude masks
// leave out, and links to folders the folder masks (or "R-") would not have entered, stay quiet.
TEST_F(NotArchivedReportTest, MasksDecideWhatIsReported)
{
    makeFile("a.txt");
    makeFile("../outside/z.txt");
    makeFifo("skipped.fifo");
    makeFifo("taken.txt");
    link(m_dir.path() + "/outside", "Temp");
    link(m_dir.path() + "/outside", "Projects");

    scan({root() + "///+*.txt///D-Temp"});
    EXPECT_EQ(sortedLog(),
              QStringList({line("Projects", "link to a folder"), line("taken.txt", "named pipe")}));

    m_log.clear();
    scan({root() + "///-*.fifo///R-"});
    EXPECT_EQ(sortedLog(), QStringList({line("taken.txt", "named pipe")}));
}

} // namespace
} // namespace ombrix::test
