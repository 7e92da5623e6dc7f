#include "ArchiveOpsFixture.h"
#include "UploadingDestination.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace ombrix::test {
namespace {

// The engines on a destination they can reach only by transfers (the FTP and Skyvra shape).
class TransferBranchTest : public ArchiveOpsFixture
{
  protected:
    TransferBranchTest()
    {
        auto remote = std::make_unique<UploadingDestination>(destRoot());
        m_remote = remote.get();
        m_destination = std::move(remote);
    }

    UploadingDestination* m_remote = nullptr;
};

// The round trip through a folder destination and through one reached only by transfers: an
// encrypted archive and a plain copy go into the set at the same place, the side file too, the
// password check opens the set, and both files come back; no work file is left. Through
// transfers the archive is made in the program folder and the transfer indicator is shown and
// hidden again.
class DestinationRoundTrip : public ArchiveOpsFixture, public ::testing::WithParamInterface<bool>
{
  protected:
    DestinationRoundTrip()
    {
        if (!GetParam())
            return;
        auto remote = std::make_unique<UploadingDestination>(destRoot());
        m_remote = remote.get();
        m_destination = std::move(remote);
    }

    UploadingDestination* m_remote = nullptr;
};

TEST_P(DestinationRoundTrip, ArchiveAndPlainCopyGoInAndComeBack)
{
    m_settings.passwordEnabled = true;
    m_settings.archivePassword = QStringLiteral("a \"b\" c");
    const QString packed =
        writeSource(QStringLiteral("Data/-report 1.txt"), QByteArray("report").repeated(100));
    const QString plain = writeSource(QStringLiteral("Data/film.mp4"), QByteArray("film"));

    ASSERT_TRUE(archiver().archivovat(packed, QStringLiteral("0")));
    ASSERT_TRUE(archiver().archivovat(plain, QStringLiteral("1")));

    EXPECT_EQ(itemProperty(archiveOf(packed), QStringLiteral("Encrypted")), QStringLiteral("+"));
    EXPECT_EQ(readFile(archiveOf(plain, true)), QByteArray("film"));
    EXPECT_TRUE(temporaryFiles(m_program.path()).isEmpty());
    if (m_remote) {
        // The archive went through the program folder, the plain copy straight from its place.
        ASSERT_EQ(m_remote->m_stored.size(), 2);
        EXPECT_EQ(QFileInfo(m_remote->m_stored.at(0)).absolutePath(), QDir(m_program.path()).absolutePath());
        EXPECT_EQ(m_remote->m_stored.at(1), plain);
        // The transfer indicator was shown for each upload and is hidden again.
        ASSERT_FALSE(m_host.transfers().empty());
        EXPECT_FALSE(m_host.transfers().back().visible);
    }

    ASSERT_TRUE(archiveSideFile(QStringLiteral("archivlist.csv"), QByteArray("catalog")));
    EXPECT_TRUE(QFileInfo(setFolder() + QStringLiteral("/archivlist.csv.7z")).isFile());
    ASSERT_TRUE(checks().lze_odemknout(setName));
    EXPECT_TRUE(m_state.archiveEncrypted);
    ASSERT_TRUE(extractor().dearchivovat(setName, packed, restoreDir(), QStringLiteral("0")));
    ASSERT_TRUE(extractor().dearchivovat(setName, plain, restoreDir(), QStringLiteral("1")));
    EXPECT_EQ(readFile(restoreDir() + QStringLiteral("/-report 1.txt")), QByteArray("report").repeated(100));
    EXPECT_EQ(readFile(restoreDir() + QStringLiteral("/film.mp4")), QByteArray("film"));
    EXPECT_TRUE(temporaryFiles(m_program.path()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Destinations, DestinationRoundTrip, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "ByTransfers" : "Folder");
                         });

TEST_F(TransferBranchTest, TransferErrorsAreLoggedAndGiveFalse)
{
    const QString source = writeSource(QStringLiteral("e/a.txt"), QByteArray("a"));
    m_remote->m_failWith = QStringLiteral("Connection reset");

    EXPECT_FALSE(archiver().archivovat(source, QStringLiteral("0")));
    EXPECT_FALSE(archiver().archivovat(source, QStringLiteral("1")));
    EXPECT_EQ(m_log.logBuffer(), (QStringList{QStringLiteral("ftp error: Connection reset: ") + source,
                                              QStringLiteral("ftp error: Connection reset: ") + source}));
    EXPECT_TRUE(temporaryFiles(m_program.path()).isEmpty());

    m_remote->m_failWith.clear();
    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("0")));
    m_remote->m_failWith = QStringLiteral("Connection reset");
    QDir().mkpath(restoreDir());
    QFile old(restoreDir() + QStringLiteral("/a.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("local");
    old.close();
    EXPECT_FALSE(extractor().dearchivovat(setName, source, restoreDir(), QStringLiteral("0")));
    EXPECT_EQ(m_log.logBuffer().last(), QStringLiteral("ftp error: ") + source);
    EXPECT_EQ(readFile(restoreDir() + QStringLiteral("/a.txt")), QByteArray("local"));
}

TEST_F(TransferBranchTest, ShortUploadGivesFalseWithoutALogLine)
{
    const QString source = writeSource(QStringLiteral("s/a.txt"), QByteArray("abcdef"));
    m_remote->m_arriveShort = true;
    EXPECT_FALSE(archiver().archivovat(source, QStringLiteral("0")));
    EXPECT_FALSE(archiver().archivovat(source, QStringLiteral("1")));
    // The short plain copy is removed; nothing is logged.
    EXPECT_FALSE(QFileInfo::exists(archiveOf(source, true)));
    EXPECT_TRUE(m_log.logBuffer().isEmpty());
}

TEST_F(TransferBranchTest, ColourIsJudgedFromTheDownloadedRunLog)
{
    QTemporaryDir folder;
    RunLog log(folder.filePath(QStringLiteral("log.txt")));
    ASSERT_TRUE(log.startRun(setName));
    writeFinishedSet(readFile(log.path()));

    EXPECT_EQ(checks().getColorFromArchiv(setName), ArchiveSetChecks::colorBlack);
    EXPECT_TRUE(m_remote->m_fetched.contains(setName + QStringLiteral("/log.txt.7z")));
    EXPECT_TRUE(temporaryFiles(m_program.path()).isEmpty());

    m_remote->m_failWith = QStringLiteral("550 No such file");
    QString error;
    EXPECT_EQ(checks().getColorFromArchiv(setName, &error), ArchiveSetChecks::colorOlive);
    EXPECT_EQ(error, QStringLiteral("550 No such file"));
}

TEST_F(TransferBranchTest, OfflineDestinationHasNothing)
{
    writeFinishedSet(QByteArray("x"));
    m_remote->m_online = false;
    m_state.archiveEncrypted = true;

    EXPECT_FALSE(checks().testarchiv(setName, QStringLiteral("archivlist.csv"), QStringLiteral("0")));
    EXPECT_FALSE(checks().lze_odemknout(setName));
    EXPECT_TRUE(m_state.archiveEncrypted);
    EXPECT_EQ(checks().getColorFromArchiv(setName), ArchiveSetChecks::colorRed);
    EXPECT_FALSE(
        archiver().archivovat(writeSource(QStringLiteral("o/a.txt"), QByteArray("a")), QStringLiteral("0")));
}

} // namespace
} // namespace ombrix::test
