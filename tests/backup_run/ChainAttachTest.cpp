#include "backup/ChainAttach.h"

#include "BackupFixture.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/config/Scrambling.h"
#include "storage/ProgramDestination.h"

#include <functional>
#include <map>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <vector>

namespace ombrix::test {

namespace {

using Files = std::map<QString, QByteArray>;

// Every file below folder (hidden ones too) with its bytes.
Files filesBelow(const QString& folder)
{
    Files files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files[QDir(folder).relativeFilePath(path)] = file.readAll();
    }
    return files;
}

// The set each catalog line names, by the file's path.
std::map<QString, QString> setsByPath(const QStringList& catalog)
{
    std::map<QString, QString> sets;
    for (const QString& line : catalog)
        sets[catalogField(line, CatalogLine::Path)] = catalogField(line, CatalogLine::Set);
    return sets;
}

// A copy of a folder tree with the same bytes.
bool copyTree(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(path));
        const bool copied = it.fileInfo().isDir() ? QDir().mkpath(target) : QFile::copy(path, target);
        if (!copied)
            return false;
    }
    return true;
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QString entryOf(const QString& set)
{
    return set.mid(4); // without "OMX_"
}

} // namespace

class ChainAttachTest : public BackupFixture
{
  protected:
    // The attach the page's button makes, on the destination config.ini names now, with the
    // password of the settings page.
    ChainAttach::Outcome attach(const QString& set, const QString& password = {})
    {
        ProgramDestination programDestination(*config, host, runState, runLog.get());
        ArchiveSettings settings;
        settings.passwordEnabled = !password.isEmpty();
        settings.archivePassword = password;
        ChainAttach chainAttach(host, runState, archiveState, programDestination.destination(), settings);
        chainAttach.setPausePercent(0);
        const ChainAttach::Outcome outcome =
            chainAttach.attach(entryOf(set), ChainAttach::DestinationKeys::fromConfig(*config));
        lastFailure = chainAttach.lastFailure();
        return outcome;
    }

    QString lastStatus() const
    {
        const QStringList texts = host.fullTexts(Page::Backup);
        return texts.isEmpty() ? QString() : texts.last();
    }

    QString lastFailure;
};

// The chain goes on from an older completed set: its configuration and source list come back,
// the destination in use now stays, the next START compares against that set's catalog, and the
// newer sets stay as they were.
TEST_F(ChainAttachTest, AttachToAnOlderSetContinuesTheChainFromIt)
{
    const QString keep = writeSource(QStringLiteral("keep.txt"), "kept all along", 0);
    const QString changing = writeSource(QStringLiteral("a.txt"), "first", 0);
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_FTP_HOST, QStringLiteral("old.example:21")));
    const QByteArray sourcesThen = program->read(QStringLiteral("sources.txt"));
    pressStart();
    const QString chosen = lastSet();
    writeSource(QStringLiteral("a.txt"), "second", 10);
    pressStart();
    writeSource(QStringLiteral("a.txt"), "third", 20);
    pressStart();
    ASSERT_EQ(sets().size(), 3);
    const QStringList newer = sets().mid(1);
    std::map<QString, Files> newerBefore;
    for (const QString& set : newer)
        newerBefore[set] = filesBelow(QDir(backupRoot()).filePath(set));

    // Today the sets lie in another folder, and other destination settings and another source
    // list are in force.
    QTemporaryDir moved;
    ASSERT_TRUE(moved.isValid());
    const QString todayRoot = moved.filePath(QStringLiteral("today"));
    ASSERT_TRUE(copyTree(destination.path(), todayRoot));
    setBackupRoot(todayRoot);
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_DIR, todayRoot));
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_FTP_HOST, QStringLiteral("today.example:2121")));
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_FTP_USER, QStringLiteral("today-user")));
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_FTP_PASS, sifruj(QStringLiteral("today pass"))));
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_FTP_DIR, QStringLiteral("/today")));
    ASSERT_TRUE(SourcesFile::write(program->file(SourcesFile::fileName),
                                   {sources.path(), QStringLiteral("/nowhere/today")}));
    // The run log of the last run lies in the program folder; an attach removes it.
    program->write(QStringLiteral("log.txt"), "the last run's log\n");
    QStringList entriesAfter = entriesOf(program->path());
    entriesAfter.removeAll(QStringLiteral("log.txt"));

    ASSERT_EQ(attach(chosen), ChainAttach::Outcome::Attached) << lastFailure.toStdString();
    EXPECT_EQ(lastStatus(), QString::fromUtf8("Navázáno na vybraný archiv.. restart"));
    EXPECT_EQ(program->read(QStringLiteral("sources.txt")), sourcesThen);
    EXPECT_FALSE(QFileInfo::exists(program->file(QStringLiteral("log.txt"))));
    // The chain keys are the chosen set's, the destination keys today's.
    EXPECT_EQ(configValue(ConfigKeys::LAST_ARCHIV_NAME), chosen);
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    EXPECT_EQ(configValue(ConfigKeys::BACKUP_DESTINATION), QStringLiteral("DIR"));
    EXPECT_EQ(configValue(ConfigKeys::BACKUP_DIR), todayRoot);
    EXPECT_EQ(configValue(ConfigKeys::BACKUP_FTP_HOST), QStringLiteral("today.example:2121"));
    EXPECT_EQ(configValue(ConfigKeys::BACKUP_FTP_USER), QStringLiteral("today-user"));
    EXPECT_EQ(desifruj(configValue(ConfigKeys::BACKUP_FTP_PASS)), QStringLiteral("today pass"));
    EXPECT_EQ(configValue(ConfigKeys::BACKUP_FTP_DIR), QStringLiteral("/today"));
    const QFileDevice::Permissions others =
        QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
    EXPECT_FALSE(QFileInfo(program->file(QStringLiteral("config.ini"))).permissions() & others)
        << "config.ini holds the scrambled passwords and must stay the owner's";
    // Nothing of the work is left in the program folder, and only log.txt went.
    EXPECT_EQ(entriesOf(program->path()), entriesAfter);

    // The restarted program: incremental against the chosen set. a.txt gets its first content
    // and time back, so only the chosen set's catalog finds it unchanged.
    writeSource(QStringLiteral("a.txt"), "first", 0);
    const QString added = writeSource(QStringLiteral("new.txt"), "new", 30);
    restartProgram();
    EXPECT_EQ(lastStatus(), QString::fromUtf8("Start přírůstkového zálohování je připraven"));
    pressStart();
    ASSERT_EQ(sets().size(), 4);
    const QString next = lastSet();
    EXPECT_GT(next, newer.last());
    const std::map<QString, QString> named = setsByPath(catalogOf(next));
    EXPECT_EQ(named.at(keep), chosen);
    EXPECT_EQ(named.at(changing), chosen);
    EXPECT_EQ(named.at(added), next);
    expectRestorable(next);
    for (const QString& set : newer)
        EXPECT_TRUE(filesBelow(QDir(backupRoot()).filePath(set)) == newerBefore[set]) << set.toStdString();
}

