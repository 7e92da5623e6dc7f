#include "BackupFixture.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/config/Scrambling.h"
#include "core/log/LogLines.h"
#include "support/ArchiverWrapper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {
namespace {

using BackupRunTest = BackupFixture;

const QStringList sideArchives{QStringLiteral("archivlist.csv.7z"), QStringLiteral("config.ini.7z"),
                               QStringLiteral("log.txt.7z"), QStringLiteral("sources.txt.7z")};

// The archive files of a set that belong to source files (side archives left out).
QStringList fileArchives(const QStringList& files)
{
    QStringList result;
    for (const QString& file : files) {
        if (!sideArchives.contains(file))
            result.append(file);
    }
    return result;
}

TEST_F(BackupRunTest, FullBackupWritesEveryFileTheCatalogAndTheSideArchives)
{
    const QString a = writeSource(QStringLiteral("a.txt"), "alpha");
    const QString b = writeSource(QStringLiteral("sub folder/b é.txt"), "beta");
    const QString c = writeSource(QStringLiteral("sub folder/deep/c.doc"), QByteArray(5000, 'c'));
    restartProgram();
    EXPECT_TRUE(statusShown(QStringLiteral("Nový start zálohování je připraven")));
    EXPECT_EQ(host.currentTrafficLight(), 1);

    pressStart();

    ASSERT_EQ(sets().size(), 1);
    const QString set = sets().first();
    QStringList expected = sideArchives;
    for (const QString& path : {a, b, c})
        expected.append(SetLayout::pathInSet(path, false));
    expected.sort();
    EXPECT_EQ(filesOfSet(set), expected);

    const QStringList catalog = catalogOf(set);
    ASSERT_EQ(catalog.size(), 3);
    for (const QString& line : catalog) {
        EXPECT_EQ(catalogField(line, CatalogLine::Set), set);
        EXPECT_EQ(catalogField(line, CatalogLine::PlainCopy), QStringLiteral("0"));
    }
    expectRestorable(set);

    EXPECT_EQ(configValue(ConfigKeys::LAST_ARCHIV_NAME), set);
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_LIST_INDEX), QStringLiteral("0"));
    EXPECT_EQ(host.currentStatus(Page::Backup),
              statusText(Page::Backup, QStringLiteral("Úspěšný konec zálohování")));
    EXPECT_EQ(host.currentTrafficLight(), 2);
    EXPECT_EQ(session.backupMode, BackupMode::inkremental);
    EXPECT_EQ(controls.startCaption, QStringLiteral("START"));
    EXPECT_TRUE(controls.startEnabled);
    EXPECT_FALSE(controls.skipEnabled);
    EXPECT_TRUE(controls.pagesEnabled);
    EXPECT_FALSE(controls.passwordCheckEnabled);
    EXPECT_EQ(controls.logShownModal, 0);
    // The run log went into the set; the work files are gone.
    EXPECT_FALSE(QFileInfo::exists(program->file(QStringLiteral("log.txt"))));
    EXPECT_FALSE(QFileInfo::exists(program->file(QStringLiteral("archivlist.csv"))));
    EXPECT_TRUE(leftoverTmpFiles().isEmpty());
    bool ok = false;
    const QByteArray log =
        extract(SetLayout::sideArchivePath(destination.path(), set, SetLayout::logFile), {}, &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(log.contains(QByteArray("Archiv: ") + set.toUtf8()));
}

