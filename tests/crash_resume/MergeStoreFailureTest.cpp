#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"
#include "CrashResumeFixture.h"
#include "merge/MergeRun.h"
#include "support/TestMergeControls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {
namespace {

using MergeStoreFailureTest = CrashResumeFixture;

// The target's catalog cannot be stored back after files were moved into the target (its place
// on the destination is taken). Deleting the merged sets then would leave the target's stored
// catalog naming sets that are gone: the merge must stay unfinished with every set kept, and
// continuing once the destination is sound again must finish it with A, D and E restorable.
TEST_F(MergeStoreFailureTest, TargetCatalogNotStoredKeepsTheMergedSetsUntilContinued)
{
    makeChain();
    const QString from = SetName::withoutPrefix(sets[1]);
    const QString to = SetName::withoutPrefix(sets[3]);
    const QString catalogArchive =
        SetLayout::sideArchivePath(destinationDir.path(), sets[3], SetLayout::catalogFile);
    const QString aside = destinationDir.filePath(QStringLiteral("catalog-aside.7z"));
    bool blocked = false;
    // Once the move shows its first file, a folder takes the place of the target's catalog.
    host.setPumpHook([&] {
        const QStringList shown = host.statusTexts(Page::Merge);
        if (!blocked && !shown.isEmpty() && shown.last().contains(sourceDir.path()))
            blocked = QFile::rename(catalogArchive, aside) && QDir().mkdir(catalogArchive);
    });
    {
        TestMergeControls controls;
        controls.listWithRange(destination->listSetFolders(), from, to);
        MergeRun merge(host, controls, *config, *runLog, runState, archiveState, *destination);
        merge.setPausePercent(0);
        merge.runMerge();
    }
    host.setPumpHook({});
    ASSERT_TRUE(blocked) << host.statusTexts(Page::Merge).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 1), 0);
    EXPECT_EQ(destination->listSetFolders(), sets);

    ASSERT_TRUE(QDir().rmdir(catalogArchive));
    ASSERT_TRUE(QFile::rename(aside, catalogArchive));
    {
        TestMergeControls controls;
        controls.listWithRange(destination->listSetFolders(), from, to);
        MergeRun merge(host, controls, *config, *runLog, runState, archiveState, *destination);
        merge.setPausePercent(0);
        merge.runMerge();
    }
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 0), 1);
    EXPECT_EQ(destination->listSetFolders(), (QStringList{sets[0], sets[3], sets[4]}));
    for (const int kept : {0, 3, 4})
        EXPECT_EQ(restoreStored(sets[kept]), states[size_t(kept)]) << sets[kept].toStdString();
}

} // namespace
} // namespace ombrix::test
