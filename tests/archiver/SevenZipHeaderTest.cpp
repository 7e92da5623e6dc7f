#include "archive/SevenZipHeader.h"

#include "archive/ArchiveChecks.h"
#include "archive/ArchiverRunner.h"
#include "core/archiver/ArchiverCommands.h"
#include "support/TempProgramFolder.h"

#include <clocale>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <string>
#include <utility>

using namespace ombrix;

namespace {

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(4242);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(generator.bounded(256));
    return bytes;
}

QByteArray textBytes(qsizetype size)
{
    const QByteArray line = "2024-05-17;invoice 1250;paid;Žluťoučký kůň úpěl ďábelské ódy\r\n";
    QByteArray bytes = line.repeated(size / line.size() + 1);
    bytes.truncate(size);
    return bytes;
}

// Archives made by the real 7za in a fresh program folder, exactly as the program makes them,
// and judged both in process and by the archiver's own listing.
class SevenZipHeaderTest : public ::testing::Test
{
  protected:
    SevenZipHeaderTest() : m_runner(m_state, ArchiverRunner::Pump()) {}

    QString makeFile(const QString& name, const QByteArray& content)
    {
        m_folder.write(QStringLiteral("src/") + name, content);
        return m_folder.file(QStringLiteral("src/") + name);
    }

    QString archivePathFor(const QString& source)
    {
        QDir().mkpath(m_folder.file(QStringLiteral("set")));
        const QString path =
            m_folder.file(QStringLiteral("set/") + QFileInfo(source).fileName() + QStringLiteral(".7z"));
        QFile::remove(path);
        return path;
    }

    // The program's own pack command line.
    QString archive(const QString& source, const QString& level, const QString& password = QString())
    {
        const QString path = archivePathFor(source);
        EXPECT_TRUE(m_runner.run(ArchiverCommands::addFile(path, source, level, m_folder.path(), password)));
        EXPECT_TRUE(QFileInfo(path).isFile()) << "7za wrote no archive for " << source.toStdString();
        return path;
    }

    // A 7za command line of the test's own, for archives the program never writes.
    QString archiveByHand(const QString& path, const QStringList& switches, const QStringList& sources,
                          const QString& password = QString())
    {
        QFile::remove(path);
        ArchiverCommand command;
        command.arguments << QStringLiteral("a") << switches;
        if (!password.isEmpty()) {
            command.arguments << QStringLiteral("-p");
            command.standardInput = ArchiverCommands::passwordInput(password, 2);
        }
        command.arguments << QStringLiteral("-spd") << QStringLiteral("--") << path << sources;
        EXPECT_TRUE(m_runner.run(command));
        EXPECT_TRUE(QFileInfo(path).isFile()) << "7za wrote no archive " << path.toStdString();
        return path;
    }

    QString writeBytes(const QString& name, const QByteArray& bytes)
    {
        m_folder.write(name, bytes);
        return m_folder.file(name);
    }

    test::TempProgramFolder m_folder;
    RunState m_state;
    ArchiverRunner m_runner;
};

struct GoodCase
{
    QString name;
    QString level;
    QByteArray content;
};

} // namespace

