#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"
#include "merge/ArchiveCountKeeper.h"
#include "merge/MergeControls.h"
#include "merge/MergeListControls.h"
#include "merge/MergeRun.h"
#include "merge/MergeSetList.h"
#include "support/RestoreFixture.h"
#include "support/TestMergeControls.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QLocale>

namespace ombrix::test {

class MergePageLogicTest : public RestoreFixture
{
  protected:
    void SetUp() override
    {
        RestoreFixture::SetUp();
        setList = std::make_unique<MergeSetList>(host, page, *config, runState, *destination);
        page.setList = setList.get();
        merge =
            std::make_unique<MergeRun>(host, page, *config, *runLog, runState, archiveState, *destination);
        merge->setPausePercent(0);
        keeper = std::make_unique<ArchiveCountKeeper>(*config, *destination, *setList, page, *merge,
                                                      [this](int index) { shownPages << index; });
    }

    // Empty set folders named from hour 0 on: 2024-01-01_00-00-00, 2024-01-01_01-00-00, ...
    QStringList makeFolders(int count)
    {
        QStringList stamps;
        for (int i = 0; i < count; ++i) {
            const QString stamp = QStringLiteral("2024-01-01_%1-00-00").arg(i, 2, 10, QLatin1Char('0'));
            EXPECT_TRUE(QDir(destinationDir.path()).mkpath(QStringLiteral("OMX_") + stamp));
            stamps << stamp;
        }
        return stamps;
    }

    void writeFile(const QString& relPath, qint64 bytes)
    {
        const QString path = destinationDir.filePath(relPath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(bytes, 'x'));
    }

    QString sumFrom() const { return config->readString(ConfigKeys::SUM_FROM, QStringLiteral("?")); }
    QString sumTo() const { return config->readString(ConfigKeys::SUM_TO, QStringLiteral("?")); }
    QString status() const { return host.currentStatus(Page::Merge).trimmed(); }

