#include "restore/RestoreTarget.h"

#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace ombrix::test {

TEST(RestoreTargetTest, TargetFolderStaysInsideTheChosenFolder)
{
    struct Case
    {
        QString path;
        bool toOriginal;
        QString expected;
    };
    const std::vector<Case> cases{
        {"/home/a/x.txt", true, "/home/a"},
        {"/x.txt", true, "/"},
        {"/home/a/x.txt", false, "/back/home/a"},
        {"C:/A/b.txt", false, "/back/C/A"},
        {"C:/A/b.txt", true, ""},      // a drive path has no original place here
        {"relative/x.txt", false, ""}, // not absolute
        {"/a/../../x.txt", false, ""}, // would climb out of /back
        {"/a/../x.txt", true, ""},     // never accepted, even where it would stay inside
        {"/a/./x.txt", false, ""},
        {"/a//x.txt", false, ""},
        {"/a/", false, ""}, // no file name
        {"", false, ""},
        {"/home/a:b/x.txt", false, "/back/home/ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(RestoreTarget::targetFolder(c.path, c.toOriginal, QStringLiteral("/back")), c.expected);
    }
}

TEST(RestoreTargetTest, ExactStateDeletesOnlyPlainExistingFoldersAwayFromGuardedOnes)
{
    TempProgramFolder program;
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString data = root.filePath(QStringLiteral("data"));
    const QString backups = root.filePath(QStringLiteral("data/backups"));
    const QString other = root.filePath(QStringLiteral("other"));
    QDir().mkpath(backups);
    QDir().mkpath(other);
    QFile file(root.filePath(QStringLiteral("other/file.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QStringList guarded{program.path(), backups};

    struct Case
    {
        QString line;
        bool removable;
    };
    const std::vector<Case> cases{
        {other, true},
        {other + QStringLiteral("/"), true},
        {other + QStringLiteral("///*.txt"), false},              // an entry with options
        {root.filePath(QStringLiteral("other/file.txt")), false}, // a file
        {root.filePath(QStringLiteral("missing")), false},
        {data, false}, // holds the backup destination
        {backups, false},
        {program.path(), false}, // the program folder
        {QDir(program.path()).absoluteFilePath(QStringLiteral("..")), false},
        {other + QStringLiteral("/../other"), false},
        {QStringLiteral("/"), false},
        {QDir::homePath(), false},
        {QStringLiteral("relative"), false},
        {QString(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        EXPECT_EQ(RestoreTarget::isRemovableSourceFolder(c.line, guarded), c.removable);
    }
}

} // namespace ombrix::test