// Whatever the program's pack line writes - every level, empty, large, any name - is accepted,
// and only with exactly its own name and size.
TEST_F(SevenZipHeaderTest, AcceptsEveryArchiveThePackLineWritesWithItsNameAndSizeOnly)
{
    const QList<GoodCase> cases = {
        {QStringLiteral("plain.txt"), QStringLiteral("0"), textBytes(5000)},
        {QStringLiteral("plain.txt"), QStringLiteral("1"), textBytes(5000)},
        {QStringLiteral("plain.txt"), QStringLiteral("5"), textBytes(5000)},
        {QStringLiteral("empty.txt"), QStringLiteral("0"), QByteArray()},
        {QStringLiteral("empty.txt"), QStringLiteral("1"), QByteArray()},
        {QStringLiteral("empty.txt"), QStringLiteral("5"), QByteArray()},
        {QStringLiteral("with space and \"quotes\" 'too'.txt"), QStringLiteral("1"), textBytes(300)},
        {QStringLiteral("Žluťoučký kůň úpěl €.txt"), QStringLiteral("5"), textBytes(300)},
        {QStringLiteral("-leading dash;$HOME*?.dat"), QStringLiteral("0"), randomBytes(777)},
        {QStringLiteral("noextension"), QStringLiteral("1"), QByteArray("x")},
        {QStringLiteral("ten megabytes.bin"), QStringLiteral("0"), randomBytes(10 * 1024 * 1024)},
        {QStringLiteral("ten megabytes.bin"), QStringLiteral("1"), randomBytes(10 * 1024 * 1024)},
        {QStringLiteral("ten megabytes.txt"), QStringLiteral("5"), textBytes(10 * 1024 * 1024)},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.name.toStdString() + " at level " + c.level.toStdString());
        const QString source = makeFile(c.name, c.content);
        const QString path = archive(source, c.level);
        const qint64 size = c.content.size();

        EXPECT_TRUE(testZip(m_runner, path, QString())) << "the archiver's listing accepts it too";
        EXPECT_TRUE(SevenZipHeader::holdsOneFile(path, c.name, size));

        const SevenZipHeader::Result header = SevenZipHeader::read(path);
        ASSERT_TRUE(header.readable) << header.errorText.toStdString();
        ASSERT_EQ(header.entries.size(), 1);
        EXPECT_EQ(header.entries.first().name, c.name);
        EXPECT_EQ(header.entries.first().size, size);
        EXPECT_TRUE(header.entries.first().isFile);
        EXPECT_FALSE(header.entries.first().encrypted);

        EXPECT_FALSE(SevenZipHeader::holdsOneFile(path, c.name + QStringLiteral("x"), size));
        EXPECT_FALSE(SevenZipHeader::holdsOneFile(path, QStringLiteral("src/") + c.name, size));
        EXPECT_FALSE(SevenZipHeader::holdsOneFile(path, c.name, size + 1));
        if (size > 0) {
            EXPECT_FALSE(SevenZipHeader::holdsOneFile(path, c.name, size - 1));
        }
        QFile::remove(path);
        QFile::remove(source);
    }
}

// An encrypted archive is never judged in process: one with encrypted data is read but refused,
// one with encrypted names cannot be read at all. Both go to the archiver with the password.
TEST_F(SevenZipHeaderTest, RefusesEncryptedArchives)
{
    const QByteArray content = textBytes(2000);
    const QString source = makeFile(QStringLiteral("secret.txt"), content);
    for (const QString& level : {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("5")}) {
        SCOPED_TRACE("level " + level.toStdString());
        const QString path = archive(source, level, QStringLiteral("heslo žluť"));
        EXPECT_TRUE(testZip(m_runner, path, QStringLiteral("heslo žluť")));
        EXPECT_FALSE(SevenZipHeader::holdsOneFile(path, QStringLiteral("secret.txt"), content.size()));
        const SevenZipHeader::Result header = SevenZipHeader::read(path);
        ASSERT_TRUE(header.readable) << "the names of this archive are not encrypted";
        ASSERT_EQ(header.entries.size(), 1);
        EXPECT_TRUE(header.entries.first().encrypted);
    }

    const QStringList encryptNames = {QStringLiteral("-mx1"), QStringLiteral("-mhe=on")};
    const QString namesEncrypted = archiveByHand(m_folder.file(QStringLiteral("he.7z")), encryptNames,
                                                 {source}, QStringLiteral("secret"));
    EXPECT_FALSE(SevenZipHeader::holdsOneFile(namesEncrypted, QStringLiteral("secret.txt"), content.size()));
    const SevenZipHeader::Result header = SevenZipHeader::read(namesEncrypted);
    EXPECT_FALSE(header.readable);
    EXPECT_FALSE(header.errorText.isEmpty());
}

