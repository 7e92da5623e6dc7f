#include "ArchiveOpsFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {
namespace {

class DearchivovatTest : public ArchiveOpsFixture
{
};

QByteArray contentFor(const QString& name)
{
    return (name.toUtf8() + QByteArray("\r\n\0\xFF payload ", 12)).repeated(50);
}

// Every name goes to the set and back, as an archive and as a plain copy, byte for byte.
TEST_F(DearchivovatTest, HostileNamesComeBackByteIdentical)
{
    QString deep;
    for (int i = 0; i < 30; ++i)
        deep += QStringLiteral("level %1 with a fairly long folder name/").arg(i);
    const QStringList names = {
        QStringLiteral("with spaces/a file name.txt"),
        QStringLiteral("quotes/\"double\" and 'single'.txt"),
        QStringLiteral("-dash/-leading dash.txt"),
        QStringLiteral("--/--"),
        QStringLiteral("wild/star*and?mark[1].txt"),
        QStringLiteral("čeština/Žluťoučký kůň úpěl ďábelské ódy.txt"),
        QStringLiteral("日本/ファイル.txt"),
        QStringLiteral("colon:folder/a:b.txt"),
        QStringLiteral("dollar/$HOME `x` $(y).txt"),
        QStringLiteral("long/") + QString(251, QLatin1Char('L')) +
            QStringLiteral(".dat"), // name.7z is 258 bytes
        QStringLiteral("long/") + QString(248, QLatin1Char('l')) +
            QStringLiteral(".txt"), // name.7z is 255 bytes
        deep + QStringLiteral("deep file.txt"),
        QStringLiteral("dot/.hidden"),
        QStringLiteral("noext/README"),
    };
    int restored = 0;
    for (const QString& relative : names) {
        const QString source = writeSource(relative, contentFor(relative));
        const QString name = QFileInfo(source).fileName();
        const bool archivable = name.toUtf8().size() + 3 <= 255;
        for (const QString& nekompr : {QStringLiteral("0"), QStringLiteral("1")}) {
            SCOPED_TRACE(relative.toStdString() + " nekompr=" + nekompr.toStdString());
            if (nekompr == QLatin1String("0") && !archivable) {
                EXPECT_FALSE(archiver().archivovat(source, nekompr));
                continue;
            }
            ASSERT_TRUE(archiver().archivovat(source, nekompr));
            const QString target = restoreDir() + QStringLiteral("/%1/sub").arg(restored++);
            ASSERT_TRUE(extractor().dearchivovat(setName, source, target, nekompr));
            EXPECT_EQ(readFile(target + QLatin1Char('/') + name), contentFor(relative));
            // Nothing but the file lands in the target folder.
            EXPECT_EQ(QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                      QStringList{name});
        }
    }
    EXPECT_TRUE(temporaryFiles(m_program.path()).isEmpty());
}

TEST_F(DearchivovatTest, ReplacesAnExistingFileOfTheSameName)
{
    const QString source = writeSource(QStringLiteral("a/a.txt"), QByteArray("from the backup"));
    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("0")));
    QDir().mkpath(restoreDir());
    QFile old(restoreDir() + QStringLiteral("/a.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("a much longer local file that must be replaced entirely");
    old.close();

    ASSERT_TRUE(extractor().dearchivovat(setName, source, restoreDir(), QStringLiteral("0")));
    EXPECT_EQ(readFile(restoreDir() + QStringLiteral("/a.txt")), QByteArray("from the backup"));
}

TEST_F(DearchivovatTest, SideFileComesBackIntoTheProgramFolder)
{
    ASSERT_TRUE(archiveSideFile(QStringLiteral("archivlist.csv"), QByteArray("catalog")));
    QFile::remove(m_program.file(QStringLiteral("archivlist.csv")));

    ASSERT_TRUE(extractor().dearchivovat(setName, QStringLiteral("archivlist.csv"), m_program.path(),
                                         QStringLiteral("0")));
    EXPECT_EQ(m_program.read(QStringLiteral("archivlist.csv")), QByteArray("catalog"));
}

TEST_F(DearchivovatTest, EncryptedSetNeedsTheFlagAndTheRightPassword)
{
    m_settings.passwordEnabled = true;
    m_settings.archivePassword = QStringLiteral("pass with \"quotes\" and spaces");
    const QString source = writeSource(QStringLiteral("e/secret.txt"), QByteArray("the secret"));
    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("0")));
    const QString target = restoreDir() + QStringLiteral("/secret.txt");

    // The flag is off: no password is passed and the extraction fails.
    m_state.archiveEncrypted = false;
    EXPECT_FALSE(extractor().dearchivovat(setName, source, restoreDir(), QStringLiteral("0")));
    EXPECT_FALSE(QFileInfo::exists(target));

    m_state.archiveEncrypted = true;
    ASSERT_TRUE(extractor().dearchivovat(setName, source, restoreDir(), QStringLiteral("0")));
    EXPECT_EQ(readFile(target), QByteArray("the secret"));

    // A wrong password fails and leaves the file that was there as it was.
    m_settings.archivePassword = QStringLiteral("pass with");
    EXPECT_FALSE(extractor().dearchivovat(setName, source, restoreDir(), QStringLiteral("0")));
    EXPECT_EQ(readFile(target), QByteArray("the secret"));
    EXPECT_EQ(QDir(restoreDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("secret.txt")});
}