    TestMergeControls page;
    std::unique_ptr<MergeSetList> setList;
    std::unique_ptr<MergeRun> merge;
    std::unique_ptr<ArchiveCountKeeper> keeper;
    QList<int> shownPages;
};

TEST_F(MergePageLogicTest, ListingShowsTheSetsWithoutPrefixAndEmptiesAFinishedRange)
{
    const QStringList stamps = makeFolders(3);
    QDir(destinationDir.path()).mkpath(QStringLiteral("other"));
    config->writeInt(ConfigKeys::SUM_DONE, 1);
    config->writeString(ConfigKeys::SUM_FROM, stamps[0]);
    config->writeString(ConfigKeys::SUM_TO, stamps[2]);
    EXPECT_EQ(setList->listMergeSets(), MergeSetList::Listing::Listed);
    EXPECT_EQ(page.entries, stamps);
    EXPECT_TRUE(page.selected.isEmpty());
    EXPECT_FALSE(page.mergeEnabled);
    EXPECT_TRUE(page.sizeEnabled);
    EXPECT_EQ(sumFrom(), QString());
    EXPECT_EQ(sumTo(), QString());
    EXPECT_EQ(status(), QStringLiteral("Kliknutím vyberte první a poslední archiv"));
}

TEST_F(MergePageLogicTest, ListingWithoutDestinationLeavesTheListEmpty)
{
    makeFolders(2);
    destination = std::make_unique<FolderDestination>(destinationDir.filePath(QStringLiteral("missing")));
    MergeSetList list(host, page, *config, runState, *destination);
    page.entries = {QStringLiteral("old")};
    EXPECT_EQ(list.listMergeSets(), MergeSetList::Listing::NoDestination);
    EXPECT_TRUE(page.entries.isEmpty());
}

// An unfinished merge (SUM_DONE 0) selects its range again as long as its target exists.
TEST_F(MergePageLogicTest, UnfinishedMergeRestoresItsRange)
{
    struct Case
    {
        const char* name;
        int removed;      // set folder removed before listing, -1 none
        const char* from; // stored first boundary when not the second set
        MergeSetList::Listing outcome;
        QList<int> selected;
    };
    const Case cases[] = {
        {"both boundaries present", -1, nullptr, MergeSetList::Listing::RangeRestored, {1, 2, 3}},
        {"first set deleted by an interrupted deletion",
         1,
         nullptr,
         MergeSetList::Listing::RangeRestored,
         {1, 2}},
        {"target gone", 3, nullptr, MergeSetList::Listing::RangeLost, {}},
        {"first boundary not a time stamp", -1, "0", MergeSetList::Listing::RangeLost, {}},
        {"range stored backwards", -1, "2024-01-01_04-00-00", MergeSetList::Listing::RangeLost, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(destinationDir.path()).removeRecursively();
        QDir().mkpath(destinationDir.path());
        const QStringList stamps = makeFolders(5);
        if (c.removed >= 0)
            QDir(destinationDir.filePath(QStringLiteral("OMX_") + stamps[c.removed])).removeRecursively();
        config->writeInt(ConfigKeys::SUM_DONE, 0);
        config->writeString(ConfigKeys::SUM_FROM, c.from ? QString::fromLatin1(c.from) : stamps[1]);
        config->writeString(ConfigKeys::SUM_TO, stamps[3]);
        page.mergeEnabled = false;
        page.listEnabled = true;
        EXPECT_EQ(setList->listMergeSets(), c.outcome);
        EXPECT_EQ(page.selected, c.selected);
        const bool restored = c.outcome == MergeSetList::Listing::RangeRestored;
        EXPECT_EQ(page.mergeEnabled, restored);
        EXPECT_EQ(page.listEnabled, !restored);
        EXPECT_EQ(status(), QStringLiteral("slučování nebylo dokončeno, bude se pokračovat..."));
        EXPECT_EQ(sumTo(), stamps[3]); // the stored range is kept
    }
}

TEST_F(MergePageLogicTest, TwoClicksInEitherOrderSelectTheRange)
{
    const QStringList stamps = makeFolders(5);
    config->writeInt(ConfigKeys::SUM_DONE, 1);
    for (const auto& [first, second] : {std::pair{3, 1}, std::pair{1, 3}}) {
        setList->listMergeSets();
        setList->pickMergeBoundary(first);
        EXPECT_EQ(sumFrom(), stamps[first]);
        EXPECT_EQ(sumTo(), QString());
        EXPECT_FALSE(page.mergeEnabled);
        EXPECT_EQ(status(), QStringLiteral("vyberte druhý hraniční archiv"));
        setList->pickMergeBoundary(second);
        EXPECT_EQ(sumFrom(), stamps[1]);
        EXPECT_EQ(sumTo(), stamps[3]);
        EXPECT_EQ(page.selected, (QList<int>{1, 2, 3}));
        EXPECT_TRUE(page.mergeEnabled);
        EXPECT_EQ(status(), QStringLiteral("Připraveno, sloučí se vybrané archivy"));
        EXPECT_TRUE(setList->boundaryClickIsFirst());
    }
    // A third click starts a new pair.
    setList->pickMergeBoundary(4);
    EXPECT_EQ(sumFrom(), stamps[4]);
    EXPECT_EQ(sumTo(), QString());
    EXPECT_FALSE(page.mergeEnabled);
    EXPECT_EQ(page.selected, QList<int>{4});
}

TEST_F(MergePageLogicTest, ClickingTheSameEntryTwiceMakesNoRange)
{
    const QStringList stamps = makeFolders(3);
    config->writeInt(ConfigKeys::SUM_DONE, 1);
    setList->listMergeSets();
    setList->pickMergeBoundary(1);
    setList->pickMergeBoundary(1);
    EXPECT_EQ(sumFrom(), stamps[1]);
    EXPECT_EQ(sumTo(), QString());
    EXPECT_FALSE(page.mergeEnabled);
    EXPECT_EQ(status(), QStringLiteral("vyberte druhý hraniční archiv"));
    EXPECT_TRUE(setList->boundaryClickIsFirst());
    setList->pickMergeBoundary(2);
    EXPECT_EQ(sumFrom(), stamps[2]);
    EXPECT_EQ(sumTo(), QString());
}

TEST_F(MergePageLogicTest, MeasuringShowsSizesAndKeepsTheSelection)
{
    const QLocale previous;
    QLocale::setDefault(QLocale::c());
    const QStringList stamps = makeFolders(4);
    writeFile(QStringLiteral("OMX_") + stamps[1] + QStringLiteral("/a/b/x.7z"), 1500);
    writeFile(QStringLiteral("OMX_") + stamps[2] + QStringLiteral("/y.7z"), 1048577);
    writeFile(QStringLiteral("OMX_") + stamps[2] + QStringLiteral("/z/z.7z"), 1048576);
    config->writeInt(ConfigKeys::SUM_DONE, 1);
    setList->listMergeSets();
    setList->pickMergeBoundary(2);
    setList->pickMergeBoundary(1);
    setList->measureSelectedSets();
    QLocale::setDefault(previous);

    EXPECT_EQ(page.entries, (QStringList{stamps[0], stamps[1] + QStringLiteral(" ..... 1.4 kB"),
                                         stamps[2] + QStringLiteral(" ..... 2 MB"), stamps[3]}));
    EXPECT_EQ(page.selected, (QList<int>{1, 2}));
    EXPECT_TRUE(page.mergeEnabled);
    EXPECT_EQ(status(), QStringLiteral("Součet velikostí vybraných archivů: 2 MB"));
    EXPECT_EQ(page.size, QStringLiteral("Velikost vybraných archivů"));
    EXPECT_FALSE(setList->measuring());
}

TEST_F(MergePageLogicTest, MeasuringWithoutSelectionSaysSo)
{
    makeFolders(2);
    config->writeInt(ConfigKeys::SUM_DONE, 1);
    setList->listMergeSets();
    setList->measureSelectedSets();
    EXPECT_EQ(status(), QStringLiteral("Nejsou vybrány archivy"));
    EXPECT_EQ(page.size, QStringLiteral("Velikost vybraných archivů"));
    EXPECT_EQ(page.entries.size(), 2);
}

TEST_F(MergePageLogicTest, StopEndsAMeasurementAndAListingWaitsForIt)
{
    const QStringList stamps = makeFolders(3);
    for (int i = 0; i < 3; ++i)
        writeFile(QStringLiteral("OMX_%1/f.7z").arg(stamps[i]), 10);
    config->writeInt(ConfigKeys::SUM_DONE, 1);
    setList->listMergeSets();
    setList->pickMergeBoundary(0);
    setList->pickMergeBoundary(2);
    bool pressed = false;
    MergeSetList::Listing relisted = MergeSetList::Listing::Listed;
    host.setPumpHook([&] {
        if (!pressed && setList->measuring()) {
            pressed = true;
            EXPECT_EQ(page.size, QStringLiteral("STOP"));
            relisted = setList->listMergeSets();
            setList->measureSelectedSets(); // the button reads STOP: only stops
        }
    });
    setList->measureSelectedSets();
    host.setPumpHook({});
    ASSERT_TRUE(pressed);
    EXPECT_EQ(relisted, MergeSetList::Listing::Busy);
    EXPECT_TRUE(runState.stopRequested);
    EXPECT_EQ(page.entries.size(), 3); // every entry is back, with the size measured so far
    EXPECT_EQ(page.selected, (QList<int>{0, 1, 2}));
    EXPECT_EQ(page.size, QStringLiteral("Velikost vybraných archivů"));
}

TEST(ArchiveCountRangeTest, RangeByCase)
{
    struct Case
    {
        int count, keep;
        bool firstWithSecond;
        bool merge;
        int first, last;
    };
    const Case cases[] = {
        {10, 7, false, true, 1, 4}, {10, 7, true, true, 0, 3},  {5, 1, false, true, 0, 4},
        {5, 1, true, true, 0, 4},   {7, 7, false, false, 0, 0}, {3, 7, false, false, 0, 0},
        {3, 2, false, true, 1, 2},  {3, 0, false, false, 0, 0}, {2, 1, false, true, 0, 1},
    };
    for (const Case& c : cases) {
        const ArchiveCountKeeper::Range range =
            ArchiveCountKeeper::rangeFor(c.count, c.keep, c.firstWithSecond);
        SCOPED_TRACE(testing::Message()
                     << c.count << " sets, keep " << c.keep << ", option " << c.firstWithSecond);
        EXPECT_EQ(range.merge, c.merge);
        if (c.merge) {
            EXPECT_EQ(range.first, c.first);
            EXPECT_EQ(range.last, c.last);
        }
    }
}

struct FixedCountCase
{
    int count, keep;
    bool firstWithSecond;
    QList<int> left;
};

class FixedCountTest : public MergePageLogicTest, public testing::WithParamInterface<FixedCountCase>
{
};

// Real chains: the surplus is merged away and the kept sets still restore to their own state.
TEST_P(FixedCountTest, MergesTheSurplusOfRealSets)
{
    const FixedCountCase& c = GetParam();
    config->writeInt(ConfigKeys::SUM_DONE, 1);
    QStringList sets;
    std::vector<Tree> states;
    for (int i = 0; i < c.count; ++i) {
        writeSource(QStringLiteral("always.txt"), QByteArray("version ") + QByteArray::number(i));
        writeSource(QStringLiteral("f%1.txt").arg(i), QByteArray("only from ") + QByteArray::number(i));
        sets << makeSet();
        states.push_back(sourceTree());
    }
    const bool started = keeper->fixuj_pocet_archivu(c.keep, c.firstWithSecond);
    EXPECT_EQ(started, c.count > c.keep);
    QStringList left;
    for (int i : c.left)
        left << sets[i];
    EXPECT_EQ(destination->listSetFolders(), left);
    for (int i : c.left)
        EXPECT_EQ(restoreStored(sets[i]), states[size_t(i)]) << sets[i].toStdString();
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 0), 1);
    EXPECT_EQ(shownPages, started ? (QList<int>{5, 3}) : QList<int>{});
}

INSTANTIATE_TEST_SUITE_P(Cases, FixedCountTest,
                         testing::Values(FixedCountCase{10, 7, false, {0, 4, 5, 6, 7, 8, 9}},
                                         FixedCountCase{10, 7, true, {3, 4, 5, 6, 7, 8, 9}},
                                         FixedCountCase{5, 1, false, {4}},
                                         FixedCountCase{7, 7, false, {0, 1, 2, 3, 4, 5, 6}}));

TEST_F(MergePageLogicTest, FixedCountLeavesAnUnfinishedMergeAlone)
{
    const QStringList stamps = makeFolders(5);
    config->writeInt(ConfigKeys::SUM_DONE, 0);
    config->writeString(ConfigKeys::SUM_FROM, stamps[2]);
    config->writeString(ConfigKeys::SUM_TO, stamps[3]);
    EXPECT_FALSE(keeper->fixuj_pocet_archivu(2, false));
    EXPECT_EQ(sumFrom(), stamps[2]);
    EXPECT_EQ(sumTo(), stamps[3]);
    EXPECT_EQ(destination->listSetFolders().size(), 5);
}

} // namespace ombrix::test
