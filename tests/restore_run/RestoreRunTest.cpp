#include "core/catalog/CatalogFile.h"
#include "core/catalog/CatalogLine.h"
#include "core/config/ConfigKeys.h"
#include "core/log/Status.h"
#include "core/sources/SourcesFile.h"
#include "support/RestoreFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace ombrix::test {

namespace {

// The restored copy of the source folder below a restore folder (the full path with ":" gone).
RestoreFixture::Tree restoredBelow(const QString& restoreFolder, const QString& sourceFolder)
{
    return RestoreFixture::treeOf(QDir::cleanPath(restoreFolder + QLatin1Char('/') + sourceFolder));
}

} // namespace

class RestoreRunTest : public RestoreFixture
{
};

TEST_F(RestoreRunTest, EveryCatalogOfAChainRestoresTheStateOfItsRun)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    writeSource(QStringLiteral("sub/b.txt"), "bravo");
    writeSource(QStringLiteral("sub/deep/c.bin"), QByteArray(5000, 'c'));
    const QString full = makeSet();
    const Tree fullState = sourceTree();

    writeSource(QStringLiteral("a.txt"), "alpha, changed");
    writeSource(QStringLiteral("new.txt"), "new file");
    const QString changes = makeSet();
    const Tree changesState = sourceTree();

    removeSource(QStringLiteral("sub/b.txt"));
    const QString deletions = makeSet();
    const Tree deletionsState = sourceTree();

    // The last catalog names sets other than its own.
    QSet<QString> holders;
    for (const QString& line : catalogOf(deletions))
        holders.insert(catalogField(line, CatalogLine::Set));
    EXPECT_EQ(holders.size(), 2); // c.bin from the full set, a.txt and new.txt from the second

    const std::vector<std::pair<QString, Tree>> cases{
        {full, fullState}, {changes, changesState}, {deletions, deletionsState}};
    for (const auto& [set, state] : cases) {
        SCOPED_TRACE(set.toStdString());
        QTemporaryDir target;
        controls.folder = target.path();
        chooseSet(set);
        run->runRestore();
        EXPECT_EQ(restoredBelow(target.path(), sourceDir.path()), state);
        EXPECT_EQ(host.currentStatus(Page::Restore).trimmed(), QStringLiteral("Obnova dat byla dokončena"));
        EXPECT_FALSE(QFile::exists(program->file(QStringLiteral("recoverylist.csv"))));
        EXPECT_EQ(config->readString(ConfigKeys::RECOVERY_ARCHIVNAME, QStringLiteral("?")), QString());
        EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);
        EXPECT_EQ(run->recoveryMode(), RestoreRun::Mode::novaobnova);
        EXPECT_TRUE(controls.pagesEnabled);
    }
}

TEST_F(RestoreRunTest, StoppedRestoreContinuesAtTheStoredLineAndEndsWithTheSameResult)
{
    for (int i = 0; i < 8; ++i)
        writeSource(QStringLiteral("f%1.txt").arg(i), QByteArray("content ") + QByteArray::number(i));
    const QString set = makeSet();
    const Tree state = sourceTree();
    chooseSet(set);
    controls.folder = restoreDir.path();

    // STOP is pressed while the fourth line (index 3) is shown.
    const QString fourth = catalogField(catalogOf(set).at(3), CatalogLine::Path);
    host.setPumpHook([&] {
        if (run->showsStop() && host.currentStatus(Page::Restore).contains(QFileInfo(fourth).fileName()))
            run->runRestore();
    });
    run->runRestore();
    host.setPumpHook({});
    EXPECT_EQ(host.currentStatus(Page::Restore).trimmed(), QStringLiteral("Přerušeno uživatelem"));
    EXPECT_EQ(run->recoveryMode(), RestoreRun::Mode::pokracovat);
    EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, -1), 3);
    EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 1), 0);
    EXPECT_EQ(config->readString(ConfigKeys::RECOVERY_ARCHIVNAME, QString()), set);
    EXPECT_LT(restoredBelow(restoreDir.path(), sourceDir.path()).size(), state.size());
    EXPECT_TRUE(controls.restoreEnabled);
    EXPECT_FALSE(controls.controlsEnabled);

    // A program start offers the restore again; continuing completes it.
    makeRun();
    controls.set.clear();
    run->resumeRestoreAtStart();
    EXPECT_EQ(run->recoveryMode(), RestoreRun::Mode::pokracovat);
    EXPECT_EQ(controls.set, set);
    EXPECT_EQ(host.currentStatus(Page::Restore).trimmed(),
              QStringLiteral("Obnova dat nebyla dokončena, bude se pokračovat"));
    // The files restored so far are damaged meanwhile: the continued run repeats the stored line.
    const QString restoredFourth = QDir::cleanPath(restoreDir.path() + QLatin1Char('/') + fourth);
    QFile damaged(restoredFourth);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.close();
    run->runRestore();
    EXPECT_EQ(restoredBelow(restoreDir.path(), sourceDir.path()), state);
    EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);
}

