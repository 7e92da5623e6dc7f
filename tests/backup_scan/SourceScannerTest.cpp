#include "backup/SourceScanner.h"

#include "backup/CatalogBuilder.h"
#include "core/catalog/CatalogOrder.h"
#include "core/log/LogLines.h"
#include "core/log/Status.h"
#include "platform/FileSystemInfo.h"
#include "ScanFixture.h"

#include <fcntl.h>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

using namespace ombrix;
using ombrix::test::ScanFixture;

namespace {

const QString setName = QStringLiteral("OMX_2024-01-01_10-00-00");

} // namespace

using SourceScannerTest = ScanFixture;

TEST_F(SourceScannerTest, MasksAndFolderExclusionsApplyAtEveryDepth)
{
    makeFile("a.txt");
    makeFile("b.doc");
    makeFile(".hidden.txt");
    makeFile("Temp/x.txt");
    makeFile("sub/temp/y.txt");
    makeFile("sub/Temporary/t.txt");
    makeFile("sub/c.txt");
    makeFile("sub/copy-skip.txt");
    makeFile("sub/deep/D.TXT");
    makeFile("sub/deep/movie.mp4");
    makeFile(".config/settings.txt");

    const ScanResult result = scan({root() + "///+*.txt///+*.mp4///-copy*///D-Temp///X*.mp4"});

    EXPECT_EQ(relativeFiles(result),
              QStringList({".config/settings.txt", ".hidden.txt", "a.txt", "sub/Temporary/t.txt", "sub/c.txt",
                           "sub/deep/D.TXT", "sub/deep/movie.mp4|plain"}));
    EXPECT_EQ(result.runStatus, RunOk);
    EXPECT_FALSE(result.stopRequested);
    EXPECT_TRUE(result.missingStorages.isEmpty());
}

TEST_F(SourceScannerTest, WithoutSubfoldersOnlyTheFolderItselfIsScanned)
{
    makeFile("a.txt");
    makeFile("sub/b.txt");
    makeFile("sub/deeper/c.txt");

    EXPECT_EQ(relativeFiles(scan({root() + "///R-"})), QStringList({"a.txt"}));
    // The same folder written with a trailing separator gives the same paths.
    EXPECT_EQ(relativeFiles(scan({root() + "/"})), QStringList({"a.txt", "sub/b.txt", "sub/deeper/c.txt"}));
}

TEST_F(SourceScannerTest, LinksToFilesAreTakenLinksToFoldersAndSpecialFilesAreNot)
{
    makeFile("real.txt");
    makeFile("../outside/z.txt");
    makeFolder("sub");
    ASSERT_TRUE(QFile::link(at("real.txt"), at("link.txt")));
    ASSERT_TRUE(QFile::link(m_dir.path() + "/outside", at("linkdir")));
    ASSERT_TRUE(QFile::link(m_dir.path() + "/nowhere", at("dangling")));
    ASSERT_TRUE(QFile::link(root(), at("sub/loop"))); // a loop back to the top
    ASSERT_EQ(::mkfifo(QFile::encodeName(at("pipe")).constData(), 0600), 0);

    const ScanResult result = scan({root()});

    EXPECT_EQ(relativeFiles(result), QStringList({"link.txt", "real.txt"}));
    // What is left out is logged (NotArchivedReportTest has the lines), so the run warns.
    EXPECT_EQ(result.runStatus, RunWarnings);
    EXPECT_EQ(m_log.logBuffer().size(), 4);
    // The link is recorded with the time of the file it points to.
    for (const ScannedFile& f : result.files)
        EXPECT_EQ(f.time, QStringLiteral("2023-07-01-12-00-00"));
}