TEST_F(BackupRunTest, SecondRunWithoutChangeMakesNoSet)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    writeSource(QStringLiteral("b.txt"), "beta");
    pressStart();
    ASSERT_EQ(sets().size(), 1);
    const QString first = sets().first();

    restartProgram();
    EXPECT_TRUE(statusShown(QStringLiteral("Start přírůstkového zálohování je připraven")));
    EXPECT_EQ(session.backupMode, BackupMode::inkremental);
    pressStart();

    EXPECT_TRUE(statusShown(QStringLiteral("Od minulé zálohy se nic nezměnilo")));
    EXPECT_EQ(sets(), QStringList{first});
    EXPECT_EQ(configValue(ConfigKeys::LAST_ARCHIV_NAME), first);
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    EXPECT_TRUE(controls.resetCheckEnabled);
    EXPECT_TRUE(controls.pagesEnabled);
    EXPECT_TRUE(controls.attachListEnabled);
    EXPECT_TRUE(controls.startEnabled);
    EXPECT_EQ(controls.xExitCalls, 1);
}

TEST_F(BackupRunTest, ModifiedFileAloneGoesIntoTheNewSet)
{
    const QString a = writeSource(QStringLiteral("a.txt"), "alpha");
    const QString b = writeSource(QStringLiteral("b.txt"), "beta");
    const QString c = writeSource(QStringLiteral("c.txt"), "gamma");
    pressStart();
    const QString first = lastSet();

    writeSource(QStringLiteral("b.txt"), "beta, second version", 3600);
    restartProgram();
    pressStart();

    ASSERT_EQ(sets().size(), 2);
    const QString second = lastSet();
    QStringList expected = sideArchives;
    expected.append(SetLayout::pathInSet(b, false));
    expected.sort();
    EXPECT_EQ(filesOfSet(second), expected);
    for (const QString& line : catalogOf(second)) {
        const QString path = catalogField(line, CatalogLine::Path);
        EXPECT_EQ(catalogField(line, CatalogLine::Set), path == b ? second : first) << line.toStdString();
    }
    expectRestorable(second);
    Q_UNUSED(a);
    Q_UNUSED(c);
}

TEST_F(BackupRunTest, FilesDeletedAtTheSourceMakeASetWithoutFileArchives)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    const QString b = writeSource(QStringLiteral("b.txt"), "beta");
    pressStart();
    QFile::remove(b);
    restartProgram();
    pressStart();

    ASSERT_EQ(sets().size(), 2);
    EXPECT_EQ(filesOfSet(lastSet()), sideArchives);
    EXPECT_EQ(catalogOf(lastSet()).size(), 1);
    expectRestorable(lastSet());
    EXPECT_EQ(host.currentStatus(Page::Backup),
              statusText(Page::Backup, QStringLiteral("Úspěšný konec zálohování")));
}

TEST_F(BackupRunTest, StopDuringTheThirdFileResumesWithIt)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    writeSource(QStringLiteral("b.txt"), "beta");
    const QString third = writeSource(QStringLiteral("c.bin"), randomBytes(256 * 1024));
    writeSource(QStringLiteral("d.txt"), "delta");
    writeSource(QStringLiteral("e.txt"), "epsilon");
    restartProgram();

    // STOP is pressed while the archiver call for the third file is held, however fast the
    // archiver would have been.
    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.applyToThisProcess();
    wrapper.pauseAt({QStringLiteral("a"), QStringLiteral("*/c.bin")}, 1);
    bool pressed = false;
    host.setPumpHook([&] {
        if (!pressed && wrapper.waitForPause(0)) {
            pressed = true;
            run->BitBtn1Click(); // the button shows STOP now
        }
    });
    pressStart();
    ASSERT_TRUE(pressed) << "the run never reached the archiver call for " << third.toStdString();
    host.setPumpHook({});
    wrapper.clear();

    ASSERT_EQ(archivedHints().last(), third);
    const QString set = lastSet();
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_LIST_INDEX), QStringLiteral("2"));
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("0"));
    EXPECT_EQ(configValue(ConfigKeys::LAST_ARCHIV_NAME), set);
    EXPECT_TRUE(statusShown(QStringLiteral("přerušeno uživatelem")));
    EXPECT_EQ(controls.startCaption, QStringLiteral("pokračovat.."));
    EXPECT_EQ(controls.startFontSize, 10);
    EXPECT_EQ(host.currentTrafficLight(), 3);
    EXPECT_EQ(session.backupMode, BackupMode::pokracovani);
    EXPECT_TRUE(run->userStopped());
    EXPECT_EQ(leftoverTmpFiles(), QStringList());
    EXPECT_FALSE(QFileInfo::exists(SetLayout::archivePath(destination.path(), set, third, false)));
    // The set already holds its source list and configuration; the log stays in the program folder.
    EXPECT_TRUE(
        QFileInfo::exists(SetLayout::sideArchivePath(destination.path(), set, SetLayout::sourcesFile)));
    EXPECT_TRUE(QFileInfo::exists(program->file(QStringLiteral("log.txt"))));

    restartProgram();
    EXPECT_TRUE(statusShown(QStringLiteral("Poslední záloha nebyla dokončena")));
    EXPECT_EQ(host.currentTrafficLight(), 3);
    const int hintsBefore = archivedHints().size();
    pressStart();

    const QStringList resumed = archivedHints().mid(hintsBefore);
    ASSERT_FALSE(resumed.isEmpty());
    EXPECT_EQ(resumed.first(), third);
    EXPECT_EQ(resumed.size(), 3);
    EXPECT_EQ(sets(), QStringList{set});
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_LIST_INDEX), QStringLiteral("0"));
    EXPECT_EQ(host.currentStatus(Page::Backup),
              statusText(Page::Backup, QStringLiteral("Úspěšný konec zálohování")));
    EXPECT_EQ(filesOfSet(set).size(), 5 + sideArchives.size());
    expectRestorable(set);
}