TEST_F(RestoreRunTest, PendingRestoreIsNotOfferedWithoutItsList)
{
    writeSource(QStringLiteral("a.txt"), "a");
    const QString set = makeSet();
    config->writeString(ConfigKeys::RECOVERY_ARCHIVNAME, set);
    config->writeInt(ConfigKeys::RECOVERY_DONE, 0);
    run->resumeRestoreAtStart();
    EXPECT_EQ(run->recoveryMode(), RestoreRun::Mode::novaobnova);
    EXPECT_EQ(host.currentStatus(Page::Restore).trimmed(), QStringLiteral("Vyberte archiv"));
}

TEST_F(RestoreRunTest, ExactStateRemovesFilesThatWereNotInTheSet)
{
    writeSource(QStringLiteral("keep.txt"), "keep");
    writeSource(QStringLiteral("sub/old.txt"), "old");
    const QString set = makeSet();
    const Tree state = sourceTree();
    writeSource(QStringLiteral("later.txt"), "made after the backup");
    writeSource(QStringLiteral("keep.txt"), "changed after the backup");
    removeSource(QStringLiteral("sub/old.txt"));

    controls.toOriginal = true;
    controls.exact = true;
    chooseSet(set);
    run->runRestore();
    EXPECT_EQ(sourceTree(), state);
    EXPECT_FALSE(QFileInfo::exists(program->file(QStringLiteral("tmp"))));
}

TEST_F(RestoreRunTest, KeepModeDeletesNothing)
{
    writeSource(QStringLiteral("keep.txt"), "keep");
    const QString set = makeSet();
    writeSource(QStringLiteral("later.txt"), "made after the backup");

    controls.toOriginal = true;
    controls.exact = false;
    chooseSet(set);
    run->runRestore();
    EXPECT_TRUE(QFile::exists(sourceDir.filePath(QStringLiteral("later.txt"))));

    // Continued in keep mode, too. (A continued exact-state restore finishes its removal:
    // SafeExactStateTest.)
    chooseSet(set);
    config->writeInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, 0);
    run->resumeRestoreAtStart(); // no pending restore recorded: stays a new restore
    ASSERT_EQ(run->recoveryMode(), RestoreRun::Mode::novaobnova);
    config->writeString(ConfigKeys::RECOVERY_ARCHIVNAME, set);
    config->writeInt(ConfigKeys::RECOVERY_DONE, 0);
    run->resumeRestoreAtStart();
    ASSERT_EQ(run->recoveryMode(), RestoreRun::Mode::pokracovat);
    run->runRestore();
    EXPECT_TRUE(QFile::exists(sourceDir.filePath(QStringLiteral("later.txt"))));
    EXPECT_EQ(sourceTree().at(QStringLiteral("keep.txt")), QByteArray("keep"));
}

TEST_F(RestoreRunTest, MissingListStartsNothingAndDeletesNothing)
{
    writeSource(QStringLiteral("keep.txt"), "keep");
    const QString set = makeSet();
    controls.toOriginal = true;
    controls.exact = true;
    controls.set = set;
    run->runRestore();
    EXPECT_EQ(host.currentStatus(Page::Restore).trimmed(),
              QStringLiteral("Chyba: nelze najít soubor recoverylist.csv"));
    EXPECT_TRUE(QFile::exists(sourceDir.filePath(QStringLiteral("keep.txt"))));
    EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);
    EXPECT_FALSE(run->showsStop());
}

TEST_F(RestoreRunTest, EmptyListCompletesAtOnce)
{
    ASSERT_TRUE(CatalogFile::write(program->file(QStringLiteral("recoverylist.csv")), {}));
    controls.folder = restoreDir.path();
    controls.set = QStringLiteral("OMX_2024-05-06_10-00-00");
    run->runRestore();
    EXPECT_EQ(host.currentStatus(Page::Restore).trimmed(), QStringLiteral("Obnova dat byla dokončena"));
    EXPECT_FALSE(QFile::exists(program->file(QStringLiteral("recoverylist.csv"))));
}

