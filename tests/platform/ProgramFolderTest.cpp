#include "platform/ProgramFolder.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

using namespace ombrix;

TEST(ProgramFolder, HomeVariableNamesTheFolder)
{
    test::TempProgramFolder home;
    EXPECT_EQ(platform::programFolder(), QDir::cleanPath(home.path()));
    EXPECT_EQ(platform::programFile(QStringLiteral("config.ini")), home.file(QStringLiteral("config.ini")));
}

TEST(Copier, CopiesThroughTemporaryAndKeepsTime)
{
    test::TempProgramFolder home;
    QByteArray payload(3 * 1024 * 1024 + 7, 'x');
    payload[5] = '\0';
    home.write(QStringLiteral("a b/src -x.bin"), payload);
    const QString src = home.file(QStringLiteral("a b/src -x.bin"));
    {
        QFile f(src);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)), QFileDevice::FileModificationTime);
    }
    const QString dst = home.file(QStringLiteral("dst \"q\".bin"));
    const int rc = QProcess::execute(test::binDir() + QStringLiteral("/ombrixcopy"), {src, dst});
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(home.read(QStringLiteral("dst \"q\".bin")), payload);
    EXPECT_FALSE(QFileInfo::exists(dst + QStringLiteral(".tmp")));
    EXPECT_EQ(QFileInfo(dst).lastModified(), QFileInfo(src).lastModified());
}

TEST(Copier, MissingSourceLeavesNoDestination)
{
    test::TempProgramFolder home;
    const QString dst = home.file(QStringLiteral("out.bin"));
    const int rc = QProcess::execute(test::binDir() + QStringLiteral("/ombrixcopy"),
                                     {home.file(QStringLiteral("nope")), dst});
    EXPECT_NE(rc, 0);
    EXPECT_FALSE(QFileInfo::exists(dst));
    EXPECT_FALSE(QFileInfo::exists(dst + QStringLiteral(".tmp")));
}