TEST_F(BackupRunTest, SkipDropsTheFileAndEndsWithAWarning)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    const QString skipped = writeSource(QStringLiteral("b.bin"), randomBytes(256 * 1024));
    writeSource(QStringLiteral("c.txt"), "gamma");
    restartProgram();

    // "Přeskočit" is pressed while the archiver call for the second file is held.
    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.applyToThisProcess();
    wrapper.pauseAt({QStringLiteral("a"), QStringLiteral("*/b.bin")}, 1);
    bool pressed = false;
    host.setPumpHook([&] {
        if (!pressed && wrapper.waitForPause(0)) {
            pressed = true;
            run->Button21Click();
        }
    });
    pressStart();
    ASSERT_TRUE(pressed) << "the run never reached the archiver call for " << skipped.toStdString();
    host.setPumpHook({});
    wrapper.clear();

    const QString set = lastSet();
    EXPECT_TRUE(statusShown(QStringLiteral("přeskakuji aktuálně zálohovaný soubor")));
    EXPECT_EQ(host.currentStatus(Page::Backup),
              statusText(Page::Backup, QStringLiteral("Zálohování dokončeno s varováním. Více v log.txt")));
    EXPECT_TRUE(controls.loadedLog.contains(logline::notArchived + skipped));
    EXPECT_EQ(controls.logShownModal, 1);
    EXPECT_EQ(run->runStatus(), RunWarnings);
    // The completed set's catalog no longer lists the file, so the next run tries it again.
    const QStringList catalog = catalogOf(set);
    EXPECT_EQ(catalog.size(), 2);
    for (const QString& line : catalog)
        EXPECT_NE(catalogField(line, CatalogLine::Path), skipped);
    EXPECT_FALSE(QFileInfo::exists(SetLayout::archivePath(destination.path(), set, skipped, false)));
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));

    restartProgram();
    pressStart();
    ASSERT_EQ(sets().size(), 2);
    EXPECT_EQ(fileArchives(filesOfSet(lastSet())), QStringList{SetLayout::pathInSet(skipped, false)});
    expectRestorable(lastSet());
}

