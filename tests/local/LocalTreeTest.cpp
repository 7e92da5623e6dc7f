#include "storage/local/LocalTree.h"

#include "storage/local/LocalPaths.h"
#include "TreeFixture.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

using namespace ombrix;
using namespace ombrix::storage;

namespace {

const QByteArray longName(255, 'n');
const QByteArray badName("bad\xff\xfe name");
const QByteArray badFolder("d\xff");

// A tree with hostile names, links out of the tree and a chain deeper than the path limit.
// Sizes are chosen so every contribution shows up in the total.
class LocalTree : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(outside.isValid());
        ASSERT_TRUE(tree.writeFile("root/a.txt", 1));
        ASSERT_TRUE(tree.writeFile("root/sp ace 'q' \"dq\".bin", 2));
        ASSERT_TRUE(tree.writeFile("root/-lead", 4));
        ASSERT_TRUE(tree.writeFile(QByteArray("root/") + QString::fromUtf8("Žluťoučký kůň.txt").toUtf8(), 8));
        ASSERT_TRUE(tree.writeFile("root/" + longName, 16));
        ASSERT_TRUE(tree.writeFile("root/" + badName, 32));
        ASSERT_TRUE(tree.writeFile("root/sub/b.txt", 64));
        ASSERT_TRUE(tree.writeFile("root/sub/deeper/c.txt", 128));
        ASSERT_TRUE(tree.writeFile("root/.git/objects/o", 256)); // skipped by SizeDir
        ASSERT_TRUE(tree.writeFile("root/-dir/d", 512));
        ASSERT_TRUE(tree.writeFile("root/" + badFolder + "/e", 1024));
        // More than 4096 bytes of path below root, made of 255-byte names.
        deepChain = tree.makeDeepChain("root/deep", longName, 20);
        ASSERT_FALSE(deepChain.isEmpty());
        ASSERT_GT(tree.bytes().size() + deepChain.size(), 4096);
        ASSERT_TRUE(tree.writeFile(deepChain + "/f", 2048));
        // Links out of the tree: to a folder holding a big file, and to that file.
        QFile big(outside.filePath(QStringLiteral("big.bin")));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write(QByteArray(100000, 'b'));
        big.close();
        ASSERT_TRUE(tree.makeLink("root/link_out", QFile::encodeName(outside.path())));
        ASSERT_TRUE(
            tree.makeLink("root/link_file", QFile::encodeName(outside.filePath(QStringLiteral("big.bin")))));
        root = tree.path() + QStringLiteral("/root");
    }

    test::TreeFixture tree;
    QTemporaryDir outside;
    QByteArray deepChain;
    QString root;
    RunState state;
};

constexpr quint64 directFiles = 1 + 2 + 4 + 8 + 16 + 32;
constexpr quint64 wholeTree = directFiles + 64 + 128 + 512 + 1024 + 2048;

TEST_F(LocalTree, SizeDirCountsFilesSkipsDotFoldersAndLinks)
{
    EXPECT_EQ(SizeDir(root, true, state), wholeTree);
    EXPECT_EQ(SizeDir(root + QLatin1Char('/'), true, state), wholeTree);
    EXPECT_EQ(SizeDir(root, false, state), directFiles);
    EXPECT_EQ(SizeDir(root + QStringLiteral("/sub"), true, state), 64u + 128u);
}

TEST_F(LocalTree, SizeDirCountsAStartingFolderWhoseNameBeginsWithADot)
{
    EXPECT_EQ(SizeDir(root + QStringLiteral("/.git"), true, state), 256u);
}

TEST_F(LocalTree, SizeDirOfMissingOrNonFolderIsZero)
{
    EXPECT_EQ(SizeDir(root + QStringLiteral("/nope"), true, state), 0u);
    EXPECT_EQ(SizeDir(root + QStringLiteral("/a.txt"), true, state), 0u);
    EXPECT_EQ(SizeDir(QString(), true, state), 0u);
}

