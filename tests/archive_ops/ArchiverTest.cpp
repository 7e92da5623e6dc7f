#include "ArchiveOpsFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {
namespace {

class ArchivovatTest : public ArchiveOpsFixture
{
};

TEST(CompressionLevel, ChosenByExtensionAndTheHighSwitch)
{
    struct Case
    {
        const char* name;
        bool high;
        const char* level;
    };
    const Case cases[] = {
        {"/v/film.MP4", false, "0"},   {"/v/film.MP4", true, "5"},  {"/v/x.g", false, "0"},
        {"/v/file.gz", false, "0"},    {"/v/README", false, "1"},   {"/v/README", true, "5"},
        {"/v/notes.txt", false, "1"},  {"/v.gz/notes", false, "1"}, {"/v/photo.JPG", false, "0"},
        {"/v/archive.7z", false, "0"},
    };
    for (const Case& c : cases) {
        ArchiveSettings settings;
        settings.highCompression = c.high;
        EXPECT_EQ(Archiver::compressionLevel(QString::fromUtf8(c.name), settings), QLatin1String(c.level))
            << c.name << " high=" << c.high;
    }
}

TEST_F(ArchivovatTest, ArchiveLiesAtTheFilesFolderPathInsideTheSetAndHoldsTheFile)
{
    const QByteArray content = QByteArray("line one\r\nline two\r\n").repeated(100);
    const QString source = writeSource(QStringLiteral("Data/Mail/inbox.pst"), content);

    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("0")));

    const QString archive = archiveOf(source);
    ASSERT_TRUE(QFileInfo(archive).isFile()) << archive.toStdString();
    EXPECT_TRUE(sevenZip({QStringLiteral("t"), QStringLiteral("--"), archive})
                    .contains(QStringLiteral("Everything is Ok")));
    // One entry, the bare file name, no folder part.
    EXPECT_EQ(itemProperty(archive, QStringLiteral("Path")), QStringLiteral("inbox.pst"));
    EXPECT_EQ(itemProperty(archive, QStringLiteral("Size")), QString::number(content.size()));
    EXPECT_EQ(itemProperty(archive, QStringLiteral("Encrypted")), QStringLiteral("-"));
    EXPECT_TRUE(temporaryFiles(m_program.path()).isEmpty())
        << temporaryFiles(m_program.path()).join(u' ').toStdString();
}

TEST_F(ArchivovatTest, StoredMethodFollowsTheLevel)
{
    // A file big enough that the dictionary of level 1 and level 5 differ.
    QByteArray content;
    for (int i = 0; i < 60000; ++i)
        content += QByteArray::number(i * 7919 % 100003) + ' ';
    const QString stored = writeSource(QStringLiteral("a/clip.mp4"), content);
    const QString fast = writeSource(QStringLiteral("a/clip.txt"), content);

    ASSERT_TRUE(archiver().archivovat(stored, QStringLiteral("0")));
    ASSERT_TRUE(archiver().archivovat(fast, QStringLiteral("0")));
    EXPECT_EQ(itemProperty(archiveOf(stored), QStringLiteral("Method")), QStringLiteral("Copy"));
    const QString level1 = itemProperty(archiveOf(fast), QStringLiteral("Method"));
    EXPECT_TRUE(level1.startsWith(QStringLiteral("LZMA2"))) << level1.toStdString();

    m_settings.highCompression = true;
    const QString high = writeSource(QStringLiteral("b/clip.mp4"), content);
    ASSERT_TRUE(archiver().archivovat(high, QStringLiteral("0")));
    const QString level5 = itemProperty(archiveOf(high), QStringLiteral("Method"));
    EXPECT_TRUE(level5.startsWith(QStringLiteral("LZMA2"))) << level5.toStdString();
    EXPECT_NE(level5, level1);
}

TEST_F(ArchivovatTest, PlainCopyIsTheFileItselfUnderItsOwnName)
{
    const QByteArray content("\x00\x01binary\xFF", 9);
    const QString source = writeSource(QStringLiteral("media/song.mp3"), content);

    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("1")));

    EXPECT_EQ(readFile(archiveOf(source, true)), content);
    EXPECT_FALSE(QFileInfo::exists(archiveOf(source)));
}

TEST_F(ArchivovatTest, SideFileGoesIntoTheSetFolderItself)
{
    ASSERT_TRUE(archiveSideFile(QStringLiteral("log.txt"), QByteArray("x\r\n")));
    EXPECT_TRUE(QFileInfo(setFolder() + QStringLiteral("/log.txt.7z")).isFile());
}