TEST_F(BackupRunTest, FileVanishingDuringTheRunIsReportedNotArchived)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    writeSource(QStringLiteral("b.txt"), "beta");
    const QString vanishing = writeSource(QStringLiteral("c.txt"), "gamma");
    restartProgram();
    host.setPumpHook([&] {
        if (archivedHints().size() == 1)
            QFile::remove(vanishing);
    });
    pressStart();

    EXPECT_TRUE(controls.loadedLog.contains(logline::notArchived + vanishing));
    EXPECT_EQ(run->runStatus(), RunWarnings);
    EXPECT_EQ(catalogOf(lastSet()).size(), 2);
    expectRestorable(lastSet());
}

// VERIFY_LAST_ARCHIV through the whole run: an archive lost from an older set of the chain goes
// unnoticed without the check (nothing changed, no set), and with the check on the next run
// archives that file again into a new set that holds nothing else, and ends without a warning.
TEST_F(BackupRunTest, VerifiedRunArchivesAgainWhatAnOlderSetLost)
{
    const QString a = writeSource(QStringLiteral("a.txt"), "alpha");
    writeSource(QStringLiteral("b.txt"), "beta");
    const QString c = writeSource(QStringLiteral("c.txt"), "gamma");
    pressStart();
    const QString first = lastSet();
    writeSource(QStringLiteral("c.txt"), "gamma, second version", 3600);
    restartProgram();
    pressStart();
    ASSERT_EQ(sets().size(), 2);
    const QString second = lastSet();
    ASSERT_TRUE(QFile::remove(SetLayout::archivePath(destination.path(), first, a, false)));

    // Without the check the loss is not seen.
    restartProgram();
    ASSERT_FALSE(controls.checkBox7);
    pressStart();
    EXPECT_TRUE(statusShown(QStringLiteral("Od minulé zálohy se nic nezměnilo")));
    EXPECT_EQ(sets(), (QStringList{first, second}));

    // The stored option turns the check on for the next run.
    config->writeInt(ConfigKeys::VERIFY_LAST_ARCHIV, 1);
    restartProgram();
    ASSERT_TRUE(controls.checkBox7) << "the readiness check did not load VERIFY_LAST_ARCHIV";
    pressStart();
    EXPECT_TRUE(statusShown(QStringLiteral("Analýza - hledání změn a kontrola archivů")));
    ASSERT_EQ(sets().size(), 3);
    const QString third = lastSet();
    EXPECT_EQ(fileArchives(filesOfSet(third)), QStringList{SetLayout::pathInSet(a, false)});
    for (const QString& line : catalogOf(third)) {
        const QString path = catalogField(line, CatalogLine::Path);
        const QString expected = path == a ? third : path == c ? second : first;
        EXPECT_EQ(catalogField(line, CatalogLine::Set), expected) << line.toStdString();
    }
    EXPECT_EQ(host.currentStatus(Page::Backup),
              statusText(Page::Backup, QStringLiteral("Úspěšný konec zálohování")))
        << "a lost archive found by the check is no warning";
    EXPECT_EQ(run->runStatus(), RunOk);
    expectRestorable(third);
}

TEST_F(BackupRunTest, PasswordWithSpacesEncryptsTheChainAndAWrongOneStopsIt)
{
    const QString password = QStringLiteral("tajné heslo s mezerami");
    config->writeString(ConfigKeys::PASSWORD, sifruj(password));
    writeSource(QStringLiteral("a.txt"), "alpha");
    const QString b = writeSource(QStringLiteral("b.txt"), "beta");
    restartProgram();
    ASSERT_TRUE(controls.checkBox9);
    pressStart();

    const QString first = lastSet();
    bool ok = true;
    extract(SetLayout::archivePath(destination.path(), first, b, false), QString(), &ok);
    EXPECT_FALSE(ok) << "the archive must need the password";
    expectRestorable(first, password);

    writeSource(QStringLiteral("b.txt"), "beta 2", 3600);
    restartProgram();
    pressStart();
    ASSERT_EQ(sets().size(), 2);
    expectRestorable(lastSet(), password);

    writeSource(QStringLiteral("b.txt"), "beta 3", 7200);
    restartProgram();
    controls.password = QStringLiteral("wrong");
    pressStart();
    EXPECT_TRUE(statusShown(QStringLiteral("Poslední archiv je ZAHESLOVÁN")));
    EXPECT_EQ(host.currentStatus(Page::Backup),
              statusText(Page::Backup, QStringLiteral("pro pokračování nastavte správné heslo")));
    EXPECT_EQ(sets().size(), 2);
    EXPECT_TRUE(controls.passwordCheckEnabled);
    EXPECT_TRUE(controls.passwordFieldEnabled);
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
}

