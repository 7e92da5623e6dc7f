#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "E2eTest.h"
#include "ProcessScan.h"
#include "SetRestorer.h"
#include "SourceTree.h"
#include "support/ArchiverWrapper.h"
#include "support/CrashChecks.h"

#include <csignal>
#include <cstdio>
#include <QFileInfo>
#include <QRandomGenerator>
#include <vector>

namespace ombrix::test {
namespace {

quint32 chosenSeed()
{
    bool ok = false;
    const quint32 fromEnvironment = qEnvironmentVariable("OMBRIX_E2E_SEED").toUInt(&ok);
    return ok ? fromEnvironment : 20241210u;
}

QString config(const E2eSandbox& sandbox, const ConfigKey& key)
{
    return sandbox.configValue(key.section, key.name);
}

// What identifies one writing of an archive: a new archive replaces the file, so the inode and
// the modification time both change.
QString identity(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("<missing>");
    return QStringLiteral("%1/%2/%3")
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(info.size())
        .arg(QString::number(qulonglong(info.metadataChangeTime().toMSecsSinceEpoch())));
}

// The archives of the running set for the files its progress says are done (catalog index
// below LAST_BACKUP_LIST_INDEX). Those must never be written again.
QMap<QString, QString> doneArchives(const E2eSandbox& sandbox)
{
    QMap<QString, QString> done;
    const QString set = config(sandbox, ConfigKeys::LAST_ARCHIV_NAME);
    if (config(sandbox, ConfigKeys::LAST_BACKUP_DONE) != QLatin1String("0") || set.isEmpty())
        return done;
    bool ok = false;
    const QStringList catalog = SetRestorer(sandbox.destination()).catalog(set, &ok);
    const int index = config(sandbox, ConfigKeys::LAST_BACKUP_LIST_INDEX).toInt();
    for (int i = 0; ok && i < index && i < catalog.size(); ++i) {
        if (catalogField(catalog.at(i), CatalogLine::Set) != set)
            continue;
        const QString archive = SetLayout::archivePathOfLine(sandbox.destination(), catalog.at(i));
        done.insert(archive, identity(archive));
    }
    return done;
}

using KillResumeTest = E2eTest;

// The program is killed with SIGKILL at each kind of step of a backup — while the new set's
// catalog is stored, while files are archived and tested, while the run log and the settings go
// into the set at its end — and started again until a run completes. Each kill stops the program
// at an exact archiver call (the files to stop at are drawn from a seed the test prints), so
// none depends on the machine's speed. Whatever the seed, the last set restores every source
// file byte for byte, no archiver is left running, no work file is left, a file the progress
// recorded as done is never archived again, and every archive of the set passes the archiver's
// own test.
TEST_F(KillResumeTest, KilledAtEachStepResumesToARestorableSet)
{
    const quint32 seed = chosenSeed();
    std::printf("[ seed     ] %u (repeat with OMBRIX_E2E_SEED=%u)\n", seed, seed);
    RecordProperty("seed", std::to_string(seed));
    const QStringList written = SourceTree::generate(sandbox.sourceRoot(), seed, 200);
    ASSERT_GE(written.size(), 180);
    const QMap<QString, QByteArray> expected = SourceTree::digests(sandbox.sourceRoot());

    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    QRandomGenerator random(seed);
    struct Kill
    {
        const char* step;
        ArchiverWrapper::Call call;
        int occurrence;
    };
    const std::vector<Kill> kills{
        {"catalog store",
         {QStringLiteral("a"), sandbox.programFolder() + QStringLiteral("/archivlist.csv")},
         1},
        {"file archive",
         {QStringLiteral("a"), sandbox.sourceRoot() + QStringLiteral("/*")},
         int(random.bounded(2, 40))},
        {"file archive",
         {QStringLiteral("a"), sandbox.sourceRoot() + QStringLiteral("/*")},
         int(random.bounded(2, 40))},
        // (Archives without a password are checked in the program itself: no test call to stop at.)
        {"file archive",
         {QStringLiteral("a"), sandbox.sourceRoot() + QStringLiteral("/*")},
         int(random.bounded(2, 40))},
        {"file archive",
         {QStringLiteral("a"), sandbox.sourceRoot() + QStringLiteral("/*")},
         int(random.bounded(2, 40))},
        {"log store", {QStringLiteral("a"), sandbox.programFolder() + QStringLiteral("/log.txt")}, 1},
        // The settings go into the set from the copy the run took when it began.
        {"settings store",
         {QStringLiteral("a"), sandbox.programFolder() + QStringLiteral("/runfiles/*/config.ini")},
         1},
    };

    QMap<QString, QString> recordedDone;
    for (const Kill& kill : kills) {
        std::printf("[ kill     ] %s, call %d\n", kill.step, kill.occurrence);
        wrapper.pauseAt(kill.call, kill.occurrence);
        std::unique_ptr<QProcess> program = sandbox.start(wrapper.environment());
        ASSERT_EQ(program->state(), QProcess::Running) << sandbox.programOutput().toStdString();
        ASSERT_TRUE(wrapper.waitForPause(120000, [&] { return program->state() == QProcess::Running; }))
            << kill.step << ": the program ended before archiver call " << kill.occurrence << "\n"
            << sandbox.programOutput().toStdString();
        const qint64 archiver = wrapper.pausedPid();
        ::kill(pid_t(program->processId()), SIGKILL);
        ASSERT_TRUE(program->waitForFinished(10000))
            << kill.step << ": the killed program was not reaped in 10 s";
        // The archiver dies with the program; nothing may go on writing into the set.
        EXPECT_TRUE(CrashChecks::processEnded(archiver)) << kill.step;
        EXPECT_TRUE(waitUntilNoProcesses(3000))
            << ProcessScan::processesUsing({sandbox.root()}).join(QLatin1Char('\n')).toStdString();

        const QString step = QString::fromLatin1(kill.step);
        if (step == QLatin1String("catalog store")) {
            EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"))
                << "a set is recorded before its catalog is in it";
        } else if (step.startsWith(QLatin1String("file"))) {
            EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("0")) << kill.step;
        } else {
            EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"))
                << kill.step << ": the run is recorded as complete before its side files are stored";
        }
        const QMap<QString, QString> done = doneArchives(sandbox);
        for (auto it = done.cbegin(); it != done.cend(); ++it)
            recordedDone.insert(it.key(), it.value());
    }
    // Every kill in the loop came after some progress, so the check below has something to check.
    ASSERT_FALSE(recordedDone.isEmpty());

