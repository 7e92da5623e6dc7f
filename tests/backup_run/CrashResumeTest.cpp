#include "BackupFixture.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "support/CrashChecks.h"
#include "support/WorkerKill.h"
#include "support/WorkerProcess.h"

#include <cstdio>
#include <QRandomGenerator>

namespace ombrix::test {
namespace {

quint32 chosenSeed()
{
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("OMBRIX_KILL_SEED").toUInt(&ok);
    return ok ? seed : 20240506u;
}

class CrashResumeTest : public BackupFixture
{
  protected:
    // One program start in a worker process, its clock a minute after the previous start's.
    WorkerProcess makeWorker()
    {
        ++m_starts;
        const qint64 clock = QDateTime(QDate(2024, 5, 6), QTime(10, 0, 0), Qt::UTC)
                                 .addSecs(60LL * m_starts)
                                 .toSecsSinceEpoch();
        return WorkerProcess(QStringLiteral("backup"),
                             {{QStringLiteral("OMBRIX_WORKER_CLOCK"), QString::number(clock)}});
    }

    // The catalog index of the file whose archive the paused call was making.
    int indexOfFile(const QString& set, const QString& file) const
    {
        const QStringList catalog = catalogOf(set);
        for (int i = 0; i < catalog.size(); ++i) {
            if (catalogField(catalog.at(i), CatalogLine::Path) == file)
                return i;
        }
        return -1;
    }

    void expectNoHelpers(const QString& step) const
    {
        const QStringList helpers =
            CrashChecks::liveHelpers({program->path(), destination.path(), sources.path()});
        EXPECT_TRUE(helpers.isEmpty()) << step.toStdString() << ":\n"
                                       << helpers.join(QLatin1Char('\n')).toStdString();
    }

    int m_starts = 0;
};

// A backup killed with SIGKILL at every kind of step — while its catalog goes into the new set,
// while a file is archived, while the run log and the source list are stored at its end — and
// then let run to its end leaves a complete set from which every source file restores, with
// nothing of the killed runs left; first for a full backup, then for an incremental one. (An
// archive written without a password is checked in the program itself, so there is no archiver
// call of its test to stop at.) Each kill stops the program at an exact archiver call (the files
// to stop at are drawn from a seed the test prints), so no kill depends on the machine's speed,
// and the state each kill leaves is checked against the step it hit.
TEST_F(CrashResumeTest, KilledAtEachStepResumesToACompleteSet)
{
    const quint32 seed = chosenSeed();
    std::printf("[ seed     ] %u (repeat with OMBRIX_KILL_SEED=%u)\n", seed, seed);
    QRandomGenerator random(seed);
    for (int i = 0; i < 30; ++i) {
        const QByteArray bytes =
            i % 6 == 0 ? randomBytes(3 * 1024 * 1024 + i) : QByteArray::number(i).repeated(100);
        writeSource(QStringLiteral("dir%1/file%2.dat").arg(i % 4).arg(i), bytes);
    }
    run.reset();
    readiness.reset();

    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    // The side files are stored from the program folder, the source list from the copy the run
    // took when it began.
    const ArchiverWrapper::Call catalogStore{QStringLiteral("a"),
                                             program->file(QStringLiteral("archivlist.csv"))};
    const ArchiverWrapper::Call fileArchive{QStringLiteral("a"), sources.path() + QStringLiteral("/*")};
    const ArchiverWrapper::Call logStore{QStringLiteral("a"), program->file(QStringLiteral("log.txt"))};
    const ArchiverWrapper::Call sourcesStore{QStringLiteral("a"),
                                             program->file(QStringLiteral("runfiles/*/sources.txt"))};

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "full backup" : "incremental backup");
        const QString previousSet = configValue(ConfigKeys::LAST_ARCHIV_NAME);
        const QString previousDone = configValue(ConfigKeys::LAST_BACKUP_DONE);