TEST_F(BackupRunTest, MissingLastCatalogStopsAnIncrementalRun)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    pressStart();
    const QString first = lastSet();
    restartProgram();
    QFile::remove(SetLayout::sideArchivePath(destination.path(), first, SetLayout::catalogFile));
    pressStart();
    EXPECT_EQ(host.currentStatus(Page::Backup),
              statusText(Page::Backup, QStringLiteral("Poslední archiv nelze otevřít")));
    EXPECT_EQ(sets().size(), 1);
}

TEST_F(BackupRunTest, EmptySourceListHasNothingToBackUp)
{
    ASSERT_TRUE(QFile::resize(program->file(SourcesFile::fileName), 0));
    pressStart();
    EXPECT_TRUE(statusShown(QStringLiteral("Není co zálohovat")));
    EXPECT_TRUE(sets().isEmpty());
    EXPECT_EQ(controls.xExitCalls, 1);
}

TEST_F(BackupRunTest, InvalidSourceLineWithoutSkippingAbandonsTheRun)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    ASSERT_TRUE(SourcesFile::write(program->file(SourcesFile::fileName),
                                   {sources.path(), sources.filePath(QStringLiteral("no such folder"))}));
    pressStart();
    EXPECT_TRUE(statusShown(QStringLiteral("Chyba v sources listu (co zálohovat), více v log.txt")));
    EXPECT_TRUE(sets().isEmpty());
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    const QString log = QString::fromUtf8(program->read(QStringLiteral("log.txt")));
    EXPECT_TRUE(log.contains(logline::invalidRecord));
    EXPECT_TRUE(controls.startEnabled);
}

TEST_F(BackupRunTest, UnattendedRunEndsThroughXExitAndNeverPowersOff)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    controls.checkBox14 = true;
    controls.checkBox17 = true;
    pressStart();
    EXPECT_EQ(controls.xExitCalls, 1);
    EXPECT_TRUE(controls.powerOffRequests.isEmpty());
    EXPECT_TRUE(runState.stopRequested);

    writeSource(QStringLiteral("a.txt"), "alpha 2", 100);
    restartProgram();
    controls.checkBox17 = true;
    pressStart();
    EXPECT_EQ(controls.powerOffRequests, QList<int>{12});
}

TEST_F(BackupRunTest, ResetStartsANewChain)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    pressStart();
    host.queueAnswer(Answer::Ok);
    run->Button5Click();
    EXPECT_EQ(configValue(ConfigKeys::LAST_ARCHIV_NAME), QString());
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_LIST_INDEX), QStringLiteral("0"));
    ASSERT_FALSE(host.questions().empty());
    EXPECT_EQ(host.questions().back().text,
              QStringLiteral("Program byl anulován, příští zálohování proběhne od začátku"));
    EXPECT_EQ(session.backupMode, BackupMode::novazaloha);
    EXPECT_EQ(host.currentTrafficLight(), 1);
    EXPECT_TRUE(controls.passwordCheckEnabled);

    pressStart();
    ASSERT_EQ(sets().size(), 2);
    EXPECT_EQ(filesOfSet(lastSet()).size(), 1 + sideArchives.size());
}

