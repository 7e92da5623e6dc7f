#include "restore/RecoverySelection.h"

#include "core/catalog/CatalogLine.h"
#include "core/text/TextFile.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QStringList>

namespace ombrix {

namespace {

QString line(const QString& path, bool plainCopy = false)
{
    return CatalogLine::make(path, QStringLiteral("2014-03-05-21-07-08"),
                             QStringLiteral("OMX_2014-03-05_21-07-09"), plainCopy);
}

class RecoverySelectionTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_lines = {line(QStringLiteral("/A/x.txt")), line(QStringLiteral("/A/B/y.txt")),
                   line(QStringLiteral("/A/z.txt"), true), line(QStringLiteral("/A/ž ü.txt"))};
        // As the archive browser leaves it: the set's catalog, UTF-8 with BOM and CR LF.
        m_folder.write(QStringLiteral("recoverylist.csv"), TextFile::encodeUtf8Bom(m_lines));
    }

    QString listPath() const { return m_folder.file(QStringLiteral("recoverylist.csv")); }
    QByteArray listBytes() const { return m_folder.read(QStringLiteral("recoverylist.csv")); }

    test::TempProgramFolder m_folder;
    QStringList m_lines;
};

} // namespace

TEST_F(RecoverySelectionTest, WritesTheChosenLinesInTheGivenOrderWithoutByteOrderMark)
{
    const auto result = RecoverySelection::rewrite(listPath(), {0, 2, 3});
    EXPECT_EQ(result.status, RecoverySelection::Status::Written);
    EXPECT_EQ(result.lines, 3);
    EXPECT_EQ(listBytes(), TextFile::encodeLocal8Bit({m_lines.at(0), m_lines.at(2), m_lines.at(3)}));
    EXPECT_FALSE(listBytes().startsWith("\xEF\xBB\xBF"));
    // The reduced list reads back to the same lines, the non-ASCII name included.
    EXPECT_EQ(TextFile::readLines(listPath()).lines,
              (QStringList{m_lines.at(0), m_lines.at(2), m_lines.at(3)}));

    // The order given is kept, not re-sorted.
    EXPECT_EQ(RecoverySelection::rewrite(listPath(), {2, 0}).status, RecoverySelection::Status::Written);
    EXPECT_EQ(TextFile::readLines(listPath()).lines, (QStringList{m_lines.at(3), m_lines.at(0)}));
}

TEST_F(RecoverySelectionTest, RefusalsLeaveTheListUntouched)
{
    const QByteArray before = listBytes();
    struct Case
    {
        QList<qsizetype> chosen;
        RecoverySelection::Status status;
    };
    const QList<Case> cases = {
        {{}, RecoverySelection::Status::NothingChosen},
        {{0, 4}, RecoverySelection::Status::UnknownLine},
        {{-1}, RecoverySelection::Status::UnknownLine},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RecoverySelection::rewrite(listPath(), c.chosen).status, c.status);
        EXPECT_EQ(listBytes(), before);
    }
}

TEST_F(RecoverySelectionTest, AMissingListIsNotCreated)
{
    ASSERT_TRUE(QFile::remove(listPath()));
    EXPECT_EQ(RecoverySelection::rewrite(listPath(), {0}).status, RecoverySelection::Status::ListMissing);
    EXPECT_FALSE(QFile::exists(listPath()));
    // A folder of that name is not a list either.
    m_folder.write(QStringLiteral("recoverylist.csv/inner"), "x");
    EXPECT_EQ(RecoverySelection::rewrite(listPath(), {0}).status, RecoverySelection::Status::ListMissing);
}

TEST_F(RecoverySelectionTest, AListRemovedWhileEventsRunIsNotBroughtBack)
{
    QList<qsizetype> chosen;
    for (qsizetype i = 0; i < 250; ++i)
        chosen.append(i % 4);
    QList<qsizetype> reported;
    const auto result = RecoverySelection::rewrite(listPath(), chosen, [&](qsizetype done, qsizetype total) {
        EXPECT_EQ(total, 250);
        reported.append(done);
        if (done == 200)
            QFile::remove(listPath());
    });
    EXPECT_EQ(reported, (QList<qsizetype>{0, 100, 200}));
    EXPECT_EQ(result.status, RecoverySelection::Status::ListMissing);
    EXPECT_FALSE(QFile::exists(listPath()));
}

TEST_F(RecoverySelectionTest, AnUnwritableFolderKeepsTheOldList)
{
    const QByteArray before = listBytes();
    QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::ExeOwner);
    const auto result = RecoverySelection::rewrite(listPath(), {1});
    QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (result.status == RecoverySelection::Status::Written)
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    EXPECT_EQ(result.status, RecoverySelection::Status::WriteFailed);
    EXPECT_EQ(listBytes(), before);
}

} // namespace ombrix
