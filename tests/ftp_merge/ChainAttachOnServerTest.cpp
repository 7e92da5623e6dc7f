#include "backup/ChainAttach.h"
#include "core/catalog/CatalogLine.h"
#include "core/config/ConfigKeys.h"
#include "core/config/Scrambling.h"
#include "core/sources/SourcesFile.h"
#include "ServerChainFixture.h"

#include <map>
#include <QFileInfo>

namespace ombrix::test {

namespace {

std::map<QString, QString> setsByPath(const QStringList& catalog)
{
    std::map<QString, QString> named;
    for (const QString& line : catalog)
        named[catalogField(line, CatalogLine::Path)] = catalogField(line, CatalogLine::Set);
    return named;
}

} // namespace

// On an FTP server: attaching to the older of two completed sets brings its configuration and
// source list back through the server, keeps the FTP destination in use now, and the next
// backup compares against the chosen set's catalog, not the newest one's.
TEST_F(ServerChainFixture, AttachToAnOlderSetOnTheServerContinuesFromIt)
{
    const QString keep = writeSource(QStringLiteral("keep.txt"), "kept");
    const QString changing = writeSource(QStringLiteral("a.txt"), "first");
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_DIR, QStringLiteral("/folder/of/then")));
    const QByteArray sourcesThen = program->read(QStringLiteral("sources.txt"));
    addSet();
    writeSource(QStringLiteral("a.txt"), "second");
    addSet();
    ASSERT_EQ(sets.size(), 2);
    const QString chosen = sets[0];
    const QStringList newerCatalog = storedCatalog(sets[1]);
    const qint64 newerSize = serverSetSize(sets[1]);
    ASSERT_FALSE(newerCatalog.isEmpty());

    // Other settings are in force today; the account stays the server's.
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_DIR, QStringLiteral("/folder/of/today")));
    ASSERT_TRUE(SourcesFile::write(program->file(SourcesFile::fileName),
                                   {sourceDir.path(), QStringLiteral("/nowhere/today")}));

    ChainAttach::Outcome outcome = ChainAttach::Outcome::NotWritten;
    QString failure;
    {
        ChainAttach attach(host, runState, archiveState, *destination, storedPassword());
        attach.setPausePercent(0);
        outcome = attach.attach(chosen.mid(4), ChainAttach::DestinationKeys::fromConfig(*config));
        failure = attach.lastFailure();
    }
    ASSERT_EQ(outcome, ChainAttach::Outcome::Attached) << failure.toStdString();
    EXPECT_EQ(program->read(QStringLiteral("sources.txt")), sourcesThen);
    EXPECT_FALSE(QFileInfo::exists(program->file(QStringLiteral("log.txt"))));
    EXPECT_EQ(config->readString(ConfigKeys::LAST_ARCHIV_NAME, QString()), chosen);
    EXPECT_EQ(config->readInt(ConfigKeys::LAST_BACKUP_DONE, 0), 1);
    EXPECT_EQ(config->readString(ConfigKeys::BACKUP_DESTINATION, QString()), QStringLiteral("FTP"));
    EXPECT_EQ(config->readString(ConfigKeys::BACKUP_DIR, QString()), QStringLiteral("/folder/of/today"));
    EXPECT_EQ(config->readString(ConfigKeys::BACKUP_FTP_HOST, QString()), server->hostField());
    EXPECT_EQ(config->readString(ConfigKeys::BACKUP_FTP_USER, QString()), server->user());
    EXPECT_EQ(desifruj(config->readString(ConfigKeys::BACKUP_FTP_PASS, QString())), server->password());
    EXPECT_EQ(config->readString(ConfigKeys::BACKUP_FTP_DIR, QString()), QStringLiteral("/backup"));

    // The next program start and START: a.txt differs from the chosen set's version (not from
    // the newest set's), so it goes into the new set; keep.txt stays in the chosen one.
    writeSource(QStringLiteral("new.txt"), "new");
    reopenConnection();
    const QString next = makeSet();
    ASSERT_FALSE(next.isEmpty());
    EXPECT_GT(next, sets[1]);
    const std::map<QString, QString> named = setsByPath(storedCatalog(next));
    ASSERT_EQ(named.size(), 3u);
    EXPECT_EQ(named.at(keep), chosen);
    EXPECT_EQ(named.at(changing), next);
    EXPECT_TRUE(restoreStored(next) == sourceTree());
    // The newer set is as it was.
    EXPECT_EQ(serverSets(), (QStringList{sets[0], sets[1], next}));
    EXPECT_EQ(storedCatalog(sets[1]), newerCatalog);
    EXPECT_EQ(serverSetSize(sets[1]), newerSize);
}

} // namespace ombrix::test