TEST_F(BackupRunTest, BufferedRunRecordsEveryNthFile)
{
    config->writeInt(ConfigKeys::ARCHIVLIST_BUFFER, 2);
    for (int i = 0; i < 5; ++i)
        writeSource(QStringLiteral("f%1.txt").arg(i), QByteArray::number(i));
    restartProgram();
    // The recorded index at the moment each file's archiving begins (its path is shown).
    QStringList recorded;
    QString lastPathShown;
    host.setPumpHook([&] {
        const QString shown = host.currentStatus(Page::Backup);
        if (shown.startsWith(QStringLiteral("  /")) && shown != lastPathShown) {
            lastPathShown = shown;
            recorded.append(configValue(ConfigKeys::LAST_BACKUP_LIST_INDEX));
        }
    });
    pressStart();
    EXPECT_EQ(recorded, (QStringList{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                                     QStringLiteral("2"), QStringLiteral("2")}));
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_LIST_INDEX), QStringLiteral("0"));
    expectRestorable(lastSet());
}

// A run killed right after it completed leaves its set without the source list and settings; the
// next start puts them in. They must be the ones that run began with, not the files as edited
// since: an exact-state restore of the set deletes folders by the list it holds.
TEST_F(BackupRunTest, ASetCompletedByTheNextStartHoldsTheListAndSettingsItsRunBeganWith)
{
    const QString one = sources.path() + QStringLiteral("/one");
    const QString two = sources.path() + QStringLiteral("/two");
    writeSource(QStringLiteral("one/x.txt"), "x");
    writeSource(QStringLiteral("two/y.txt"), "y");
    ASSERT_TRUE(SourcesFile::write(program->file(SourcesFile::fileName), {one}));
    pressStart();
    const QString first = lastSet();
    ASSERT_FALSE(first.isEmpty());
    for (const auto side : {SetLayout::sourcesFile, SetLayout::configFile})
        ASSERT_TRUE(QFile::remove(SetLayout::sideArchivePath(destination.path(), first, side)));

    ASSERT_TRUE(SourcesFile::write(program->file(SourcesFile::fileName), {one, two}));
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_FTP_HOST, QStringLiteral("edited.invalid")));
    restartProgram();
    pressStart();
    ASSERT_EQ(sets().size(), 2);
    const QString second = lastSet();

    const auto sideFile = [this](const QString& set, QStringView side) {
        bool ok = false;
        const QByteArray bytes = extract(SetLayout::sideArchivePath(destination.path(), set, side), {}, &ok);
        EXPECT_TRUE(ok) << set.toStdString() << " " << side.toString().toStdString();
        return bytes;
    };
    const QByteArray firstList = sideFile(first, SetLayout::sourcesFile);
    EXPECT_TRUE(firstList.contains(one.toUtf8()));
    EXPECT_FALSE(firstList.contains(two.toUtf8())) << firstList.toStdString();
    const QByteArray secondList = sideFile(second, SetLayout::sourcesFile);
    EXPECT_TRUE(secondList.contains(two.toUtf8())) << secondList.toStdString();

    QTemporaryDir unpacked;
    ASSERT_TRUE(unpacked.isValid());
    const QString firstConfig = unpacked.filePath(QStringLiteral("config.ini"));
    QFile out(firstConfig);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(sideFile(first, SetLayout::configFile));
    out.close();
    const IniStore stored(firstConfig);
    EXPECT_EQ(stored.readString(ConfigKeys::BACKUP_FTP_HOST, QString()), QString());
    EXPECT_EQ(stored.readString(ConfigKeys::LAST_ARCHIV_NAME, QString()), first);
    EXPECT_EQ(stored.readString(ConfigKeys::LAST_BACKUP_DONE, QString()), QStringLiteral("1"));
    // Only the copies of the set now being the last one are kept.
    EXPECT_FALSE(QFileInfo::exists(program->file(QStringLiteral("runfiles/") + first)));
    EXPECT_TRUE(QFileInfo::exists(program->file(QStringLiteral("runfiles/%1/sources.txt").arg(second))));
}

} // namespace
} // namespace ombrix::test