TEST_F(ArchivovatTest, PasswordWithSpacesAndQuotesEncryptsTheArchive)
{
    const QString password = QStringLiteral("my \"secret\" 'pass' -x");
    m_settings.passwordEnabled = true;
    m_settings.archivePassword = password;
    const QString source = writeSource(QStringLiteral("d/secret.txt"), QByteArray("top secret"));

    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("0")));

    const QString archive = archiveOf(source);
    EXPECT_EQ(itemProperty(archive, QStringLiteral("Encrypted")), QStringLiteral("+"));
    EXPECT_TRUE(
        sevenZip({QStringLiteral("t"), QStringLiteral("-p") + password, QStringLiteral("--"), archive})
            .contains(QStringLiteral("Everything is Ok")));
    // Only the whole password opens it, not the part before the first space.
    EXPECT_FALSE(sevenZip({QStringLiteral("t"), QStringLiteral("-pmy"), QStringLiteral("--"), archive})
                     .contains(QStringLiteral("Everything is Ok")));
}

TEST_F(ArchivovatTest, PasswordIsUsedOnlyWhenTheSwitchIsOn)
{
    m_settings.passwordEnabled = false;
    m_settings.archivePassword = QStringLiteral("unused");
    const QString source = writeSource(QStringLiteral("d/open.txt"), QByteArray("open"));
    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("0")));
    EXPECT_EQ(itemProperty(archiveOf(source), QStringLiteral("Encrypted")), QStringLiteral("-"));
}

TEST_F(ArchivovatTest, ArchivingAgainReplacesTheArchiveInsteadOfAddingToIt)
{
    const QString source = writeSource(QStringLiteral("r/report.txt"), QByteArray("first version"));
    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("0")));
    writeSource(QStringLiteral("r/report.txt"), QByteArray("second, longer version"));
    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("0")));

    const QString archive = archiveOf(source);
    EXPECT_EQ(itemProperty(archive, QStringLiteral("Size")), QStringLiteral("22"));
    const QStringList listing = sevenZip({QStringLiteral("l"), QStringLiteral("--"), archive});
    EXPECT_TRUE(listing.filter(QStringLiteral("1 files")).size() == 1);
}

TEST_F(ArchivovatTest, MissingSourceGivesFalseAndCreatesNothing)
{
    EXPECT_FALSE(
        archiver().archivovat(m_sourceDir.path() + QStringLiteral("/nothing.txt"), QStringLiteral("0")));
    EXPECT_FALSE(
        archiver().archivovat(m_sourceDir.path() + QStringLiteral("/nothing.txt"), QStringLiteral("1")));
    // A folder is not a file.
    QDir().mkpath(m_sourceDir.path() + QStringLiteral("/folder"));
    EXPECT_FALSE(archiver().archivovat(m_sourceDir.path() + QStringLiteral("/folder"), QStringLiteral("0")));
    EXPECT_FALSE(QFileInfo::exists(setFolder()));
}

TEST_F(ArchivovatTest, UnwritableDestinationGivesFalse)
{
    // The destination "folder" is a regular file, so no set folder can be made below it (this
    // holds even for root, who ignores permission bits).
    const QString blocker = writeSource(QStringLiteral("blocker"), QByteArray("x"));
    m_destination = std::make_unique<FolderDestination>(blocker);
    const QString source = writeSource(QStringLiteral("s/a.txt"), QByteArray("a"));

    EXPECT_FALSE(archiver().archivovat(source, QStringLiteral("0")));
    EXPECT_FALSE(archiver().archivovat(source, QStringLiteral("1")));
    EXPECT_EQ(readFile(blocker), QByteArray("x"));

    // A set folder in the way of the archive: a folder named like the archive.
    m_destination = std::make_unique<FolderDestination>(destRoot());
    QDir().mkpath(archiveOf(source));
    EXPECT_FALSE(archiver().archivovat(source, QStringLiteral("0")));
    EXPECT_TRUE(QFileInfo(archiveOf(source)).isDir());
}

TEST_F(ArchivovatTest, PathsThatWouldLeaveTheSetAreRefused)
{
    // A source path with ".." would put the archive outside the set folder.
    const QString source = writeSource(QStringLiteral("x/y.txt"), QByteArray("y"));
    const QString sneaky = m_sourceDir.path() + QStringLiteral("/x/../x/y.txt");
    EXPECT_FALSE(archiver().archivovat(sneaky, QStringLiteral("0")));
    m_settings.targetArchiveName = QStringLiteral("..");
    EXPECT_FALSE(archiver().archivovat(source, QStringLiteral("0")));
    EXPECT_TRUE(QDir(destRoot()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(ArchivovatTest, NameTooLongForItsArchiveFailsCleanlyButItsPlainCopyWorks)
{
    // 255 bytes is the longest name a Linux file system keeps; "name.7z" cannot exist.
    const QString name = QString(251, QLatin1Char('n')) + QStringLiteral(".txt");
    const QString source = writeSource(name, QByteArray("long"));
    ASSERT_TRUE(QFileInfo(source).isFile());

    EXPECT_FALSE(archiver().archivovat(source, QStringLiteral("0")));
    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("1")));
    EXPECT_EQ(readFile(archiveOf(source, true)), QByteArray("long"));
    EXPECT_TRUE(temporaryFiles(m_program.path()).isEmpty());
}

} // namespace
} // namespace ombrix::test
