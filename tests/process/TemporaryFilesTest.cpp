#include "archive/TemporaryFiles.h"

#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>

using namespace ombrix;

TEST(TemporaryFiles, DeletesTmpFilesOfTheProgramFolderOnly)
{
    test::TempProgramFolder folder;
    // The archiver's work file of a killed run is named after a hidden scratch archive.
    const QStringList gone = {"testzip.tmp", "UPPER.TMP", "*.tmp",
                              "-rf .tmp",    "x.7z.tmp",  ".ombrix-Ab12Cd.7z.tmp"};
    const QStringList kept = {"config.ini", "x.tmp.bak", "tmp", "sub/inner.tmp"};
    for (const QString& name : gone + kept)
        folder.write(name, "data");
    QDir(folder.path()).mkdir(QStringLiteral("folder.tmp"));
    // An extraction's staging folder left by a killed run goes with its content.
    folder.write(QStringLiteral(".ombrix-extract-Xy12Zw/archivlist.csv"), "data");

    EXPECT_EQ(deleteTemporaryFiles(), gone.size() + 1);
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral(".ombrix-extract-Xy12Zw"))));
    for (const QString& name : gone)
        EXPECT_FALSE(QFileInfo::exists(folder.file(name))) << name.toStdString();
    for (const QString& name : kept)
        EXPECT_TRUE(QFileInfo::exists(folder.file(name))) << name.toStdString();
    EXPECT_TRUE(QFileInfo(folder.file(QStringLiteral("folder.tmp"))).isDir());
}