TEST_F(LocalTree, SizeDirStopsWhenStopIsPressedDuringThePump)
{
    // Enough entries that the walk pumps at least once before it is done.
    for (int i = 0; i < 600; ++i)
        ASSERT_TRUE(tree.writeFile("root/many/f" + QByteArray::number(i), 1));
    RunState running;
    EXPECT_EQ(SizeDir(root, true, running), wholeTree + 600);

    int pumps = 0;
    const quint64 stopped = SizeDir(root, true, running, [&] {
        if (++pumps == 2)
            running.stopRequested = true;
    });
    EXPECT_GE(pumps, 2);
    EXPECT_LT(stopped, wholeTree + 600);

    RunState stopFirst;
    stopFirst.stopRequested = true;
    EXPECT_EQ(SizeDir(root, true, stopFirst), 0u);
}

TEST_F(LocalTree, ListsDirectSubfoldersAppendingToTheList)
{
    QStringList dirListing{QStringLiteral("kept")};
    listLocalDirs(root, false, dirListing);
    const QString bad = QFile::decodeName(badFolder);
    // Byte order of the names: "deep" sorts before "d\xff".
    const QStringList expected = {QStringLiteral("kept"),         root + QStringLiteral("/-dir"),
                                  root + QStringLiteral("/.git"), root + QStringLiteral("/deep"),
                                  root + QLatin1Char('/') + bad,  root + QStringLiteral("/sub")};
    EXPECT_EQ(dirListing, expected);

    QStringList slash;
    listLocalDirs(root + QLatin1Char('/'), false, slash);
    EXPECT_EQ(slash.first(), root + QStringLiteral("/-dir"));
}

TEST_F(LocalTree, RecursiveListingIsDepthFirstAndReachesBeyondThePathLimit)
{
    QStringList dirListing;
    listLocalDirs(root, true, dirListing);
    const int sub = dirListing.indexOf(root + QStringLiteral("/sub"));
    ASSERT_GE(sub, 0);
    ASSERT_LT(sub + 1, dirListing.size());
    EXPECT_EQ(dirListing.at(sub + 1), root + QStringLiteral("/sub/deeper"));
    EXPECT_TRUE(dirListing.contains(root + QStringLiteral("/.git/objects")));
    EXPECT_TRUE(dirListing.contains(root + QLatin1Char('/') + QFile::decodeName(deepChain.mid(5))));
    for (const QString& folder : dirListing)
        EXPECT_FALSE(folder.contains(QStringLiteral("link_"))) << folder.toStdString();
    // root/-dir, .git, .git/objects, the bad folder, deep + 20 levels, sub, sub/deeper
    EXPECT_EQ(dirListing.size(), 1 + 2 + 1 + 21 + 2);
}

TEST_F(LocalTree, ListingOfMissingFolderOrFileAddsNothing)
{
    QStringList dirListing;
    listLocalDirs(root + QStringLiteral("/nope"), true, dirListing);
    listLocalDirs(root + QStringLiteral("/a.txt"), true, dirListing);
    listLocalDirs(QString(), true, dirListing);
    EXPECT_TRUE(dirListing.isEmpty());
}

TEST_F(LocalTree, RemovesWholeTreeButNotWhatLinksPointAt)
{
    // A folder we cannot write into and one we cannot read are still removed.
    ASSERT_TRUE(tree.writeFile("root/locked/inner/g", 1));
    ASSERT_EQ(::chmod(QFile::encodeName(root + QStringLiteral("/locked")).constData(), 0500), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(root + QStringLiteral("/locked/inner")).constData(), 0), 0);
    int pumps = 0;
    for (int i = 0; i < 600; ++i)
        ASSERT_TRUE(tree.writeFile("root/many/f" + QByteArray::number(i), 1));

    EXPECT_EQ(odstran_dir(root, [&] { ++pumps; }), RemoveResult::Removed);
    EXPECT_FALSE(tree.exists("root"));
    EXPECT_GT(pumps, 0);
    EXPECT_TRUE(QFile::exists(outside.filePath(QStringLiteral("big.bin"))));
    EXPECT_EQ(QFileInfo(outside.filePath(QStringLiteral("big.bin"))).size(), 100000);
    EXPECT_EQ(odstran_dir(root), RemoveResult::Missing);
}

