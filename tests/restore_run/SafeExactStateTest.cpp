#include "core/catalog/CatalogFile.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/log/Status.h"
#include "support/ArchiverWrapper.h"
#include "support/RestoreFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace ombrix::test {

namespace {

QString warningFor(int files)
{
    return QString::fromUtf8("Obnova dat dokončena s varováním, počet neobnovených souborů: ") +
           QString::number(files);
}

} // namespace

// A set of two files, and the source folder changed since: a file made later, one changed and one
// deleted. An exact-state restore must bring back the set's state, and never at the cost of the
// files that are there now when the set cannot deliver.
class SafeExactStateTest : public RestoreFixture
{
  protected:
    void SetUp() override
    {
        RestoreFixture::SetUp();
        writeSource(QStringLiteral("keep.txt"), "keep");
        writeSource(QStringLiteral("sub/old.txt"), "old");
        set = makeSet();
        setState = sourceTree();
        writeSource(QStringLiteral("later.txt"), "made after the backup");
        writeSource(QStringLiteral("keep.txt"), "changed after the backup");
        removeSource(QStringLiteral("sub/old.txt"));
        nowState = sourceTree();
        controls.toOriginal = true;
        controls.exact = true;
        chooseSet(set);
    }

    QString set;
    Tree setState;
    Tree nowState;
};

// The backed-up folders were deleted before anything was extracted, and before the restore was
// recorded as unfinished: a crash then left a half-deleted tree no start offered to continue.
TEST_F(SafeExactStateTest, NothingIsRemovedBeforeTheFilesAreInPlaceAndTheRestoreIsRecordedFirst)
{
    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.pauseAt({QStringLiteral("e"), QStringLiteral("*/keep.txt.7z")}, 1);
    wrapper.applyToThisProcess();
    bool seen = false;
    host.setPumpHook([&] {
        if (seen || !wrapper.waitForPause(0))
            return;
        seen = true;
        // The first extraction is under way: nothing is gone yet, and a crash now would be
        // offered for continuation at the next start.
        EXPECT_EQ(sourceTree(), nowState);
        EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 1), 0);
        EXPECT_EQ(config->readString(ConfigKeys::RECOVERY_ARCHIVNAME, QString()), set);
        wrapper.release();
    });
    run->runRestore();
    host.setPumpHook({});
    ASSERT_TRUE(seen) << "the extraction of keep.txt was never reached";
    EXPECT_EQ(sourceTree(), setState);
    EXPECT_EQ(host.currentStatus(Page::Restore).trimmed(), QStringLiteral("Obnova dat byla dokončena"));
    EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);
}

// A set that cannot be extracted (a password that does not fit, an archive gone from the set)
// leaves every file that is there now: nothing is removed unless every file came back. Each
// file that did not come back is logged with its reason, and the run ends with a warning that
// counts them.
TEST_F(SafeExactStateTest, FilesThatDoNotComeBackAreReportedAndNothingIsRemoved)
{
    const QString keepPath = sourceDir.filePath(QStringLiteral("keep.txt"));
    const QString oldPath = sourceDir.filePath(QStringLiteral("sub/old.txt"));

    // The archive of sub/old.txt is gone from the set: keep.txt comes back, old.txt does not.
    const QString oldArchive = SetLayout::archivePath(destinationDir.path(), set, oldPath, false);
    ASSERT_TRUE(QFile::rename(oldArchive, oldArchive + QStringLiteral(".away")));
    run->runRestore();
    Tree expected = nowState;
    expected[QStringLiteral("keep.txt")] = setState.at(QStringLiteral("keep.txt"));
    EXPECT_EQ(sourceTree(), expected); // later.txt stays
    EXPECT_EQ(run->notRestoredFiles(), 1);
    EXPECT_EQ(host.currentStatus(Page::Restore), statusText(Page::Restore, warningFor(1)));
    EXPECT_EQ(host.currentHint(Page::Restore), warningFor(1));
    const QStringList notRestored = runLog->logBuffer().filter(QStringLiteral("not restored: "));
    ASSERT_EQ(notRestored.size(), 1);
    EXPECT_TRUE(
        notRestored.first().startsWith(QStringLiteral("not restored: ") + oldPath + QStringLiteral(" (")))
        << notRestored.first().toStdString();
    EXPECT_TRUE(notRestored.first().contains(QStringLiteral("missing"))) << notRestored.first().toStdString();
    // The run itself completed: the list is gone and the keys are reset.
    EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);
    EXPECT_FALSE(QFile::exists(program->file(QStringLiteral("recoverylist.csv"))));
    ASSERT_TRUE(QFile::rename(oldArchive + QStringLiteral(".away"), oldArchive));

    // Every extraction fails: everything stays as it is now.
    writeSource(QStringLiteral("keep.txt"), "changed after the backup");
    ASSERT_EQ(sourceTree(), nowState);
    runLog->clear();
    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.failFrom({QStringLiteral("e"), QStringLiteral("*.txt.7z")}, 1);
    wrapper.applyToThisProcess();
    chooseSet(set);
    run->runRestore();
    EXPECT_EQ(sourceTree(), nowState);
    EXPECT_EQ(run->notRestoredFiles(), 2);
    EXPECT_EQ(runLog->logBuffer().filter(QStringLiteral("not restored: ")).size(), 2);
    EXPECT_EQ(host.currentStatus(Page::Restore), statusText(Page::Restore, warningFor(2)));
}

