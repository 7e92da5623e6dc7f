#include "storage/FolderDestination.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace ombrix;
using namespace Qt::Literals::StringLiterals;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

} // namespace

TEST(FolderDestinationTree, RenameListSizeAndRemoveASet)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    writeFile(root.filePath(u"OMX_a/home/a/x.txt.7z"_s), "xxx");
    writeFile(root.filePath(u"OMX_a/home/b/y.txt.7z"_s), "yyyyy");
    writeFile(root.filePath(u"OMX_b/home/a/other.7z"_s), "o");
    FolderDestination dest(root.path());

    EXPECT_EQ(dest.listFolders(u"OMX_a"_s, false), QStringList{u"OMX_a/home"_s});
    EXPECT_EQ(dest.listFolders(u"OMX_a"_s, true),
              (QStringList{u"OMX_a/home"_s, u"OMX_a/home/a"_s, u"OMX_a/home/b"_s}));
    EXPECT_DOUBLE_EQ(dest.treeSize(u"OMX_a"_s, {}), 8.0);
    EXPECT_DOUBLE_EQ(dest.treeSize(u"OMX_a"_s, [] { return true; }), 0.0);

    // A file moves into another set; a taken target is refused and left alone.
    EXPECT_TRUE(dest.renameEntry(u"OMX_a/home/a/x.txt.7z"_s, u"OMX_b/home/a/x.txt.7z"_s));
    EXPECT_TRUE(dest.fileExists(u"OMX_b/home/a/x.txt.7z"_s));
    EXPECT_FALSE(dest.fileExists(u"OMX_a/home/a/x.txt.7z"_s));
    EXPECT_FALSE(dest.renameEntry(u"OMX_a/home/b/y.txt.7z"_s, u"OMX_b/home/a/other.7z"_s));
    EXPECT_EQ(dest.fileSize(u"OMX_b/home/a/other.7z"_s), 1);
    EXPECT_FALSE(dest.renameEntry(u"../outside"_s, u"OMX_b/in"_s));

    EXPECT_TRUE(dest.removeTree(u"OMX_a"_s, [] {}));
    EXPECT_FALSE(QFileInfo::exists(root.filePath(u"OMX_a"_s)));
    EXPECT_TRUE(dest.removeTree(u"OMX_a"_s, {}));
    // The destination root itself is never removed.
    EXPECT_FALSE(dest.removeTree(QString(), {}));
    EXPECT_TRUE(QFileInfo(root.filePath(u"OMX_b"_s)).isDir());
    EXPECT_EQ(dest.listSetFolders(), QStringList{u"OMX_b"_s});
    EXPECT_TRUE(dest.keepAlive());
}