TEST_F(LocalTree, RemovingALinkToAFolderRemovesOnlyTheLink)
{
    EXPECT_EQ(odstran_dir(root + QStringLiteral("/link_out")), RemoveResult::Removed);
    EXPECT_FALSE(tree.exists("root/link_out"));
    EXPECT_TRUE(QFile::exists(outside.filePath(QStringLiteral("big.bin"))));
    // A link to a file is no folder: nothing to remove.
    EXPECT_EQ(odstran_dir(root + QStringLiteral("/link_file")), RemoveResult::Missing);
    EXPECT_TRUE(tree.exists("root/link_file"));
    EXPECT_EQ(odstran_dir(root + QStringLiteral("/a.txt")), RemoveResult::Missing);
    EXPECT_TRUE(tree.exists("root/a.txt"));
}

TEST_F(LocalTree, VeryDeepNarrowTreeIsListedSizedAndRemoved)
{
    // Far more levels than folders are kept open at once.
    const QByteArray chain = tree.makeDeepChain("narrow", "d", 120);
    ASSERT_FALSE(chain.isEmpty());
    ASSERT_TRUE(tree.writeFile(chain + "/leaf", 5));
    ASSERT_TRUE(tree.writeFile("narrow/top", 7));
    const QString narrow = tree.path() + QStringLiteral("/narrow");
    EXPECT_EQ(SizeDir(narrow, true, state), 12u);
    QStringList dirListing;
    listLocalDirs(narrow, true, dirListing);
    EXPECT_EQ(dirListing.size(), 120);
    EXPECT_EQ(odstran_dir(narrow), RemoveResult::Removed);
    EXPECT_FALSE(tree.exists("narrow"));
}

TEST(RemovalGuard, RefusesRootHomeWorkingFolderAndTheirParents)
{
    const QString home = QDir::homePath();
    const QString cwd = QDir::currentPath();
    for (const QString& path :
         {QString(), QStringLiteral("   "), QStringLiteral("/"), QStringLiteral("//"), QStringLiteral("/."),
          QStringLiteral("/tmp/.."), home, home + QLatin1Char('/'), home + QStringLiteral("/."),
          QFileInfo(home).absolutePath(), cwd, QStringLiteral("."), QStringLiteral(".."),
          QFileInfo(cwd).absolutePath()})
        EXPECT_TRUE(platform::DirectoryTree::isProtectedFromRemoval(path)) << path.toStdString();

    QTemporaryDir scratch;
    EXPECT_FALSE(platform::DirectoryTree::isProtectedFromRemoval(scratch.filePath(QStringLiteral("x"))));
}

TEST(RemovalGuard, RefusedFolderStaysInPlace)
{
    QTemporaryDir fakeHome;
    ASSERT_TRUE(fakeHome.isValid());
    QFile keep(fakeHome.filePath(QStringLiteral("keep.txt")));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.close();
    const QByteArray previous = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(fakeHome.path()));
    const RemoveResult result = odstran_dir(fakeHome.path());
    const RemoveResult viaParentStep =
        odstran_dir(fakeHome.path() + QStringLiteral("/../") + QFileInfo(fakeHome.path()).fileName());
    qputenv("HOME", previous);
    EXPECT_EQ(result, RemoveResult::Refused);
    EXPECT_EQ(viaParentStep, RemoveResult::Refused);
    EXPECT_TRUE(keep.exists());
    EXPECT_EQ(odstran_dir(QString()), RemoveResult::Refused);
}

} // namespace