    wrapper.clear();
    ASSERT_TRUE(sandbox.runToEnd(180000)) << sandbox.programOutput().toStdString();
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    std::printf("[ result   ] sets %s\n", qPrintable(sandbox.sets().join(QLatin1Char(' '))));

    const QString last = config(sandbox, ConfigKeys::LAST_ARCHIV_NAME);
    EXPECT_EQ(sandbox.sets(), QStringList{last});
    expectRestoresTo(last, expected);
    expectNothingLeft();

    // Resume continues at the recorded file: what was recorded as done stays as it was written.
    for (auto it = recordedDone.cbegin(); it != recordedDone.cend(); ++it) {
        EXPECT_EQ(identity(it.key()), it.value())
            << "archived again after it was recorded: " << it.key().toStdString();
    }
    const QStringList failing = SetRestorer(sandbox.destination()).failingArchives(last);
    EXPECT_TRUE(failing.isEmpty()) << failing.join(QLatin1Char('\n')).toStdString();
    // The completed set carries its side archives.
    for (const auto side : {SetLayout::logFile, SetLayout::sourcesFile, SetLayout::configFile})
        EXPECT_TRUE(QFileInfo::exists(SetLayout::sideArchivePath(sandbox.destination(), last, side)))
            << side.toString().toStdString();
}

// SIGTERM is the "Exit" of a machine without a tray: the run ends as an interruption, and the
// next start continues the same set to a complete one.
TEST_F(KillResumeTest, TerminatedRunEndsAndTheNextStartContinuesTheSameSet)
{
    if (!E2eSandbox::usesProgram())
        GTEST_SKIP() << "needs the real program";
    SourceTree::generate(sandbox.sourceRoot(), 99, 120);
    const QMap<QString, QByteArray> expected = SourceTree::digests(sandbox.sourceRoot());

    // SIGTERM arrives while the archiver call for the fourth file is held: the run is past its
    // catalog and has archived three files, however fast the machine is.
    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.pauseAt({QStringLiteral("a"), sandbox.sourceRoot() + QStringLiteral("/*")}, 4);
    std::unique_ptr<QProcess> program = sandbox.start(wrapper.environment());
    ASSERT_TRUE(wrapper.waitForPause(120000,
                                     [&] {
                                         program->waitForFinished(0);
                                         return program->state() == QProcess::Running;
                                     }))
        << "the run ended or did not reach the fourth file's archiver call within 120 s\n"
        << sandbox.programOutput().toStdString();
    const QString set = config(sandbox, ConfigKeys::LAST_ARCHIV_NAME);
    ::kill(pid_t(program->processId()), SIGTERM);
    ASSERT_TRUE(program->waitForFinished(30000)) << "SIGTERM did not end the program within 30 s";
    wrapper.clear();
    EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(waitUntilNoProcesses(3000))
        << "still working 3 s after the program ended: "
        << ProcessScan::processesUsing({sandbox.root()}).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("0"));
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_ARCHIV_NAME), set);

    ASSERT_TRUE(sandbox.runToEnd()) << sandbox.programOutput().toStdString();
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    EXPECT_EQ(sandbox.sets(), QStringList{set});
    expectRestoresTo(set, expected);
    expectNothingLeft();
}

} // namespace
} // namespace ombrix::test
