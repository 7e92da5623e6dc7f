#include "BackupFixture.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/util/Clock.h"
#include "support/ArchiverWrapper.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {
namespace {

class SilentLossTest : public BackupFixture
{
  protected:
    // Every line of the set's stored catalog has its archive in the set it names.
    void expectEveryLineHasItsArchive(const QString& set) const
    {
        const QStringList catalog = catalogOf(set);
        ASSERT_FALSE(catalog.isEmpty()) << set.toStdString();
        for (const QString& line : catalog)
            EXPECT_TRUE(QFileInfo::exists(SetLayout::archivePathOfLine(backupRoot(), line)))
                << "the catalog names a file whose archive is missing: " << line.toStdString();
    }

    // A source file written now, as a person writes it, not a while ago.
    QString writeNow(const QString& relPath, const QByteArray& bytes)
    {
        const QString path = sources.filePath(relPath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }

    static bool setModified(const QString& path, const QDateTime& time)
    {
        QFile file(path);
        return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
    }
};

// With delayed progress writes (every 4th file), a file that fails after the last checkpoint is
// removed from the set's stored catalog too, before the run is recorded as complete; and the run
// log follows the same interval.
TEST_F(SilentLossTest, BufferedRunStoresTheCatalogOfAFileDroppedAfterTheLastCheckpoint)
{
    ASSERT_TRUE(config->writeInt(ConfigKeys::ARCHIVLIST_BUFFER, 4));
    QStringList files;
    for (int i = 0; i < 10; ++i)
        files << writeSource(QStringLiteral("f%1.txt").arg(i, 2, 10, QLatin1Char('0')),
                             QByteArray::number(i));
    restartProgram();
    EXPECT_EQ(runLog->progressSaveInterval(), 4) << "the run log does not follow the configured interval";

    // The last file goes away while the one before it is archived (after the checkpoint at 8).
    host.setPumpHook([&] {
        if (host.currentStatus(Page::Backup) == statusText(Page::Backup, files.at(8)))
            QFile::remove(files.at(9));
    });
    pressStart();
    host.setPumpHook({});

    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    EXPECT_TRUE(statusShown(QStringLiteral("Zálohování dokončeno s varováním. Více v log.txt")));
    expectEveryLineHasItsArchive(lastSet());
    EXPECT_EQ(catalogOf(lastSet()).size(), 9);
}

// Runs started within one second, and a run after the clock went back, each make a set of their
// own that sorts after every set before them; every state stays restorable.
TEST_F(SilentLossTest, EveryRunGetsASetOfItsOwnThatSortsAfterTheOlderOnes)
{
    const QString file = writeSource(QStringLiteral("a.txt"), "first");
    QStringList made;
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            writeSource(QStringLiteral("a.txt"), QByteArray("change ") + QByteArray::number(i), 10 * i);
        restartProgram();
        run->BitBtn1Click(); // the fake clock stands still: all three start in the same second
        ASSERT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
        made << configValue(ConfigKeys::LAST_ARCHIV_NAME);
    }
    // The clock goes back an hour.
    Clock::setFake(QDateTime(QDate(2024, 5, 6), QTime(9, 0, 0), Qt::UTC), 0, false);
    writeSource(QStringLiteral("a.txt"), "after the clock went back", 40);
    restartProgram();
    run->BitBtn1Click();
    made << configValue(ConfigKeys::LAST_ARCHIV_NAME);

