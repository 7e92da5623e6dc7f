#include "core/sources/SourcesFile.h"

#include "core/sources/SourceFilter.h"
#include "core/sources/SourceParser.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QRandomGenerator>
#include <QStringEncoder>

using namespace ombrix;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

const QStringList sampleLines = {
    s("/home/jan/Documents///+*.doc///-~*"),
    s(""),
    s("%HOME%/Obrázky///D-Temp///X*.jpg///R-"),
    s("  /srv/data with blanks  "),
};

const QByteArray sampleBytes = QByteArray("\xEF\xBB\xBF") + "/home/jan/Documents///+*.doc///-~*\r\n" +
                               "\r\n" + "%HOME%/Obr\xC3\xA1zky///D-Temp///X*.jpg///R-\r\n" +
                               "  /srv/data with blanks  \r\n";

} // namespace

TEST(SourcesFile, WritesUtf8WithBomAndCrLfAndReadsBackByteExact)
{
    test::TempProgramFolder home;
    const QString path = home.file(SourcesFile::fileName);
    ASSERT_TRUE(SourcesFile::write(path, sampleLines));
    EXPECT_EQ(home.read(SourcesFile::fileName), sampleBytes);

    const SourcesFile::ReadResult r = SourcesFile::read(path);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.lines, sampleLines);

    ASSERT_TRUE(SourcesFile::write(path, r.lines));
    EXPECT_EQ(home.read(SourcesFile::fileName), sampleBytes);
}

TEST(SourcesFile, ReadsUtf16AndUnmarkedText)
{
    test::TempProgramFolder home;
    const QString text = sampleLines.join(s("\r\n")) + s("\r\n");

    QStringEncoder le(QStringEncoder::Utf16LE);
    home.write(s("le.txt"), QByteArray("\xFF\xFE") + QByteArray(le(text)));
    QStringEncoder be(QStringEncoder::Utf16BE);
    home.write(s("be.txt"), QByteArray("\xFE\xFF") + QByteArray(be(text)));
    // Without a mark: the locale's encoding (UTF-8), and line feeds alone are line ends too.
    home.write(s("plain.txt"), sampleLines.join(s("\n")).toUtf8());

    for (const char* name : {"le.txt", "be.txt", "plain.txt"}) {
        const SourcesFile::ReadResult r = SourcesFile::read(home.file(s(name)));
        ASSERT_TRUE(r.ok) << name;
        EXPECT_EQ(r.lines, sampleLines) << name;
    }
}

TEST(SourcesFile, EmptyAndMissingFiles)
{
    test::TempProgramFolder home;
    const QString path = home.file(SourcesFile::fileName);

    SourcesFile::ReadResult r = SourcesFile::read(path);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());

    ASSERT_TRUE(SourcesFile::createIfMissing(path));
    EXPECT_EQ(home.read(SourcesFile::fileName), QByteArray("\xEF\xBB\xBF"));
    r = SourcesFile::read(path);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.lines.isEmpty());

    // An existing list is left alone.
    ASSERT_TRUE(SourcesFile::write(path, sampleLines));
    ASSERT_TRUE(SourcesFile::createIfMissing(path));
    EXPECT_EQ(home.read(SourcesFile::fileName), sampleBytes);

    home.write(s("zero.txt"), QByteArray());
    r = SourcesFile::read(home.file(s("zero.txt")));
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.lines.isEmpty());

    // A folder in the file's place can neither be read nor replaced by an empty list.
    home.write(s("dir/sources.txt/x"), "x");
    EXPECT_FALSE(SourcesFile::read(home.file(s("dir/sources.txt"))).ok);
    EXPECT_FALSE(SourcesFile::createIfMissing(home.file(s("dir/sources.txt"))));
}

TEST(SourcesFile, RefusesLinesThatWouldSplitOrHideEntries)
{
    test::TempProgramFolder home;
    const QString path = home.file(SourcesFile::fileName);
    ASSERT_TRUE(SourcesFile::write(path, sampleLines));
    for (const QString& bad : {s("/a\n/b"), s("/a\r"), s("/a") + QChar(0)}) {
        QString error;
        EXPECT_FALSE(SourcesFile::write(path, {s("/ok"), bad}, &error));
        EXPECT_TRUE(error.contains(s("line 2")));
        EXPECT_EQ(home.read(SourcesFile::fileName), sampleBytes);
    }
}

TEST(SourcesFile, OversizedFileIsRefusedNotLoaded)
{
    test::TempProgramFolder home;
    const QString path = home.file(SourcesFile::fileName);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(SourcesFile::maxBytes + 1)); // sparse, costs no disk space
    }
    const SourcesFile::ReadResult r = SourcesFile::read(path);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.lines.isEmpty());
    EXPECT_TRUE(r.error.contains(s("too large")));
}

TEST(SourcesFile, DamagedBytesGiveLinesThatParseSafely)
{
    test::TempProgramFolder home;
    // NUL bytes, bytes that are not UTF-8, a truncated multi-byte character, a truncated marker.
    QByteArray bytes("/data\0///+*.txt\r\n", 17);
    bytes += "/d\xFF\xFE\xC3///-[\r\n";
    bytes += "/x///D-\xE2\x82";
    home.write(s("bad.txt"), bytes);
    SourcesFile::ReadResult r = SourcesFile::read(home.file(s("bad.txt")));
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.lines.size(), 3);
    // The reader keeps a NUL: dropped, it would join "/data" and what follows into another
    // entry. The parser then makes the line an invalid record.
    EXPECT_EQ(r.lines[0], s("/data") + QChar(0) + s("///+*.txt"));
    EXPECT_FALSE(pars_source(r.lines[0]).problem.isEmpty());
    const SourceEntry second = pars_source(r.lines[1]);
    EXPECT_EQ(second.excludeMasks, QStringList{s("[")});
    EXPECT_FALSE(SourceFilter(second).isValid());
    EXPECT_EQ(pars_source(r.lines[2]).excludedDirMasks.size(), 1);

    // A UTF-16 file cut in the middle of a character.
    home.write(s("cut16.txt"), QByteArray("\xFF\xFE/\0a\0\r", 7));
    r = SourcesFile::read(home.file(s("cut16.txt")));
    EXPECT_TRUE(r.ok);
    ASSERT_FALSE(r.lines.isEmpty());
    EXPECT_TRUE(r.lines[0].startsWith(s("/a")));

    // Random bytes: whatever lines come out, parsing, compiling and matching them stays safe.
    QRandomGenerator rng(20240501);
    for (int round = 0; round < 50; ++round) {
        QByteArray noise(4096, '\0');
        for (char& c : noise) {
            const quint32 v = rng.bounded(12u);
            c = v < 3   ? '/'
                : v < 4 ? '['
                : v < 5 ? '*'
                : v < 6 ? '\n'
                : v < 7 ? '%'
                        : char(rng.bounded(256u));
        }
        home.write(s("noise.txt"), noise);
        r = SourcesFile::read(home.file(s("noise.txt")));
        ASSERT_TRUE(r.ok);
        for (const QString& line : r.lines) {
            const SourceEntry e = pars_source(line);
            const SourceFilter f(e);
            if (f.isValid()) {
                EXPECT_TRUE(e.blank || !e.path.isEmpty() || e.storedPath.isEmpty());
                f.takesFile(line);
                f.entersFolder(line);
            } else {
                EXPECT_FALSE(f.errorText().isEmpty());
            }
        }
    }
}