// A wrong password is the common way a whole set fails; the real archiver refuses it.
using WrongPasswordRestoreTest = RestoreFixture;

TEST_F(WrongPasswordRestoreTest, ExactStateWithAPasswordThatDoesNotFitCostsNoFiles)
{
    controls.password = QStringLiteral("right");
    writeSource(QStringLiteral("keep.txt"), "keep");
    const QString locked = makeSet();
    writeSource(QStringLiteral("later.txt"), "made after the backup");
    writeSource(QStringLiteral("keep.txt"), "changed after the backup");
    const Tree now = sourceTree();
    controls.toOriginal = true;
    controls.exact = true;
    chooseSet(locked);
    controls.password = QStringLiteral("wrong");
    run->runRestore();
    EXPECT_EQ(sourceTree(), now);
    EXPECT_EQ(run->notRestoredFiles(), 1);
    EXPECT_EQ(host.currentStatus(Page::Restore), statusText(Page::Restore, warningFor(1)));
}

// STOP in the middle: nothing has been removed yet; the continued restore (after a new start of
// the program) finishes the job, removal included.
TEST_F(SafeExactStateTest, ContinuedExactRestoreFinishesTheJob)
{
    host.setPumpHook([&] {
        if (run->showsStop() && host.currentStatus(Page::Restore).contains(QStringLiteral("keep.txt")))
            run->runRestore();
    });
    run->runRestore();
    host.setPumpHook({});
    ASSERT_EQ(run->recoveryMode(), RestoreRun::Mode::pokracovat);
    EXPECT_TRUE(QFile::exists(sourceDir.filePath(QStringLiteral("later.txt"))));
    EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 1), 0);

    makeRun();
    controls.set.clear();
    run->resumeRestoreAtStart();
    ASSERT_EQ(run->recoveryMode(), RestoreRun::Mode::pokracovat);
    run->runRestore();
    EXPECT_EQ(sourceTree(), setState);
    EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);
    EXPECT_EQ(host.currentStatus(Page::Restore).trimmed(), QStringLiteral("Obnova dat byla dokončena"));
}

// A work list that cannot be read was reported as a completed restore and deleted. It is
// reported as what it is and kept; nothing starts and nothing is touched.
TEST_F(SafeExactStateTest, UnreadableListIsReportedAndKept)
{
    const QString list = program->file(QStringLiteral("recoverylist.csv"));
    // A damaged list: an exact-state restore would remove whatever the damage took out of it.
    const QByteArray damaged("\xEF\xBB\xBF"
                             "this is no catalog line\r\n");
    program->write(QStringLiteral("recoverylist.csv"), damaged);
    run->runRestore();
    EXPECT_EQ(host.currentStatus(Page::Restore).trimmed(),
              QStringLiteral("Chyba: nelze přečíst soubor recoverylist.csv"));
    EXPECT_EQ(program->read(QStringLiteral("recoverylist.csv")), damaged);
    EXPECT_EQ(sourceTree(), nowState);
    EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);
    EXPECT_FALSE(run->showsStop());
    // A list the program may not read (only a user without root rights can be kept out).
    if (::geteuid() != 0) {
        chooseSet(set);
        ASSERT_TRUE(QFile::setPermissions(list, QFileDevice::WriteOwner));
        run->runRestore();
        EXPECT_EQ(host.currentStatus(Page::Restore).trimmed(),
                  QStringLiteral("Chyba: nelze přečíst soubor recoverylist.csv"));
        EXPECT_TRUE(QFileInfo::exists(list));
        EXPECT_EQ(sourceTree(), nowState);
        ASSERT_TRUE(QFile::setPermissions(list, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    }
}

} // namespace ombrix::test
