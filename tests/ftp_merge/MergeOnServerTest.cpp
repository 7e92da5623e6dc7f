#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"
#include "core/util/FormatSize.h"
#include "merge/ArchiveCountKeeper.h"
#include "MergeFixture.h"
#include "storage/ftp/ExternalUpload.h"

#include <QFile>

namespace ombrix::test {
namespace {

// The same behaviour on an FTP account (sets below the remote folder) and on the network disk
// (sets in the account root).
class MergeOnServer : public MergeFixture, public ::testing::WithParamInterface<DestinationKind>
{
  protected:
    MergeOnServer() { m_kind = GetParam(); }
};

using MergeOnFtp = MergeFixture;

QString status(const RecordingHost& host)
{
    return host.currentStatus(Page::Merge).trimmed();
}

TEST_P(MergeOnServer, MergingBToDRenamesOnTheServerAndEverySetLeftRestoresItsState)
{
    ASSERT_NO_FATAL_FAILURE(makeChain(4));
    const int toMove = int(linesNaming(sets[3], {sets[1], sets[2]}).size());
    ASSERT_GT(toMove, 0);
    server->clearCommands();

    MergeScreen screen(*this);
    screen.pick(1, 3);
    ASSERT_EQ(screen.controls.selected, (QList<int>{1, 2, 3}));
    screen.run.runMerge();

    EXPECT_FALSE(screen.run.refused());
    EXPECT_FALSE(screen.run.connectionLost());
    EXPECT_EQ(screen.run.unmovedFiles(), QStringList());
    expectMergedChain();
    // The archives were moved on the server, never fetched and sent again: the only uploads are
    // the corrected catalogs of D and E.
    EXPECT_GE(server->countCommands(QStringLiteral("RNTO")), toMove);
    EXPECT_GT(server->countCommands(QStringLiteral("RETR")), 0);
    EXPECT_EQ(server->countCommands(QStringLiteral("STOR")), 2);
    // The page lists the sets as they are now.
    EXPECT_EQ(screen.controls.entries, (QStringList{stamp(0), stamp(3), stamp(4)}));
    EXPECT_EQ(screen.controls.caption, QStringLiteral("SLOUČIT"));
}

// Four sets, two kept: the oldest set stays, the three after it are merged into the newest.
TEST_P(MergeOnServer, FixedArchiveCountTrimsTheChainAndEverySetLeftRestoresItsState)
{
    for (int i = 0; i < 4; ++i) {
        writeSource(QStringLiteral("changing.txt"), QByteArray("version ") + QByteArray::number(i));
        writeSource(QStringLiteral("f%1.txt").arg(i), QByteArray("from set ") + QByteArray::number(i));
        addSet();
    }
    ASSERT_EQ(serverSets(), sets);
    MergeScreen screen(*this);
    QList<int> shownPages;
    ArchiveCountKeeper keeper(*config, *destination, screen.setList, screen.controls, screen.run,
                              [&shownPages](int page) { shownPages << page; });

    EXPECT_TRUE(keeper.fixuj_pocet_archivu(2, false));

    EXPECT_EQ(serverSets(), (QStringList{sets[0], sets[3]}));
    EXPECT_EQ(restoreStored(sets[0]), states[0]);
    EXPECT_EQ(restoreStored(sets[3]), states[3]);
    EXPECT_EQ(setsNamedIn(sets[3]), (QStringList{sets[0], sets[3]}));
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 0), 1);
    EXPECT_EQ(shownPages, (QList<int>{5, 3}));
    EXPECT_EQ(screen.controls.entries,
              (QStringList{SetName::withoutPrefix(sets[0]), SetName::withoutPrefix(sets[3])}));
    // Kept as it is: nothing more to merge.
    EXPECT_FALSE(keeper.fixuj_pocet_archivu(2, false));
}

INSTANTIATE_TEST_SUITE_P(Destinations, MergeOnServer,
                         ::testing::Values(DestinationKind::Ftp, DestinationKind::Skyvra),
                         [](const ::testing::TestParamInfo<DestinationKind>& info) {
                             return destinationKindText(info.param).toStdString();
                         });

// The server refuses to rename one archive: that file stays in its set, its catalog lines keep
// naming that set, the set is not deleted, and a later merge moves what is left.
TEST_F(MergeOnFtp, ARenameTheServerRefusesKeepsItsSetUntilALaterMerge)
{
    ASSERT_NO_FATAL_FAILURE(makeChain(4));
    FtpServer::Options refusing;
    refusing.refuseRenameOf = QStringLiteral("refused.");
    server->setOptions(refusing);
    {
        MergeScreen screen(*this);
        screen.pick(1, 3);
        screen.run.runMerge();
        EXPECT_EQ(screen.run.unmovedFiles(),
                  QStringList{sourceDir.filePath(QStringLiteral("r/refused.txt"))});
        EXPECT_FALSE(screen.run.connectionLost());
    }
    EXPECT_EQ(serverSets(), (QStringList{sets[0], sets[1], sets[3], sets[4]}));
    EXPECT_EQ(restoreStored(sets[3]), states[3]);
    EXPECT_EQ(restoreStored(sets[4]), states[4]);
    EXPECT_EQ(setsNamedIn(sets[3]), (QStringList{sets[0], sets[1], sets[3]}));
    EXPECT_EQ(runLog->logBuffer().filter(QStringLiteral("not merged")).size(), 1);

    server->setOptions({});
    {
        MergeScreen screen(*this);
        screen.pick(1, 2); // B and D
        screen.run.runMerge();
        EXPECT_EQ(screen.run.unmovedFiles(), QStringList());
    }
    expectMergedChain();
}