TEST_F(SourceScannerTest, MissingStorageAndInvalidRecordsFollowTheSkipOption)
{
    makeFile("a.txt");
    const QString missingMedium = QStringLiteral("/mnt/ombrix-test-no-such-medium-4711");
    const QStringList lines = {
        at("no-such-folder"),      // present storage, missing path: invalid
        missingMedium + "/Data",   // removable medium not attached: missing storage
        QStringLiteral("E:/Data"), // a drive-style prefix that is not there: missing storage
        root() + "///+[",          // an invalid mask: invalid
        QString(),                 // blank lines select nothing
        QStringLiteral("   "),
        root(),
    };

    struct Case
    {
        bool skip;
        int runStatus;
        bool stop;
    };
    for (const Case c : {Case{true, RunWarnings, false}, Case{false, RunSourceListError, true}}) {
        SCOPED_TRACE(c.skip ? "skip on" : "skip off");
        m_log.clear();
        m_state = {};
        SourceScanner::Options options;
        options.skipInvalidEntries = c.skip;
        const ScanResult result = scan(lines, options);

        EXPECT_EQ(result.runStatus, c.runStatus); // a later missing storage does not lower it
        EXPECT_EQ(result.stopRequested, c.stop);
        EXPECT_EQ(m_state.stopRequested, c.stop);
        EXPECT_EQ(result.missingStorages, QSet<QString>({missingMedium, QStringLiteral("E:")}));
        EXPECT_EQ(m_log.logBuffer(), QStringList({
                                         logline::invalidRecord + at("no-such-folder"),
                                         logline::missingStorage + missingMedium + "/Data",
                                         logline::missingStorage + "E:/Data",
                                         logline::invalidRecord + root(),
                                     }));
        // The valid entry is still scanned whole.
        EXPECT_EQ(relativeFiles(result), QStringList({"a.txt"}));
    }
}

TEST_F(SourceScannerTest, DaylightHourIsTakenOffFolderFilesOnly)
{
    const QDateTime written(QDate(2023, 7, 1), QTime(12, 0, 0), QTimeZone::utc());
    makeFile("folder/f.txt", written);
    const QString single = makeFile("single.txt", written);
    const QStringList lines = {at("folder"), single};

    struct Case
    {
        qint64 offset;
        bool daylight;
        const char* folderTime;
        const char* singleTime;
    };
    const Case cases[] = {
        {7200, true, "2023-07-01-13-00-00", "2023-07-01-14-00-00"},
        {3600, false, "2023-07-01-13-00-00", "2023-07-01-13-00-00"},
        {0, false, "2023-07-01-12-00-00", "2023-07-01-12-00-00"},
        {-5 * 3600, true, "2023-07-01-06-00-00", "2023-07-01-07-00-00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        const ScanResult result = scan(lines, {false, c.offset, c.daylight});
        ASSERT_EQ(result.files.size(), 2);
        for (const ScannedFile& f : result.files) {
            EXPECT_EQ(f.time, QLatin1String(f.path == single ? c.singleTime : c.folderTime))
                << qPrintable(f.path);
            EXPECT_FALSE(f.plainCopy);
        }
    }
}

TEST_F(SourceScannerTest, TimesKeepTwoSecondStepsAndPinOutOfRangeDates)
{
    makeFile("odd.txt", QDateTime(QDate(2014, 3, 5), QTime(10, 15, 31), QTimeZone::utc()));
    makeFile("old.txt", QDateTime(QDate(1970, 1, 2), QTime(0, 0, 0), QTimeZone::utc()));
    const ScanResult result = scan({root()});
    ASSERT_EQ(result.files.size(), 2);
    for (const ScannedFile& f : result.files) {
        if (f.path.endsWith("odd.txt"))
            EXPECT_EQ(f.time, QStringLiteral("2014-03-05-10-15-30"));
        else
            EXPECT_EQ(f.time, QStringLiteral("1980-01-01-00-00-00")); // still backed up
    }
    SourceScanner scanner(m_host, m_log, m_state, {});
    EXPECT_TRUE(scanner.catalogTimeOf(at("gone.txt"), true).isEmpty());
}

TEST_F(SourceScannerTest, SingleFileEntryIgnoresMasksAndIsAlwaysCompressed)
{
    const QString movie = makeFile("movie.mp4");
    const ScanResult result = scan({movie + "///+*.txt///X*.mp4"});
    ASSERT_EQ(result.files.size(), 1);
    EXPECT_EQ(result.files.at(0).path, movie);
    EXPECT_FALSE(result.files.at(0).plainCopy);
}

TEST_F(SourceScannerTest, UnreadableSingleFileIsAnInvalidRecord)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const QString secret = makeFile("secret.txt");
    ASSERT_TRUE(QFile::setPermissions(secret, QFileDevice::WriteOwner));
    SourceScanner::Options options;
    options.skipInvalidEntries = true;
    const ScanResult result = scan({secret}, options);
    EXPECT_TRUE(result.files.isEmpty());
    EXPECT_EQ(m_log.logBuffer(), QStringList({logline::invalidRecord + secret}));
    EXPECT_EQ(result.runStatus, RunWarnings);
}

