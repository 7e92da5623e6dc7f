#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "E2eTest.h"
#include "ProcessScan.h"
#include "SetRestorer.h"
#include "SourceTree.h"

#include <csignal>
#include <cstdio>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

namespace ombrix::test {
namespace {

quint32 chosenSeed()
{
    bool ok = false;
    const quint32 fromEnvironment = qEnvironmentVariable("OMBRIX_E2E_SEED").toUInt(&ok);
    return ok ? fromEnvironment : QRandomGenerator::system()->generate();
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

// The program is killed with SIGKILL at random moments and started again until a run completes.
// Whatever the moments, the last set restores every source file byte for byte, no archiver is
// left running, no work file is left, a file the progress recorded as done is never archived
// again, and every archive of the set passes the archiver's own test.
TEST_F(KillResumeTest, KilledAtRandomMomentsResumesToARestorableSet)
{
    const quint32 seed = chosenSeed();
    std::printf("[ seed     ] %u (repeat with OMBRIX_E2E_SEED=%u)\n", seed, seed);
    RecordProperty("seed", std::to_string(seed));
    const QStringList written = SourceTree::generate(sandbox.sourceRoot(), seed, 200);
    ASSERT_GE(written.size(), 180);
    const QMap<QString, QByteArray> expected = SourceTree::digests(sandbox.sourceRoot());

    QRandomGenerator random(seed);
    QMap<QString, QString> recordedDone;
    int kills = 0;
    bool completed = false;
    for (int attempt = 0; attempt < 15 && !completed; ++attempt) {
        std::unique_ptr<QProcess> program = sandbox.start();
        ASSERT_EQ(program->state(), QProcess::Running) << sandbox.programOutput().toStdString();
        if (kills < 4) {
            const int delay = 200 + int(random.bounded(4000));
            std::printf("[ attempt  ] %d: SIGKILL after %d ms\n", attempt, delay);
            if (!program->waitForFinished(delay)) {
                ::kill(pid_t(program->processId()), SIGKILL);
                ASSERT_TRUE(program->waitForFinished(10000));
                ++kills;
                // The archiver dies with the program; nothing may go on writing into the set.
                EXPECT_TRUE(waitUntilNoProcesses(3000))
                    << ProcessScan::processesUsing({sandbox.root()}).join(QLatin1Char('\n')).toStdString();
                const QMap<QString, QString> done = doneArchives(sandbox);
                for (auto it = done.cbegin(); it != done.cend(); ++it)
                    recordedDone.insert(it.key(), it.value());
                continue;
            }
        } else {
            std::printf("[ attempt  ] %d: runs to its end\n", attempt);
            ASSERT_TRUE(program->waitForFinished(180000)) << sandbox.programOutput().toStdString();
        }
        EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program->exitCode(), 0) << sandbox.programOutput().toStdString();
        completed = config(sandbox, ConfigKeys::LAST_BACKUP_DONE) == QLatin1String("1");
    }
    std::printf("[ result   ] %d kills, sets %s\n", kills, qPrintable(sandbox.sets().join(QLatin1Char(' '))));
    ASSERT_TRUE(completed) << "no run completed\n" << sandbox.programOutput().toStdString();
    ASSERT_GE(kills, 1);

    const QString last = config(sandbox, ConfigKeys::LAST_ARCHIV_NAME);
    ASSERT_FALSE(sandbox.sets().isEmpty());
    EXPECT_EQ(last, sandbox.sets().last());
    expectRestoresTo(last, expected);
    expectNothingLeft();

    // Resume continues at the recorded file: what was recorded as done stays as it was written.
    for (auto it = recordedDone.cbegin(); it != recordedDone.cend(); ++it) {
        if (it.key().contains(QLatin1Char('/') + last + QLatin1Char('/'))) {
            EXPECT_EQ(identity(it.key()), it.value())
                << "archived again after it was recorded: " << it.key().toStdString();
        }
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

    std::unique_ptr<QProcess> program = sandbox.start();
    // Wait until the run is past its catalog and has archived a few files.
    QElapsedTimer timer;
    timer.start();
    while (config(sandbox, ConfigKeys::LAST_BACKUP_LIST_INDEX).toInt() < 3 &&
           program->state() == QProcess::Running && timer.elapsed() < 60000)
        QThread::msleep(20);
    ASSERT_EQ(program->state(), QProcess::Running) << "the run ended before it could be terminated";
    const QString set = config(sandbox, ConfigKeys::LAST_ARCHIV_NAME);
    ::kill(pid_t(program->processId()), SIGTERM);
    ASSERT_TRUE(program->waitForFinished(30000)) << "SIGTERM did not end the program";
    EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(waitUntilNoProcesses(3000));
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