        // While the new set's catalog is stored, nothing names the new set yet.
        {
            WorkerProcess worker = makeWorker();
            ASSERT_TRUE(killWorkerAt(worker, wrapper, {QStringLiteral("catalog store"), catalogStore}));
            expectNoHelpers(QStringLiteral("catalog store"));
            EXPECT_EQ(configValue(ConfigKeys::LAST_ARCHIV_NAME), previousSet);
            EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), previousDone);
        }

        // In the middle of the loop: the set is recorded as unfinished, and its progress never
        // covers the file that was being archived or tested.
        QString set;
        for (int kill = 0; kill < 4; ++kill) {
            const KillPoint point{QStringLiteral("file archive"), fileArchive, int(random.bounded(1, 4))};
            std::printf("[ kill     ] %s, call %d\n", qPrintable(point.step), point.occurrence);
            WorkerProcess worker = makeWorker();
            QString target;
            ASSERT_TRUE(killWorkerAt(worker, wrapper, point, &target));
            expectNoHelpers(point.step);
            set = configValue(ConfigKeys::LAST_ARCHIV_NAME);
            EXPECT_NE(set, previousSet) << point.step.toStdString();
            EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("0"))
                << point.step.toStdString();
            const int file = indexOfFile(set, target);
            ASSERT_GE(file, 0) << target.toStdString();
            // A continued run starts again at the recorded line.
            EXPECT_LE(configValue(ConfigKeys::LAST_BACKUP_LIST_INDEX).toInt(), file)
                << "the progress is past " << target.toStdString() << " whose archive was being made";
        }

        // At the end: the run is recorded as complete before its log goes into the set.
        {
            WorkerProcess worker = makeWorker();
            ASSERT_TRUE(killWorkerAt(worker, wrapper, {QStringLiteral("log store"), logStore}));
            expectNoHelpers(QStringLiteral("log store"));
            EXPECT_EQ(configValue(ConfigKeys::LAST_ARCHIV_NAME), set);
            EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
        }
        // A start after that finds nothing changed; killed while it puts the source list that the
        // completed set is missing into it.
        {
            WorkerProcess worker = makeWorker();
            ASSERT_TRUE(killWorkerAt(worker, wrapper, {QStringLiteral("source list store"), sourcesStore}));
            expectNoHelpers(QStringLiteral("source list store"));
        }

        WorkerProcess last = makeWorker();
        ASSERT_EQ(last.run(), WorkerProcess::Outcome::Finished) << last.output().toStdString();
        EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
        EXPECT_EQ(lastSet(), set);
        EXPECT_EQ(sets().size(), round + 1) << sets().join(QLatin1Char(' ')).toStdString();
        for (const auto side :
             {SetLayout::catalogFile, SetLayout::logFile, SetLayout::sourcesFile, SetLayout::configFile})
            EXPECT_TRUE(QFileInfo::exists(SetLayout::sideArchivePath(destination.path(), set, side)))
                << side.toString().toStdString();
        const QStringList leftInProgram = CrashChecks::programTmpFiles(program->path());
        EXPECT_TRUE(leftInProgram.isEmpty()) << leftInProgram.join(QLatin1Char('\n')).toStdString();
        const QStringList tmpFiles = CrashChecks::tmpFiles({destination.path()});
        EXPECT_TRUE(tmpFiles.isEmpty()) << tmpFiles.join(QLatin1Char('\n')).toStdString();
        const QStringList scratch = CrashChecks::scratchFiles(destination.path());
        EXPECT_TRUE(scratch.isEmpty()) << scratch.join(QLatin1Char('\n')).toStdString();
        expectRestorable(set);

        // Changes for the incremental round.
        for (int i = 0; i < 30; i += 4)
            writeSource(QStringLiteral("dir%1/file%2.dat").arg(i % 4).arg(i), randomBytes(1024 * 1024 + i),
                        3600);
    }
}

} // namespace
} // namespace ombrix::test