TEST_F(RestoreRunTest, NoFolderChosenShowsTheMessageAndStartsNothing)
{
    ASSERT_TRUE(CatalogFile::write(program->file(QStringLiteral("recoverylist.csv")), {}));
    controls.folder.clear();
    run->runRestore();
    ASSERT_EQ(host.questions().size(), 1u);
    EXPECT_EQ(host.questions().front().text,
              QStringLiteral("Není vybrán adresář pro obnovu dat nebo zadaný adresář nelze vytvořit"));
    EXPECT_TRUE(QFile::exists(program->file(QStringLiteral("recoverylist.csv"))));
}

TEST_F(RestoreRunTest, MissingSetFolderStopsTheRunWithItsText)
{
    writeSource(QStringLiteral("a.txt"), "a");
    const QString set = makeSet();
    chooseSet(set);
    controls.folder = restoreDir.path();
    QDir(destinationDir.filePath(set)).removeRecursively();
    run->runRestore();
    EXPECT_EQ(host.currentStatus(Page::Restore).trimmed(),
              QStringLiteral("Obnova přerušena, archiv není dostupný"));
    EXPECT_EQ(run->recoveryMode(), RestoreRun::Mode::pokracovat);
    EXPECT_TRUE(controls.pagesEnabled);
    EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 1), 0);
}

TEST_F(RestoreRunTest, LinesThatWouldLeaveTheTargetAreSkippedAndLogged)
{
    // An archive planted where a line with ".." components would find it.
    const QString set = QStringLiteral("OMX_2024-05-06_10-00-00");
    QDir().mkpath(destinationDir.filePath(set + QStringLiteral("/a")));
    program->write(QStringLiteral("escape.txt"), "escaped");
    QProcess zip;
    zip.setWorkingDirectory(program->path());
    zip.start(QStringLiteral("7za"),
              {QStringLiteral("a"), QStringLiteral("-y"),
               destinationDir.filePath(QStringLiteral("escape.txt.7z")), QStringLiteral("escape.txt")});
    ASSERT_TRUE(zip.waitForFinished(60000)) << "7za did not end within 60 s";
    ASSERT_TRUE(QFile::exists(destinationDir.filePath(QStringLiteral("escape.txt.7z"))));

    const QString time = QStringLiteral("2024-01-02-08-00-00");
    const QString nested = restoreDir.filePath(QStringLiteral("one/target"));
    const QStringList lines{CatalogLine::make(QStringLiteral("/a/../../escape.txt"), time, set, false),
                            CatalogLine::make(QStringLiteral("relative/escape.txt"), time, set, false)};
    ASSERT_FALSE(lines.contains(QString()));
    ASSERT_TRUE(CatalogFile::write(program->file(QStringLiteral("recoverylist.csv")), lines));
    controls.set = set;
    controls.folder = nested;
    run->runRestore();
    EXPECT_EQ(run->refusedLines(), 2);
    EXPECT_TRUE(treeOf(restoreDir.path()).empty());
    EXPECT_EQ(runLog->logBuffer().filter(QStringLiteral("not restored, invalid path: ")).size(), 2);
    // Those files did not come back: the run says how many.
    const QString warning =
        QString::fromUtf8("Obnova dat dokončena s varováním, počet neobnovených souborů:");
    EXPECT_EQ(host.currentStatus(Page::Restore), statusText(Page::Restore, warning + QStringLiteral(" 2")));
}

TEST_F(RestoreRunTest, ResetForgetsThePendingRestore)
{
    ASSERT_TRUE(CatalogFile::write(program->file(QStringLiteral("recoverylist.csv")), {}));
    config->writeString(ConfigKeys::RECOVERY_ARCHIVNAME, QStringLiteral("OMX_2024-05-06_10-00-00"));
    config->writeInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, 5);
    config->writeInt(ConfigKeys::RECOVERY_DONE, 0);
    run->resetRestore();
    EXPECT_EQ(config->readString(ConfigKeys::RECOVERY_ARCHIVNAME, QStringLiteral("?")), QString());
    EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, -1), 0);
    EXPECT_EQ(config->readInt(ConfigKeys::RECOVERY_DONE, 0), 1);
    EXPECT_FALSE(QFile::exists(program->file(QStringLiteral("recoverylist.csv"))));
    EXPECT_TRUE(controls.resetCleared);
    EXPECT_EQ(controls.caption, QStringLiteral("OBNOVA DAT"));
}

} // namespace ombrix::test
