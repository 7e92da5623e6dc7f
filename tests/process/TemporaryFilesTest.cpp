#include "archive/TemporaryFiles.h"

#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>

using namespace ombrix;

TEST(TemporaryFiles, DeletesTmpFilesOfTheProgramFolderOnly)
{
    test::TempProgramFolder folder;
    const QStringList gone = {"testzip.tmp", "UPPER.TMP", "*.tmp", "-rf .tmp", "x.7z.tmp"};
    const QStringList kept = {"config.ini", "x.tmp.bak", "tmp", ".hidden.tmp", "sub/inner.tmp"};
    for (const QString& name : gone + kept)
        folder.write(name, "data");
    QDir(folder.path()).mkdir(QStringLiteral("folder.tmp"));

    EXPECT_EQ(deleteTemporaryFiles(), gone.size());
    for (const QString& name : gone)
        EXPECT_FALSE(QFileInfo::exists(folder.file(name))) << name.toStdString();
    for (const QString& name : kept)
        EXPECT_TRUE(QFileInfo::exists(folder.file(name))) << name.toStdString();
    EXPECT_TRUE(QFileInfo(folder.file(QStringLiteral("folder.tmp"))).isDir());
}