    EXPECT_EQ(sets(), made);
    for (int i = 1; i < made.size(); ++i)
        EXPECT_LT(made.at(i - 1), made.at(i));
    bool ok = false;
    for (int i = 0; i < made.size(); ++i) {
        const QStringList catalog = catalogOf(made.at(i));
        ASSERT_EQ(catalog.size(), 1) << made.at(i).toStdString();
        const QByteArray content =
            extract(SetLayout::archivePathOfLine(backupRoot(), catalog.first()), {}, &ok);
        EXPECT_TRUE(ok);
        const QByteArray expected = i == 0   ? QByteArray("first")
                                    : i == 3 ? QByteArray("after the clock went back")
                                             : QByteArray("change ") + QByteArray::number(i);
        EXPECT_EQ(content, expected) << made.at(i).toStdString();
    }
    Q_UNUSED(file);
}

// A file written, backed up at once and written again a moment later with the same size and the
// same recorded time is archived again by the next run; a file written a while before the run is
// not archived twice.
TEST_F(SilentLossTest, AChangeWithinTheSameRecordedTimeStepIsArchivedByTheNextRun)
{
    const QString fresh = writeNow(QStringLiteral("fresh.txt"), "version A");
    const QString settled = writeSource(QStringLiteral("settled.txt"), "written long ago");
    const QDateTime firstWrite = QFileInfo(fresh).lastModified();
    restartProgram();
    pressStart();
    const QString first = lastSet();

    // Same size, and the time put back so the catalog's two-second step cannot tell.
    writeNow(QStringLiteral("fresh.txt"), "version B");
    ASSERT_TRUE(setModified(fresh, firstWrite));
    restartProgram();
    pressStart();
    const QString second = lastSet();
    ASSERT_NE(second, first) << "the changed file was never archived again";
    expectRestorable(second);
    for (const QString& line : catalogOf(second)) {
        if (catalogField(line, CatalogLine::Path) == settled) {
            EXPECT_EQ(catalogField(line, CatalogLine::Set), first) << "a settled file was archived again";
        }
    }

    // Once the file is settled, nothing is archived without a change.
    ASSERT_TRUE(setModified(fresh, firstWrite.addSecs(-3600)));
    restartProgram();
    pressStart();
    const QString third = lastSet();
    restartProgram();
    pressStart();
    EXPECT_EQ(lastSet(), third) << "an unchanged settled tree made another set";
    expectRestorable(third);
}

struct ChangingCase
{
    const char* name;
    QList<int> changedDuringReads; // which reads of the file the writer hits
    bool warns;
};

class ChangingWhileArchivedTest : public SilentLossTest, public ::testing::WithParamInterface<ChangingCase>
{
};

// A file written to while it is archived is read once more. When the second read is clean the run
// ends as usual; when the file changes again, its archive is kept, the run logs it and ends with
// the warning, and the next run archives it again, so the newest set restores what the file
// holds once it is left alone.
TEST_P(ChangingWhileArchivedTest, IsReadAgainAndNeverLeftTornWithoutAWord)
{
    const ChangingCase& c = GetParam();
    const QString path = writeSource(QStringLiteral("growing.log"), QByteArray(4096, 'a'));
    writeSource(QStringLiteral("quiet.txt"), "quiet");
    restartProgram();
    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.applyToThisProcess();
    wrapper.pauseAt({QStringLiteral("a"), path}, {1, 2});
    int appended = 0;
    host.setPumpHook([&] {
        for (const int read : {1, 2}) {
            if (!wrapper.hasPaused(read))
                continue;
            if (c.changedDuringReads.contains(read)) {
                // The writer appends while the archiver holds the file open.
                QFile file(path);
                if (file.open(QIODevice::Append))
                    file.write(QByteArray("more lines ") + QByteArray::number(++appended) + '\n');
            }
            wrapper.release(read);
        }
    });
    pressStart();
    host.setPumpHook({});
    wrapper.clear();

    ASSERT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    EXPECT_EQ(appended, c.changedDuringReads.size()) << "the writer did not hit the reads it was meant to";
    const QString log = runLog->logBuffer().join(QLatin1Char('\n'));
    EXPECT_EQ(log.contains(QStringLiteral("changed while archived: ") + path), c.warns) << log.toStdString();
    EXPECT_EQ(run->runStatus() == RunWarnings, c.warns);

    // The file is left alone now (and a while before the next run reads it).
    ASSERT_TRUE(setModified(path, QDateTime::currentDateTimeUtc().addSecs(-3600)));
    restartProgram();
    pressStart();
    expectRestorable(lastSet());
}

INSTANTIATE_TEST_SUITE_P(Writers, ChangingWhileArchivedTest,
                         ::testing::Values(ChangingCase{"DuringTheFirstReadOnly", {1}, false},
                                           ChangingCase{"DuringBothReads", {1, 2}, true}),
                         [](const ::testing::TestParamInfo<ChangingCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace ombrix::test