// An attach that cannot be completed says why and leaves every file of the program folder as
// it was, also when the first of the two files could already be extracted.
TEST_F(ChainAttachTest, FailedAttachChangesNothing)
{
    struct Case
    {
        const char* name;
        std::function<void(const QString& setFolder)> damage;
        const char* attachPassword;
        ChainAttach::Outcome outcome;
        const char* status;
    };
    const std::vector<Case> cases = {
        {"config.ini.7z missing",
         [](const QString& folder) { QFile::remove(QDir(folder).filePath(QStringLiteral("config.ini.7z"))); },
         "secret", ChainAttach::Outcome::MissingConfig, "Navázání na archiv selhalo. Chybí config.ini.7z"},
        {"sources.txt.7z missing",
         [](const QString& folder) {
             QFile::remove(QDir(folder).filePath(QStringLiteral("sources.txt.7z")));
         },
         "secret", ChainAttach::Outcome::MissingSources, "Navázání na archiv selhalo. Chybí sources.txt.7z"},
        {"wrong password", [](const QString&) {}, "wrong", ChainAttach::Outcome::WrongPassword,
         "Archiv je zaheslován. Nejprve nastavte správné heslo"},
        {"no password", [](const QString&) {}, "", ChainAttach::Outcome::WrongPassword,
         "Archiv je zaheslován. Nejprve nastavte správné heslo"},
        // config.ini comes out whole, sources.txt does not: the half attach must not happen.
        {"sources.txt.7z damaged",
         [](const QString& folder) {
             QFile file(QDir(folder).filePath(QStringLiteral("sources.txt.7z")));
             ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
             file.write("7z but not really an archive");
         },
         "secret", ChainAttach::Outcome::NotExtracted,
         "Navázání na archiv selhalo. Nelze rozbalit sources.txt.7z"},
    };

    // An encrypted chain: the password opens the catalog and the side archives.
    controls.checkBox9 = true;
    controls.password = QStringLiteral("secret");
    int step = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeSource(QStringLiteral("a.txt"), "content " + QByteArray::number(step), 10 * step);
        ++step;
        pressStart();
        const QString set = lastSet();
        ASSERT_EQ(configValue(ConfigKeys::LAST_ARCHIV_NAME), set);
        c.damage(QDir(backupRoot()).filePath(set));
        // Today's files differ from the set's, so a replaced file would show. (The destination keys
        // are no mark: an attach writes today's values of them anyway.)
        ASSERT_TRUE(config->writeString(QStringLiteral("SYSTEM"), QStringLiteral("TODAY_MARK"),
                                        QString::fromUtf8(c.name)));
        const QByteArray sourcesForRuns = program->read(SourcesFile::fileName);
        ASSERT_TRUE(
            SourcesFile::write(program->file(SourcesFile::fileName),
                               {sources.path(), QStringLiteral("/today/") + QString::fromUtf8(c.name)}));
        program->write(QStringLiteral("log.txt"), "the last run's log\n");
        const Files before = filesBelow(program->path());
        const QStringList entriesBefore = entriesOf(program->path());
        EXPECT_FALSE(before.empty());

        EXPECT_EQ(attach(set, QString::fromUtf8(c.attachPassword)), c.outcome) << lastFailure.toStdString();
        EXPECT_EQ(lastStatus(), QString::fromUtf8(c.status));
        EXPECT_TRUE(filesBelow(program->path()) == before) << "the program folder changed";
        EXPECT_EQ(entriesOf(program->path()), entriesBefore) << "a work folder or file was left behind";
        // The next case's run backs up the source folder alone again.
        program->write(SourcesFile::fileName, sourcesForRuns);
    }
}

} // namespace ombrix::test
