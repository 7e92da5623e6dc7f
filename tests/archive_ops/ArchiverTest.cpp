#include "ArchiveOpsFixture.h"

#include <functional>
#include <QDir>
#include <QDirIterator>
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

// The archive password is used exactly when the password switch is on and a password is set; the
// whole password opens the archive, spaces, quotes and dashes included, and no part of it does.
struct PasswordRow
{
    const char* name;
    bool switchOn;
    QString password;
    bool encrypted;
};

class ArchivePassword : public ArchiveOpsFixture, public ::testing::WithParamInterface<PasswordRow>
{
};

TEST_P(ArchivePassword, EncryptsExactlyWhenTheSwitchIsOnAndAPasswordIsSet)
{
    const PasswordRow row = GetParam();
    m_settings.passwordEnabled = row.switchOn;
    m_settings.archivePassword = row.password;
    const QString source = writeSource(QStringLiteral("d/secret.txt"), QByteArray("top secret"));

    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("0")));

    const QString archive = archiveOf(source);
    EXPECT_EQ(itemProperty(archive, QStringLiteral("Encrypted")),
              row.encrypted ? QStringLiteral("+") : QStringLiteral("-"));
    if (!row.encrypted)
        return;
    EXPECT_TRUE(
        sevenZip({QStringLiteral("t"), QStringLiteral("-p") + row.password, QStringLiteral("--"), archive})
            .contains(QStringLiteral("Everything is Ok")));
    // Only the whole password opens it, not the part before the first space.
    const QString firstWord = row.password.section(QLatin1Char(' '), 0, 0);
    EXPECT_FALSE(
        sevenZip({QStringLiteral("t"), QStringLiteral("-p") + firstWord, QStringLiteral("--"), archive})
            .contains(QStringLiteral("Everything is Ok")));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ArchivePassword,
    ::testing::Values(PasswordRow{"SwitchOnWithSpacesAndQuotes", true,
                                  QStringLiteral("my \"secret\" 'pass' -x"), true},
                      PasswordRow{"SwitchOffPasswordSet", false, QStringLiteral("unused"), false},
                      PasswordRow{"SwitchOnNoPassword", true, QString(), false}),
    [](const ::testing::TestParamInfo<PasswordRow>& info) { return std::string(info.param.name); });

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

// Everything archivovat refuses: it answers false, for an archive and for a plain copy where both
// apply, leaves the destination as it found it and leaves no work file behind.
class ArchivovatRefusal;

struct RefusalRow
{
    const char* name;
    // Prepares the case and returns the file to archive.
    std::function<QString(ArchivovatRefusal&)> prepare;
    bool plainCopyToo;
};

class ArchivovatRefusal : public ArchiveOpsFixture, public ::testing::WithParamInterface<RefusalRow>
{
  public:
    using ArchiveOpsFixture::destRoot;
    using ArchiveOpsFixture::setFolder;

    // Every entry below the destination, with the content of the files.
    QStringList destinationState() const
    {
        QStringList state;
        QDirIterator it(destRoot(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            state << QDir(destRoot()).relativeFilePath(path) + QLatin1Char('=') +
                         QString::fromUtf8(readFile(path));
        }
        state.sort();
        return state;
    }
    // The test's own source folder and settings, for the preparing functions.
    QString sourceRoot() const { return m_sourceDir.path(); }
    ArchiveSettings& settings() { return m_settings; }
    void setDestination(std::unique_ptr<Destination> destination) { m_destination = std::move(destination); }
};

TEST_P(ArchivovatRefusal, GivesFalseAndChangesNothing)
{
    const RefusalRow row = GetParam();
    const QString source = row.prepare(*this);
    const QStringList before = destinationState();

    EXPECT_FALSE(archiver().archivovat(source, QStringLiteral("0")));
    if (row.plainCopyToo) {
        EXPECT_FALSE(archiver().archivovat(source, QStringLiteral("1")));
    }

    EXPECT_EQ(destinationState(), before);
    EXPECT_TRUE(temporaryFiles(m_program.path()).isEmpty())
        << temporaryFiles(m_program.path()).join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ArchivovatRefusal,
    ::testing::Values(RefusalRow{"MissingSource",
                                 [](ArchivovatRefusal& t) {
                                     return t.sourceRoot() + QStringLiteral("/nothing.txt");
                                 },
                                 true},
                      RefusalRow{"FolderAsSource",
                                 [](ArchivovatRefusal& t) {
                                     const QString folder = t.sourceRoot() + QStringLiteral("/folder");
                                     QDir().mkpath(folder);
                                     return folder;
                                 },
                                 false},
                      // The destination "folder" is a regular file, so no set folder can be made below it
                      // (this holds even for root, who ignores permission bits).
                      RefusalRow{"DestinationIsAFile",
                                 [](ArchivovatRefusal& t) {
                                     const QString blocker = t.destRoot() + QStringLiteral("/blocker");
                                     QFile file(blocker);
                                     EXPECT_TRUE(file.open(QIODevice::WriteOnly));
                                     file.write("x");
                                     file.close();
                                     t.setDestination(std::make_unique<FolderDestination>(blocker));
                                     const QString source = t.sourceRoot() + QStringLiteral("/s/a.txt");
                                     QDir().mkpath(QFileInfo(source).absolutePath());
                                     QFile a(source);
                                     EXPECT_TRUE(a.open(QIODevice::WriteOnly));
                                     a.write("a");
                                     return source;
                                 },
                                 true},
                      // A folder named like the archive stands in its place.
                      RefusalRow{"FolderInPlaceOfTheArchive",
                                 [](ArchivovatRefusal& t) {
                                     const QString source = t.sourceRoot() + QStringLiteral("/s/b.txt");
                                     QDir().mkpath(QFileInfo(source).absolutePath());
                                     QFile b(source);
                                     EXPECT_TRUE(b.open(QIODevice::WriteOnly));
                                     b.write("b");
                                     QDir().mkpath(t.setFolder() + source + QStringLiteral(".7z"));
                                     return source;
                                 },
                                 false},
                      // A source path with ".." would put the archive outside the set folder.
                      RefusalRow{"DotDotInTheSourcePath",
                                 [](ArchivovatRefusal& t) {
                                     const QString real = t.sourceRoot() + QStringLiteral("/x/y.txt");
                                     QDir().mkpath(QFileInfo(real).absolutePath());
                                     QFile y(real);
                                     EXPECT_TRUE(y.open(QIODevice::WriteOnly));
                                     y.write("y");
                                     return t.sourceRoot() + QStringLiteral("/x/../x/y.txt");
                                 },
                                 true},
                      RefusalRow{"DotDotAsTheSetName",
                                 [](ArchivovatRefusal& t) {
                                     t.settings().targetArchiveName = QStringLiteral("..");
                                     const QString source = t.sourceRoot() + QStringLiteral("/z.txt");
                                     QFile z(source);
                                     EXPECT_TRUE(z.open(QIODevice::WriteOnly));
                                     z.write("z");
                                     return source;
                                 },
                                 true}),
    [](const ::testing::TestParamInfo<RefusalRow>& info) { return std::string(info.param.name); });

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