// A damaged, cut-off, foreign, empty or missing file is refused - as the archiver's listing
// refuses it - and never taken for an archive with one file.
TEST_F(SevenZipHeaderTest, RefusesTruncatedDamagedAndForeignFiles)
{
    const QByteArray content = randomBytes(300 * 1024);
    const QString source = makeFile(QStringLiteral("data.bin"), content);
    const QByteArray good = [&] {
        QFile f(archive(source, QStringLiteral("1")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_GT(good.size(), 1000);

    QByteArray flippedHeader = good;
    for (qsizetype i = good.size() - 20; i < good.size() - 10; ++i)
        flippedHeader[i] = char(~flippedHeader[i]);

    const QList<std::pair<const char*, QByteArray>> broken = {
        {"empty file", QByteArray()},
        {"only the signature", good.left(6)},
        {"only the start header", good.left(32)},
        {"cut in the middle", good.left(good.size() / 2)},
        {"last byte missing", good.left(good.size() - 1)},
        {"header bytes flipped", flippedHeader},
        {"random bytes", randomBytes(4096)},
        {"text", QByteArray("1 files\r\n")},
    };
    for (const auto& [what, bytes] : broken) {
        SCOPED_TRACE(what);
        const QString path = writeBytes(QStringLiteral("broken.7z"), bytes);
        EXPECT_FALSE(SevenZipHeader::holdsOneFile(path, QStringLiteral("data.bin"), content.size()));
        EXPECT_FALSE(testZip(m_runner, path, QString())) << "the archiver's listing refuses it too";
        EXPECT_FALSE(SevenZipHeader::read(path).readable);
    }

    EXPECT_FALSE(SevenZipHeader::holdsOneFile(m_folder.file(QStringLiteral("missing.7z")),
                                              QStringLiteral("data.bin"), content.size()));
    QDir().mkpath(m_folder.file(QStringLiteral("folder.7z")));
    EXPECT_FALSE(SevenZipHeader::holdsOneFile(m_folder.file(QStringLiteral("folder.7z")),
                                              QStringLiteral("data.bin"), content.size()));
}

// Two files, or a folder, in the archive: not the archive of one file, whichever name is asked.
TEST_F(SevenZipHeaderTest, RefusesAnArchiveWithMoreThanOneFileOrAFolder)
{
    const QString first = makeFile(QStringLiteral("first.txt"), "first");
    const QString second = makeFile(QStringLiteral("second.txt"), "second!");
    const QString two =
        archiveByHand(m_folder.file(QStringLiteral("two.7z")), {QStringLiteral("-mx1")}, {first, second});
    EXPECT_FALSE(testZip(m_runner, two, QString()));
    EXPECT_FALSE(SevenZipHeader::holdsOneFile(two, QStringLiteral("first.txt"), 5));
    EXPECT_FALSE(SevenZipHeader::holdsOneFile(two, QStringLiteral("second.txt"), 7));
    const SevenZipHeader::Result header = SevenZipHeader::read(two);
    ASSERT_TRUE(header.readable);
    EXPECT_EQ(header.entries.size(), 2);
    EXPECT_FALSE(header.moreEntries);
    EXPECT_EQ(SevenZipHeader::read(two, 1).entries.size(), 1);
    EXPECT_TRUE(SevenZipHeader::read(two, 1).moreEntries);

    // Two empty files: the header holds no data at all, only the two names.
    const QString emptyA = makeFile(QStringLiteral("a.txt"), QByteArray());
    const QString emptyB = makeFile(QStringLiteral("b.txt"), QByteArray());
    const QString twoEmpty = archiveByHand(m_folder.file(QStringLiteral("twoempty.7z")),
                                           {QStringLiteral("-mx1")}, {emptyA, emptyB});
    EXPECT_FALSE(SevenZipHeader::holdsOneFile(twoEmpty, QStringLiteral("a.txt"), 0));

    const QString folder = m_folder.file(QStringLiteral("src/only a folder"));
    QDir().mkpath(folder);
    const QString folderArchive =
        archiveByHand(m_folder.file(QStringLiteral("folder.7z")), {QStringLiteral("-mx1")}, {folder});
    EXPECT_FALSE(SevenZipHeader::holdsOneFile(folderArchive, QStringLiteral("only a folder"), 0));
    const SevenZipHeader::Result folderHeader = SevenZipHeader::read(folderArchive);
    ASSERT_TRUE(folderHeader.readable);
    ASSERT_EQ(folderHeader.entries.size(), 1);
    EXPECT_FALSE(folderHeader.entries.first().isFile);
}

// A run started without any language settings (cron, a systemd timer) has the "C" locale; names
// outside ASCII must still be read, and the process keeps its locale afterwards.
TEST_F(SevenZipHeaderTest, ReadsNamesOutsideAsciiUnderTheCLocale)
{
    const QString name = QStringLiteral("Žluťoučký \"kůň\" úpěl €.txt");
    const QString source = makeFile(name, "content");
    const QString path = archive(source, QStringLiteral("1"));

    const char* current = std::setlocale(LC_ALL, nullptr);
    const std::string previous = current ? current : "C";
    ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
    const bool held = SevenZipHeader::holdsOneFile(path, name, 7);
    const SevenZipHeader::Result header = SevenZipHeader::read(path);
    const char* after = std::setlocale(LC_ALL, nullptr);
    const std::string afterName = after ? after : "";
    std::setlocale(LC_ALL, previous.c_str());

    EXPECT_TRUE(held);
    EXPECT_TRUE(header.readable) << header.errorText.toStdString();
    EXPECT_EQ(afterName, "C") << "the process's own locale is left as it was";
}