TEST_F(DearchivovatTest, MissingArchiveGivesFalseAndTouchesNothing)
{
    const QString source = writeSource(QStringLiteral("m/here.txt"), QByteArray("here"));
    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("0")));
    const QString target = restoreDir() + QStringLiteral("/new");

    // Wrong kind (plain copy asked, archive stored), wrong set, wrong file, unknown kind.
    EXPECT_FALSE(extractor().dearchivovat(setName, source, target, QStringLiteral("1")));
    EXPECT_FALSE(extractor().dearchivovat(QStringLiteral("OMX_2000-01-01_00-00-00"), source, target,
                                          QStringLiteral("0")));
    EXPECT_FALSE(
        extractor().dearchivovat(setName, source + QStringLiteral("x"), target, QStringLiteral("0")));
    EXPECT_FALSE(extractor().dearchivovat(setName, source, target, QStringLiteral("2")));
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(DearchivovatTest, DamagedArchiveGivesFalse)
{
    const QString source = writeSource(QStringLiteral("x/broken.txt"), QByteArray("data").repeated(1000));
    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("0")));
    QFile archive(archiveOf(source));
    ASSERT_TRUE(archive.open(QIODevice::ReadWrite));
    archive.resize(archive.size() / 2);
    archive.close();

    EXPECT_FALSE(extractor().dearchivovat(setName, source, restoreDir(), QStringLiteral("0")));
    EXPECT_TRUE(
        QDir(restoreDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

TEST_F(DearchivovatTest, ArchiveWithOtherEntriesCannotOverwriteOtherFilesOfTheTarget)
{
    // A set archive that holds more than the one file (not made by this program).
    const QString source = writeSource(QStringLiteral("o/wanted.txt"), QByteArray("wanted"));
    const QString intruder = writeSource(QStringLiteral("o/config.ini"), QByteArray("intruder"));
    QDir().mkpath(QFileInfo(archiveOf(source)).absolutePath());
    sevenZip({QStringLiteral("a"), QStringLiteral("--"), archiveOf(source), source, intruder});
    m_program.write(QStringLiteral("config.ini"), QByteArray("mine"));

    ASSERT_TRUE(extractor().dearchivovat(setName, source, m_program.path(), QStringLiteral("0")));
    EXPECT_EQ(m_program.read(QStringLiteral("wanted.txt")), QByteArray("wanted"));
    EXPECT_EQ(m_program.read(QStringLiteral("config.ini")), QByteArray("mine"));
}

TEST_F(DearchivovatTest, TargetFolderThatCannotBeMadeGivesFalse)
{
    const QString source = writeSource(QStringLiteral("t/t.txt"), QByteArray("t"));
    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("0")));
    const QString blocker = writeSource(QStringLiteral("blocker"), QByteArray("x"));
    EXPECT_FALSE(
        extractor().dearchivovat(setName, source, blocker + QStringLiteral("/below"), QStringLiteral("0")));
    EXPECT_EQ(readFile(blocker), QByteArray("x"));
}

} // namespace
} // namespace ombrix::test