// The server goes away in the middle of the moves and stays away: the merge gives up after one
// more opening, changes nothing more and stays unfinished; the next start, with the server back,
// continues the stored range to the result of an uninterrupted merge.
TEST_F(MergeOnFtp, LostConnectionEndsTheMergeUnfinishedAndTheNextStartFinishesIt)
{
    ASSERT_NO_FATAL_FAILURE(makeChain(12));
    bool stopped = false;
    {
        MergeScreen screen(*this);
        screen.pick(1, 3);
        host.setPumpHook([&] {
            if (!stopped && screen.run.showsStop() && server->countCommands(QStringLiteral("RNTO")) >= 3) {
                server->stop();
                stopped = true;
            }
        });
        screen.run.runMerge();
        host.setPumpHook({});
        ASSERT_TRUE(stopped);
        EXPECT_TRUE(screen.run.connectionLost());
        EXPECT_EQ(screen.controls.caption, QStringLiteral("pokračovat"));
        EXPECT_TRUE(screen.controls.mergeEnabled);
        EXPECT_FALSE(screen.controls.listEnabled);
    }
    EXPECT_EQ(status(host), QStringLiteral("Slučování přerušeno, spojení ztraceno"));
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 1), 0);
    EXPECT_EQ(serverSets(), sets);
    EXPECT_EQ(runLog->logBuffer().filter(QStringLiteral("merge interrupted")).size(), 1);

    ASSERT_TRUE(server->restart()) << server->errorText().toStdString();
    reopenConnection();
    MergeScreen next(*this);
    ASSERT_EQ(next.setList.listMergeSets(), MergeSetList::Listing::RangeRestored);
    next.run.runMerge();
    EXPECT_FALSE(next.run.connectionLost());
    expectMergedChain();
}

// The server is restarted under the merge: the connection is opened again and the merge goes on
// to its end in the same run.
TEST_F(MergeOnFtp, ServerRestartedDuringTheMovesIsReachedAgainAndTheMergeFinishes)
{
    ASSERT_NO_FATAL_FAILURE(makeChain(12));
    bool restarted = false;
    MergeScreen screen(*this);
    screen.pick(1, 3);
    host.setPumpHook([&] {
        if (!restarted && screen.run.showsStop() && server->countCommands(QStringLiteral("RNTO")) >= 3) {
            restarted = true;
            EXPECT_TRUE(server->restart()) << server->errorText().toStdString();
        }
    });
    screen.run.runMerge();
    host.setPumpHook({});
    ASSERT_TRUE(restarted);
    EXPECT_FALSE(screen.run.connectionLost());
    EXPECT_EQ(screen.run.unmovedFiles(), QStringList());
    expectMergedChain();
}

// The corrected catalog of the target never arrives whole (the server stops taking uploads):
// the set keeps its stored catalog, unchanged and readable, and the merge stays unfinished with
// every set kept until a later start can store it.
TEST_F(MergeOnFtp, CatalogUploadThatFailsLeavesTheStoredCatalogWhole)
{
    ASSERT_NO_FATAL_FAILURE(makeChain(4));
    const QStringList before = storedCatalog(sets[3]);
    ASSERT_FALSE(before.isEmpty());
    FtpServer::Options stalling;
    stalling.stallAfterBytes = 0;
    server->setOptions(stalling);
    // The stall guard gives up on the upload after a few short periods instead of minutes.
    destination->uploader().setPollPeriodMs(300);
    destination->uploader().setStallPeriodMs(300);
    {
        MergeScreen screen(*this);
        screen.pick(1, 3);
        screen.run.runMerge();
        EXPECT_EQ(screen.controls.caption, QStringLiteral("pokračovat"));
        EXPECT_FALSE(screen.run.connectionLost());
    }
    EXPECT_EQ(status(host), QStringLiteral("Přerušeno, neúplný archiv: ") + sets[3]);
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 1), 0);
    EXPECT_EQ(serverSets(), sets);

    server->setOptions({});
    destination->uploader().setPollPeriodMs(ExternalUpload::defaultPollPeriodMs);
    destination->uploader().setStallPeriodMs(ExternalUpload::defaultStallPeriodMs);
    EXPECT_EQ(storedCatalog(sets[3]), before);
    EXPECT_EQ(serverFilesEndingWith(QStringLiteral(".previous")), QStringList());

    MergeScreen next(*this);
    ASSERT_EQ(next.setList.listMergeSets(), MergeSetList::Listing::RangeRestored);
    next.run.runMerge();
    expectMergedChain();
}

