#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "core/sources/SourcesFile.h"
#include "support/RestoreFixture.h"
#include "support/ScheduledRun.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

namespace ombrix::test {

// A chain made with the real 7za whose merge of sets 1..2 was interrupted.
class MergeContinuationTest : public RestoreFixture
{
};

TEST_F(MergeContinuationTest, ScheduledStartContinuesTheMergeAndEnds)
{
    QStringList sets;
    std::vector<Tree> states;
    for (int i = 0; i < 4; ++i) {
        writeSource(QStringLiteral("changing.txt"), QByteArray("version ") + QByteArray::number(i));
        writeSource(QStringLiteral("f%1.txt").arg(i), QByteArray("from set ") + QByteArray::number(i));
        sets << makeSet();
        states.push_back(sourceTree());
    }
    config->writeString(ConfigKeys::BACKUP_DIR, destinationDir.path());
    config->writeInt(ConfigKeys::SUM_DONE, 0);
    config->writeString(ConfigKeys::SUM_FROM, SetName::withoutPrefix(sets[1]));
    config->writeString(ConfigKeys::SUM_TO, SetName::withoutPrefix(sets[2]));

    const ScheduledRun outcome = ScheduledRun::run(program->path());
    ASSERT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.exitCode, 0);
    // The merge ran instead of a backup: no new set, sets 1 merged into 2.
    EXPECT_EQ(destination->listSetFolders(), (QStringList{sets[0], sets[2], sets[3]}));
    EXPECT_EQ(restoreStored(sets[2]), states[2]);
    EXPECT_EQ(restoreStored(sets[3]), states[3]);
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 0), 1);
    EXPECT_EQ(config->readString(ConfigKeys::SUM_FROM, QStringLiteral("?")), QString());
}

TEST(MergeContinuation, ConfigWithoutSumDoneRunsTheBackupAndEnds)
{
    TempProgramFolder home;
    QTemporaryDir destination;
    QTemporaryDir sources;
    home.write(QStringLiteral("config.ini"), defaultConfigBytes());
    IniStore config(home.file(QStringLiteral("config.ini")));
    config.writeString(ConfigKeys::BACKUP_DIR, destination.path());
    ASSERT_TRUE(config.deleteKey(ConfigKeys::SUM_DONE.section, ConfigKeys::SUM_DONE.name));
    ASSERT_FALSE(config.hasKey(ConfigKeys::SUM_DONE));
    ASSERT_TRUE(SourcesFile::write(home.file(SourcesFile::fileName), {sources.path()}));
    QFile file(QDir(sources.path()).filePath(QStringLiteral("a.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("content");
    file.close();

    const ScheduledRun outcome = ScheduledRun::run(home.path());
    ASSERT_TRUE(outcome.finished) << "the scheduled run did not end";
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(config.readInt(ConfigKeys::SUM_DONE, -1), 1);
    // The scheduled backup ran as if no merge had been pending.
    EXPECT_EQ(QDir(destination.path()).entryList({QStringLiteral("OMX_*")}, QDir::Dirs).size(), 1);
}

} // namespace ombrix::test
