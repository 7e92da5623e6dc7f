#include "storage/local/LocalPaths.h"

#include "TreeFixture.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <sys/stat.h>

using namespace ombrix;
using namespace ombrix::storage;

namespace {

TEST(AppendUNC, LeavesEveryPathAsGiven)
{
    for (const QString& path :
         {QStringLiteral("/home/a b/x"), QStringLiteral("C:\\Data"), QStringLiteral("\\\\server\\share\\x"),
          QStringLiteral("C:"), QString(), QStringLiteral("relative/-x")})
        EXPECT_EQ(AppendUNC(path), path);
}

TEST(FileExists2, OnlyRegularFilesCount)
{
    test::TreeFixture tree;
    ASSERT_TRUE(tree.writeFile("f.txt", 3));
    ASSERT_TRUE(tree.makeFolder("folder"));
    ASSERT_TRUE(tree.makeLink("to_file", "f.txt"));
    ASSERT_TRUE(tree.makeLink("dangling", "nowhere"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path() + QStringLiteral("/pipe")).constData(), 0600), 0);
    ASSERT_TRUE(tree.writeFile(QByteArray("bad\xff"), 1));

    struct Case
    {
        const char* name;
        bool exists;
    };
    for (const Case& c : {Case{"f.txt", true}, Case{"to_file", true}, Case{"folder", false},
                          Case{"dangling", false}, Case{"pipe", false}, Case{"missing", false}})
        EXPECT_EQ(FileExists2(tree.path() + QLatin1Char('/') + QLatin1String(c.name)), c.exists) << c.name;
    EXPECT_FALSE(FileExists2(QString()));
    // A name that is not UTF-8 cannot be spelled as text: it must simply not be found.
    EXPECT_FALSE(FileExists2(tree.path() + QLatin1Char('/') + QFile::decodeName("bad\xff")));
}

TEST(FileExists2, FindsAFileBeyondThePathLengthLimit)
{
    test::TreeFixture tree;
    const QByteArray chain = tree.makeDeepChain("deep", QByteArray(255, 'n'), 20);
    ASSERT_FALSE(chain.isEmpty());
    ASSERT_TRUE(tree.writeFile(chain + "/f", 1));
    const QString path = tree.path() + QLatin1Char('/') + QFile::decodeName(chain) + QStringLiteral("/f");
    ASSERT_GT(path.size(), 4096);
    EXPECT_FALSE(QFileInfo::exists(path)); // the plain call gives up
    EXPECT_TRUE(FileExists2(path));
    EXPECT_FALSE(FileExists2(path + QStringLiteral("x")));
    EXPECT_TRUE(DirectoryExists2(tree.path() + QLatin1Char('/') + QFile::decodeName(chain)));
}

TEST(ForceLocalDir, CreatesEveryMissingLevel)
{
    test::TreeFixture tree;
    ASSERT_TRUE(tree.makeFolder("Backup"));
    const QString target = tree.path() + QStringLiteral("/Backup/OMX_x/C/Data");
    EXPECT_TRUE(forceLocalDir(target));
    EXPECT_TRUE(QFileInfo(target).isDir());
    EXPECT_TRUE(forceLocalDir(target)); // already there
    EXPECT_TRUE(forceLocalDir(target + QStringLiteral("/-x 'y'/Žluťoučký/")));
    EXPECT_TRUE(QFileInfo(target + QStringLiteral("/-x 'y'/Žluťoučký")).isDir());
}

TEST(ForceLocalDir, FailsWhereNoFolderCanExist)
{
    test::TreeFixture tree;
    ASSERT_TRUE(tree.writeFile("file", 1));
    EXPECT_FALSE(forceLocalDir(QString()));
    EXPECT_FALSE(forceLocalDir(tree.path() + QStringLiteral("/file")));
    EXPECT_FALSE(forceLocalDir(tree.path() + QStringLiteral("/file/sub")));
    EXPECT_FALSE(forceLocalDir(tree.path() + QLatin1Char('/') + QString(256, QLatin1Char('n'))));
}

TEST(ForceLocalDir, CreatesAChainLongerThanThePathLimit)
{
    test::TreeFixture tree;
    QString target = tree.path();
    for (int i = 0; i < 20; ++i)
        target += QLatin1Char('/') + QString(255, QLatin1Char('a' + i));
    ASSERT_GT(target.size(), 4096);
    EXPECT_TRUE(forceLocalDir(target));
    EXPECT_TRUE(DirectoryExists2(target));
}

TEST(ForceLocalDir, NeverCreatesAMissingRemovableMedium)
{
    const QString name = QStringLiteral("ombrix-missing-") + QUuid::createUuid().toString(QUuid::Id128);
    const QString medium = QStringLiteral("/mnt/") + name;
    ASSERT_FALSE(QFileInfo::exists(medium));
    EXPECT_FALSE(forceLocalDir(medium + QStringLiteral("/backup/OMX_x")));
    EXPECT_FALSE(QFileInfo::exists(medium));

    // A drive prefix that names no folder.
    const QString drive = QStringLiteral("Q:\\Backup\\") + name;
    EXPECT_FALSE(forceLocalDir(drive));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("Q:")));
    EXPECT_FALSE(QFileInfo::exists(drive));
}

} // namespace
