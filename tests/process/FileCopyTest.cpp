#include "archive/FileCopy.h"

#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

using namespace ombrix;

namespace {

class FileCopyTest : public ::testing::TestWithParam<bool>
{
  protected:
    void SetUp() override
    {
        m_previousBin = qgetenv("OMBRIX_BIN_DIR");
        qputenv("OMBRIX_BIN_DIR", test::binDir().toLocal8Bit());
    }
    void TearDown() override { qputenv("OMBRIX_BIN_DIR", m_previousBin); }

    bool copy(const QString& source, const QString& destination)
    {
        return CopyFileExternal(source, destination, GetParam(), m_state, [] {});
    }

    test::TempProgramFolder m_folder;
    RunState m_state;
    QByteArray m_previousBin;
};

} // namespace

TEST_P(FileCopyTest, CopiesContentAndModificationTime)
{
    const QByteArray content = QByteArray("binary\0data\r\n", 13).repeated(10000);
    m_folder.write(QStringLiteral("src/my file 'q\".bin"), content);
    const QString source = m_folder.file(QStringLiteral("src/my file 'q\".bin"));
    const QDateTime past = QDateTime::fromString(QStringLiteral("2014-03-05T21:07:09"), Qt::ISODate);
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(past, QFileDevice::FileModificationTime));
    }
    QFile::setPermissions(source, QFile::ReadOwner);
    const QString destination = m_folder.file(QStringLiteral("-dest žluť.bin"));

    ASSERT_TRUE(copy(source, destination));
    EXPECT_EQ(m_folder.read(QStringLiteral("-dest žluť.bin")), content);
    EXPECT_EQ(QFileInfo(destination).lastModified(), past);
    EXPECT_FALSE(QFileInfo::exists(destination + QStringLiteral(".tmp")));
    QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_P(FileCopyTest, MissingSourceGivesFalseAndLeavesNothing)
{
    const QString destination = m_folder.file(QStringLiteral("dest.bin"));
    m_folder.write(QStringLiteral("dest.bin.tmp"), "leftover of an interrupted copy");
    EXPECT_FALSE(copy(m_folder.file(QStringLiteral("missing.bin")), destination));
    EXPECT_FALSE(QFileInfo::exists(destination));
    EXPECT_FALSE(QFileInfo::exists(destination + QStringLiteral(".tmp")));
}

INSTANTIATE_TEST_SUITE_P(InternalAndExternal, FileCopyTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Internal" : "External"; });

TEST(FileCopy, ExternalCopierThatCannotBeFoundGivesFalse)
{
    test::TempProgramFolder folder;
    folder.write(QStringLiteral("a.bin"), "x");
    const QByteArray previousPath = qgetenv("PATH");
    const QByteArray previousBin = qgetenv("OMBRIX_BIN_DIR");
    qputenv("PATH", folder.path().toLocal8Bit());
    qunsetenv("OMBRIX_BIN_DIR");
    RunState state;
    const bool copied = CopyFileExternal(folder.file(QStringLiteral("a.bin")),
                                         folder.file(QStringLiteral("b.bin")), false, state, {});
    qputenv("PATH", previousPath);
    qputenv("OMBRIX_BIN_DIR", previousBin);
    EXPECT_FALSE(copied);
}
