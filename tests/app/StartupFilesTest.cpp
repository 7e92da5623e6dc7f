#include "core/app/StartupFiles.h"

#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>

using namespace ombrix;

TEST(StartupFiles, ClearsLeftoversButOnlyTempFilesOfTheFolderItself)
{
    test::TempProgramFolder home;
    for (const char* name : {"a.tmp", "B.TMP", ".hidden.tmp", "restart.sh", "TotalCommander_7zip_plugin.rar",
                             "keep.txt", "tmp", "x.tmp.txt", "sub/inner.tmp"})
        home.write(QLatin1String(name), "x");
    QDir(home.path()).mkdir(QStringLiteral("folder.tmp"));

    const app::StartupFiles files(home.path());
    files.removeLeftoverPlugin();
    files.removeRestartScript();
    EXPECT_EQ(files.removeTempFiles(), 3);

    for (const char* gone : {"a.tmp", "B.TMP", ".hidden.tmp", "restart.sh", "TotalCommander_7zip_plugin.rar"})
        EXPECT_FALSE(QFileInfo::exists(home.file(QLatin1String(gone)))) << gone;
    for (const char* kept : {"keep.txt", "tmp", "x.tmp.txt", "sub/inner.tmp", "folder.tmp"})
        EXPECT_TRUE(QFileInfo::exists(home.file(QLatin1String(kept)))) << kept;
}

TEST(StartupFiles, CreatesEmptySourcesAndDefaultConfigButKeepsExistingOnes)
{
    test::TempProgramFolder home;
    const app::StartupFiles files(home.path());
    ASSERT_TRUE(files.ensureSourceList());
    ASSERT_TRUE(files.ensureConfig());
    EXPECT_EQ(QFileInfo(home.file(QStringLiteral("sources.txt"))).size(), 0);
    EXPECT_TRUE(home.read(QStringLiteral("config.ini")).contains("[OPTIONS_EMAIL]"));

    home.write(QStringLiteral("sources.txt"), "kept");
    home.write(QStringLiteral("config.ini"), "[SYSTEM]\r\nTAB_INDEX=3\r\n");
    ASSERT_TRUE(files.ensureSourceList());
    ASSERT_TRUE(files.ensureConfig());
    EXPECT_EQ(home.read(QStringLiteral("sources.txt")), QByteArray("kept"));
    EXPECT_EQ(home.read(QStringLiteral("config.ini")), QByteArray("[SYSTEM]\r\nTAB_INDEX=3\r\n"));
}

TEST(StartupFiles, UnwritableFolderIsReported)
{
    test::TempProgramFolder home;
    // A folder in the place of sources.txt cannot be replaced by the file, even for root.
    QDir(home.path()).mkdir(QStringLiteral("sources.txt"));
    EXPECT_FALSE(app::StartupFiles(home.path()).ensureSourceList());

    const app::StartupFiles missing(home.file(QStringLiteral("no/such/folder")));
    EXPECT_FALSE(missing.enterFolder());
    EXPECT_FALSE(missing.ensureSourceList());
    EXPECT_FALSE(missing.ensureConfig());
}

TEST(StartupFiles, EnterFolderMakesBareNamesLocal)
{
    test::TempProgramFolder home;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(app::StartupFiles(home.path()).enterFolder());
    EXPECT_EQ(QFileInfo(QStringLiteral("config.ini")).absoluteFilePath(),
              QFileInfo(home.file("config.ini")).absoluteFilePath());
    QDir::setCurrent(before);
}
