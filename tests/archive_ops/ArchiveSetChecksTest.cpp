#include "ArchiveOpsFixture.h"
#include "core/log/RunLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

namespace ombrix::test {
namespace {

class ArchiveSetChecksTest : public ArchiveOpsFixture
{
  protected:
    // The log of a run that logged nothing: its two header lines, exactly as the run log writes it.
    QByteArray emptyRunLog()
    {
        QTemporaryDir folder;
        RunLog log(folder.filePath(QStringLiteral("log.txt")));
        EXPECT_TRUE(log.startRun(setName));
        return readFile(log.path());
    }
};

TEST_F(ArchiveSetChecksTest, TestarchivLooksForTheArchiveOrThePlainCopy)
{
    const QString packed = writeSource(QStringLiteral("Data/a.txt"), QByteArray("a"));
    const QString plain = writeSource(QStringLiteral("Data/b.mp3"), QByteArray("b"));
    ASSERT_TRUE(archiver().archivovat(packed, QStringLiteral("0")));
    ASSERT_TRUE(archiver().archivovat(plain, QStringLiteral("1")));

    struct Case
    {
        QString file;
        const char* nekompr;
        bool expected;
    };
    const Case cases[] = {
        {packed, "0", true},
        {packed, "1", false},
        {packed, "2", false},
        {packed, "", false},
        {plain, "1", true},
        {plain, "0", false},
        {plain, "X", false},
        {packed + QStringLiteral(".7z"), "1", true}, // the archive file itself, asked as a plain copy
    };
    for (const Case& c : cases) {
        EXPECT_EQ(checks().testarchiv(setName, c.file, QLatin1String(c.nekompr)), c.expected)
            << c.file.toStdString() << " nekompr=" << c.nekompr;
    }
    EXPECT_FALSE(checks().testarchiv(QStringLiteral("OMX_2000-01-01_00-00-00"), packed, QStringLiteral("0")));
    // A folder named like the archive is not the archive.
    const QString folderOnly = m_sourceDir.path() + QStringLiteral("/Data/folder.txt");
    QDir().mkpath(archiveOf(folderOnly));
    EXPECT_FALSE(checks().testarchiv(setName, folderOnly, QStringLiteral("0")));
}

TEST_F(ArchiveSetChecksTest, UnencryptedSetOpensWhateverThePassword)
{
    ASSERT_TRUE(archiveSideFile(QStringLiteral("archivlist.csv"), QByteArray("catalog")));
    m_settings.archivePassword = QStringLiteral("anything at all");
    m_state.archiveEncrypted = true;

    EXPECT_TRUE(checks().lze_odemknout(setName));
    EXPECT_FALSE(m_state.archiveEncrypted);
    EXPECT_TRUE(temporaryFiles(m_program.path()).isEmpty());
}

TEST_F(ArchiveSetChecksTest, EncryptedSetOpensOnlyWithItsPassword)
{
    const QString password = QStringLiteral("two words \"quoted\"");
    m_settings.passwordEnabled = true;
    m_settings.archivePassword = password;
    ASSERT_TRUE(archiveSideFile(QStringLiteral("archivlist.csv"), QByteArray("catalog")));

    EXPECT_TRUE(checks().lze_odemknout(setName));
    EXPECT_TRUE(m_state.archiveEncrypted);

    struct Case
    {
        QString password;
        const char* why;
    };
    const Case wrong[] = {
        {QStringLiteral("two words"), "the part before a quote"},
        {QStringLiteral("two"), "the part before the first space"},
        {QString(), "no password"},
        {password + QStringLiteral("x"), "one character more"},
    };
    for (const Case& c : wrong) {
        m_state.archiveEncrypted = false;
        m_settings.archivePassword = c.password;
        EXPECT_FALSE(checks().lze_odemknout(setName)) << c.why;
        // Extraction would pass the (wrong) password, as the set is encrypted.
        EXPECT_TRUE(m_state.archiveEncrypted) << c.why;
    }
    EXPECT_TRUE(temporaryFiles(m_program.path()).isEmpty());
}

TEST_F(ArchiveSetChecksTest, MissingCatalogGivesFalseAndKeepsTheFlag)
{
    for (const bool before : {false, true}) {
        m_state.archiveEncrypted = before;
        EXPECT_FALSE(checks().lze_odemknout(setName));
        EXPECT_EQ(m_state.archiveEncrypted, before);
    }
}

TEST_F(ArchiveSetChecksTest, UnreadableCatalogArchiveCannotBeOpened)
{
    QDir().mkpath(setFolder());
    QFile junk(setFolder() + QStringLiteral("/archivlist.csv.7z"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not an archive");
    junk.close();

    EXPECT_FALSE(checks().lze_odemknout(setName));
    EXPECT_FALSE(m_state.archiveEncrypted);
}

TEST_F(ArchiveSetChecksTest, ColourOfASet)
{
    const QByteArray clean = emptyRunLog();
    ASSERT_EQ(clean.size(), 94);

    struct Case
    {
        const char* what;
        QByteArray runLog;
        QString removed; // a side archive deleted afterwards
        quint32 colour;
    };
    const Case cases[] = {
        {"finished clean run", clean, {}, ArchiveSetChecks::colorBlack},
        {"clean run without byte-order mark", clean.mid(3), {}, ArchiveSetChecks::colorBlack},
        {"run that logged a line",
         clean + QByteArray("not archived: /a/b.txt\r\n"),
         {},
         ArchiveSetChecks::colorOlive},
        {"log of another size", clean.left(93), {}, ArchiveSetChecks::colorOlive},
        {"empty log, no config", clean, QStringLiteral("config.ini.7z"), ArchiveSetChecks::colorRed},
        {"no run log", clean, QStringLiteral("log.txt.7z"), ArchiveSetChecks::colorRed},
        {"no catalog", clean, QStringLiteral("archivlist.csv.7z"), ArchiveSetChecks::colorRed},
        {"no sources", clean, QStringLiteral("sources.txt.7z"), ArchiveSetChecks::colorRed},
    };
    for (const Case& c : cases) {
        QDir(setFolder()).removeRecursively();
        writeFinishedSet(c.runLog);
        if (!c.removed.isEmpty()) {
            ASSERT_TRUE(QFile::remove(setFolder() + QLatin1Char('/') + c.removed));
        }
        EXPECT_EQ(checks().getColorFromArchiv(setName), c.colour) << c.what;
        EXPECT_TRUE(temporaryFiles(m_program.path()).isEmpty()) << c.what;
    }
    EXPECT_EQ(checks().getColorFromArchiv(QStringLiteral("OMX_2000-01-01_00-00-00")),
              ArchiveSetChecks::colorRed);
}

TEST_F(ArchiveSetChecksTest, ColourOfAnEncryptedCleanSetIsBlack)
{
    m_settings.passwordEnabled = true;
    m_settings.archivePassword = QStringLiteral("secret");
    writeFinishedSet(emptyRunLog());
    m_settings.archivePassword.clear();
    EXPECT_EQ(checks().getColorFromArchiv(setName), ArchiveSetChecks::colorBlack);
}

// A folder destination whose existence test takes a known time and records what it was asked.
class SlowProbeDestination : public FolderDestination
{
  public:
    static constexpr int probeMs = 30;

    using FolderDestination::FolderDestination;
    bool fileExists(const QString& relPath) override
    {
        asked << relPath;
        QThread::msleep(probeMs);
        return FolderDestination::fileExists(relPath);
    }

    QStringList asked;
};

// The probe asks the destination about one archive that never exists, and what it returns is
// the time that question took: a destination whose answer takes 30 ms measures at least 30 ms.
TEST_F(ArchiveSetChecksTest, SpeedProbeTimesOneExistenceTestOfAFileThatNeverExists)
{
    auto slow = std::make_unique<SlowProbeDestination>(destRoot());
    SlowProbeDestination* probe = slow.get();
    m_destination = std::move(slow);

    const qint64 elapsed = checks().destFolderSpeed();

    EXPECT_EQ(probe->asked, QStringList{QStringLiteral("NESMYSL/dalsi_nesmysl.7z")});
    EXPECT_GE(elapsed, SlowProbeDestination::probeMs) << "the result is not the time of the probe";
    EXPECT_FALSE(QFileInfo::exists(destRoot() + QStringLiteral("/NESMYSL")));
}

TEST(FolderDestinationTest, ListsOnlySetFoldersInOrder)
{
    QTemporaryDir root;
    for (const char* name : {"OMX_2014-03-05_21-07-09", "OMX_2013-01-01_00-00-00", "other", "OMX_file"})
        QDir().mkpath(root.filePath(QLatin1String(name)));
    QFile file(root.filePath(QStringLiteral("OMX_file")));
    QDir(root.path()).rmdir(QStringLiteral("OMX_file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    FolderDestination destination(root.path() + QStringLiteral("/"));
    EXPECT_EQ(destination.listSetFolders(), (QStringList{QStringLiteral("OMX_2013-01-01_00-00-00"),
                                                         QStringLiteral("OMX_2014-03-05_21-07-09")}));
    EXPECT_EQ(destination.localPath(QStringLiteral("OMX_x/a")), root.path() + QStringLiteral("/OMX_x/a"));
    EXPECT_TRUE(destination.localPath(QStringLiteral("OMX_x/../../etc")).isEmpty());
    EXPECT_FALSE(destination.fileExists(QStringLiteral("../") + QFileInfo(root.path()).fileName()));
}

TEST(FolderDestinationTest, StoreAndFetchKeepTheBytes)
{
    QTemporaryDir root;
    QTemporaryDir local;
    FolderDestination destination(root.path());
    QFile source(local.filePath(QStringLiteral("in.bin")));
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.write(QByteArray("\0\1\2 bytes", 9));
    source.close();

    ASSERT_TRUE(destination.makeFolders(QStringLiteral("OMX_a/b/c")));
    EXPECT_TRUE(destination.folderExists(QStringLiteral("OMX_a/b")));
    ASSERT_TRUE(destination.storeFile(source.fileName(), QStringLiteral("OMX_a/b/c/x.bin")).ok);
    EXPECT_EQ(destination.fileSize(QStringLiteral("OMX_a/b/c/x.bin")), 9);
    // Storing again replaces the file.
    ASSERT_TRUE(destination.storeFile(source.fileName(), QStringLiteral("OMX_a/b/c/x.bin")).ok);

    const QString fetched = local.filePath(QStringLiteral("out.bin"));
    ASSERT_TRUE(destination.fetchFile(QStringLiteral("OMX_a/b/c/x.bin"), fetched).ok);
    QFile back(fetched);
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), QByteArray("\0\1\2 bytes", 9));
    // A fetch never overwrites a local file.
    EXPECT_FALSE(destination.fetchFile(QStringLiteral("OMX_a/b/c/x.bin"), fetched).ok);

    EXPECT_TRUE(destination.deleteFile(QStringLiteral("OMX_a/b/c/x.bin")));
    EXPECT_EQ(destination.fileSize(QStringLiteral("OMX_a/b/c/x.bin")), -1);
    EXPECT_TRUE(destination.deleteFile(QStringLiteral("OMX_a/b/c/x.bin")));
    EXPECT_FALSE(destination.deleteFile(QStringLiteral("OMX_a/b")));
    EXPECT_TRUE(QDir(root.filePath(QStringLiteral("OMX_a/b"))).exists());
}

} // namespace
} // namespace ombrix::test