// A catalog left aside by a store that was cut off (the program killed during the upload) is the
// set's catalog again before the next merge checks the set.
TEST_F(MergeOnFtp, CatalogLeftAsideByACutOffStoreIsPutBack)
{
    ASSERT_NO_FATAL_FAILURE(makeChain(4));
    const QStringList before = storedCatalog(sets[3]);
    ASSERT_FALSE(before.isEmpty());
    // What such a store leaves: the whole catalog aside, a part of the new one in its place.
    const QString stored = serverPathOf(sets[3] + QStringLiteral("/archivlist.csv.7z"));
    const QString aside = serverPathOf(MergeRun::asideCatalog(sets[3]));
    ASSERT_TRUE(QFile::rename(stored, aside));
    QFile part(stored);
    ASSERT_TRUE(part.open(QIODevice::WriteOnly));
    part.write("7z\xbc\xaf\x27\x1c", 6);
    part.close();

    MergeScreen screen(*this);
    screen.pick(1, 3);
    screen.run.runMerge();
    EXPECT_FALSE(screen.run.refused());
    expectMergedChain();
}

TEST_F(MergeOnFtp, SizesOfTheSelectedSetsComeFromTheServerAndStopGivesZero)
{
    for (int i = 0; i < 3; ++i) {
        writeSource(QStringLiteral("f%1.bin").arg(i), QByteArray(3000 * (i + 1), char('a' + i)));
        addSet();
    }
    MergeScreen screen(*this);
    screen.pick(0, 1);
    const double first = double(serverSetSize(sets[0]));
    const double second = double(serverSetSize(sets[1]));
    ASSERT_GT(first, 0);

    screen.setList.measureSelectedSets();
    const QString separator = QStringLiteral(" ..... ");
    EXPECT_EQ(screen.controls.entries, (QStringList{stamp(0) + separator + formatSize(first),
                                                    stamp(1) + separator + formatSize(second), stamp(2)}));
    EXPECT_EQ(screen.controls.selected, (QList<int>{0, 1}));
    EXPECT_EQ(status(host),
              QStringLiteral("Součet velikostí vybraných archivů: ") + formatSize(first + second));

    // STOP pressed as soon as the measurement lets the window work: what is shown is 0.
    bool pressed = false;
    host.setPumpHook([&] {
        if (!pressed && screen.setList.measuring()) {
            pressed = true;
            screen.setList.measureSelectedSets();
        }
    });
    screen.setList.measureSelectedSets();
    host.setPumpHook({});
    runState.stopRequested = false;
    ASSERT_TRUE(pressed);
    EXPECT_EQ(screen.controls.entries, (QStringList{stamp(0) + separator + formatSize(0),
                                                    stamp(1) + separator + formatSize(0), stamp(2)}));
    EXPECT_EQ(screen.controls.size, QStringLiteral("Velikost vybraných archivů"));
}

// The connection of an unfinished merge breaks while the stored range is looked for: the target
// is not taken for gone (the unattended start would then give the merge up half done); the
// listing says the destination cannot be reached and the range stays stored.
TEST_F(MergeOnFtp, UnfinishedMergeWhoseConnectionBreaksIsNotTakenForALostRange)
{
    for (int i = 0; i < 3; ++i) {
        writeSource(QStringLiteral("f%1.txt").arg(i), QByteArray("from set ") + QByteArray::number(i));
        addSet();
    }
    ASSERT_TRUE(config->writeInt(ConfigKeys::SUM_DONE, 0));
    ASSERT_TRUE(config->writeString(ConfigKeys::SUM_FROM, stamp(0)));
    ASSERT_TRUE(config->writeString(ConfigKeys::SUM_TO, stamp(1)));
    MergeScreen screen(*this);
    bool stopped = false;
    // The sets are listed; the server goes away before the target is asked for.
    host.setPumpHook([&] {
        if (!stopped && status(host) == QStringLiteral("slučování nebylo dokončeno, bude se pokračovat...")) {
            server->stop();
            stopped = true;
        }
    });
    EXPECT_EQ(screen.setList.listMergeSets(), MergeSetList::Listing::NoDestination);
    host.setPumpHook({});
    ASSERT_TRUE(stopped);
    EXPECT_EQ(screen.controls.entries, QStringList());
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 1), 0);
    EXPECT_EQ(config->readString(ConfigKeys::SUM_TO, QString()), stamp(1));

    ASSERT_TRUE(server->restart()) << server->errorText().toStdString();
    EXPECT_EQ(screen.setList.listMergeSets(), MergeSetList::Listing::RangeRestored);
    EXPECT_EQ(screen.controls.selected, (QList<int>{0, 1}));
}

} // namespace
} // namespace ombrix::test