TEST_F(SourceScannerTest, NameNotInTheLocaleEncodingIsReportedNotRecorded)
{
    makeFile("good.txt");
    const QByteArray bad = QFile::encodeName(root()) + "/bad\xff.txt";
    const int fd = ::open(bad.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);

    const ScanResult result = scan({root()});
    EXPECT_EQ(relativeFiles(result), QStringList({"good.txt"}));
    ASSERT_EQ(m_log.logBuffer().size(), 1);
    EXPECT_TRUE(m_log.logBuffer().at(0).startsWith(logline::notArchived + root() + "/bad"));
    EXPECT_EQ(result.runStatus, RunWarnings);
    ::unlink(bad.constData()); // the temporary folder's clean-up cannot name it
}

TEST_F(SourceScannerTest, OverlappingEntriesGiveOneLineUnlessTheirPlainCopyMasksDiffer)
{
    makeFile("top.txt");
    makeFile("sub/a.txt");
    makeFile("sub/clip.mp4");
    const CatalogOrder order;

    const ScanResult same = scan({root(), at("sub")});
    const QStringList sameCatalog = buildCatalog(same.files, setName, order, m_host);
    EXPECT_EQ(sameCatalog.size(), 3);

    const ScanResult differ = scan({root() + "///X*.mp4", at("sub")});
    const QStringList catalog = buildCatalog(differ.files, setName, order, m_host);
    EXPECT_EQ(catalog, QStringList({
                           "\"" + at("sub/a.txt") + "\";\"2023-07-01-12-00-00\";\"" + setName + "\"",
                           "\"" + at("sub/clip.mp4") + "\";\"2023-07-01-12-00-00\";\"" + setName + "\"",
                           "\"" + at("sub/clip.mp4") + "\";\"X\";\"2023-07-01-12-00-00\";\"" + setName + "\"",
                           "\"" + at("top.txt") + "\";\"2023-07-01-12-00-00\";\"" + setName + "\"",
                       }));
}

TEST_F(SourceScannerTest, EmptyFoldersGiveAnEmptyCatalog)
{
    makeFolder("one/two/three");
    makeFolder("other");
    const ScanResult result = scan({at("one"), at("other")});
    EXPECT_TRUE(result.files.isEmpty());
    EXPECT_EQ(result.runStatus, RunOk);
    EXPECT_TRUE(buildCatalog(result.files, setName, CatalogOrder(), m_host).isEmpty());
}

TEST_F(SourceScannerTest, ReportsProgressPerSourceLineAndPumps)
{
    makeFile("a.txt");
    const ScanResult result = scan({root(), QString(), root() + "///R-"});
    EXPECT_EQ(result.files.size(), 2); // found twice; the catalog keeps one line
    EXPECT_EQ(m_host.statusTexts(Page::Backup).value(0),
              statusText(Page::Backup, QStringLiteral("Skenování adresářů a souborů určených k zálohování")));
    int scanProgress = 0;
    for (const auto& p : m_host.progress()) {
        if (p.page == Page::Backup && p.maximum == 2)
            ++scanProgress;
    }
    EXPECT_EQ(scanProgress, 3);
    EXPECT_GE(m_host.pumpCount(), 3);
}

// An unmounted medium leaves its empty mount folder behind: the entry is an absent storage (its
// files are carried over), not an empty folder whose files would all count as deleted.
TEST_F(SourceScannerTest, EmptyMountFolderOfAnAbsentMediumIsAMissingStorage)
{
    QTemporaryDir mountFolder(QStringLiteral("/mnt/ombrix-scan-test-XXXXXX"));
    if (!mountFolder.isValid())
        GTEST_SKIP() << "cannot make a folder below /mnt here";
    if (platform::isMountPoint(QStringLiteral("/mnt")))
        GTEST_SKIP() << "a medium is mounted at /mnt here: its folders are present storage";
    const ScanResult result = scan({mountFolder.path()});
    EXPECT_EQ(result.missingStorages, QSet<QString>({mountFolder.path()}));
    EXPECT_EQ(m_log.logBuffer(), QStringList({logline::missingStorage + mountFolder.path()}));
    EXPECT_EQ(result.runStatus, RunWarnings);

    // Files in the folder do not make it a medium: nothing is mounted there, so it is still the
    // absent storage, and its files are carried over rather than taken from the system disk.
    QFile file(mountFolder.filePath(QStringLiteral("a.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    m_log.clear();
    const ScanResult still = scan({mountFolder.path()});
    EXPECT_EQ(still.missingStorages, QSet<QString>({mountFolder.path()}));
    EXPECT_TRUE(still.files.isEmpty());
}
