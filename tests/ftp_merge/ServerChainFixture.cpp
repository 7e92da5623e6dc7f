#include "ServerChainFixture.h"

#include "archive/ArchiverRunner.h"
#include "archive/ArchiveSetChecks.h"
#include "archive/Extractor.h"
#include "archive/TemporaryFiles.h"
#include "backup/BackupRun.h"
#include "backup/BackupSession.h"
#include "backup/Readiness.h"
#include "core/catalog/CatalogFile.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/Scrambling.h"
#include "core/remote/RemoteName.h"
#include "core/sources/SourcesFile.h"
#include "core/util/Clock.h"
#include "support/TestBackupControls.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {

namespace {

const QString remoteFolder = QStringLiteral("/backup");

} // namespace

ArchiveSettings ServerChainFixture::storedPassword() const
{
    ArchiveSettings settings;
    settings.archivePassword = desifruj(config->readString(ConfigKeys::PASSWORD, QString()));
    settings.passwordEnabled = !settings.archivePassword.isEmpty();
    return settings;
}

void ServerChainFixture::SetUp()
{
    ASSERT_TRUE(serverRoot.isValid());
    ASSERT_TRUE(sourceDir.isValid());
    program = std::make_unique<TempProgramFolder>();
    Clock::setFake(QDateTime(QDate(2024, 5, 6), QTime(10, 0, 0), Qt::UTC), 0, false);
    program->write(QStringLiteral("config.ini"), defaultConfigBytes());
    config = std::make_unique<IniStore>(program->file(QStringLiteral("config.ini")));
    runLog = std::make_unique<RunLog>(program->file(QStringLiteral("log.txt")));

    if (m_kind == DestinationKind::Ftp) {
        ASSERT_TRUE(QDir(serverRoot.path()).mkpath(remoteFolder.mid(1)));
    }
    server = std::make_unique<FtpServer>(serverRoot.path());
    ASSERT_TRUE(server->start()) << server->errorText().toStdString();

    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_DESTINATION, destinationKindText(m_kind)));
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_FTP_HOST, server->hostField()));
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_FTP_USER, server->user()));
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_FTP_PASS, sifruj(server->password())));
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_FTP_DIR,
                                    m_kind == DestinationKind::Ftp ? remoteFolder : QString()));
    ASSERT_TRUE(SourcesFile::write(program->file(SourcesFile::fileName), {sourceDir.path()}));
    makeDestination();
    ASSERT_TRUE(connection->ftpOnline()) << "the test server did not answer";
}

void ServerChainFixture::TearDown()
{
    destination.reset();
    connection.reset();
    // Prints the server's log when the test failed.
    server.reset();
    Clock::clearFake();
}

void ServerChainFixture::makeDestination()
{
    FtpSettings settings;
    settings.kind = m_kind;
    settings.hostField = server->hostField();
    settings.user = server->user();
    settings.password = server->password();
    connection = std::make_unique<FtpConnection>(settings);
    connection->open();
    destination =
        std::make_unique<FtpDestination>(m_kind, m_kind == DestinationKind::Ftp ? remoteFolder : QString(),
                                         *connection, host, runState, runLog.get());
    destination->uploader().setProgram(QDir(binDir()).filePath(QStringLiteral("ombrixftp")));
}

void ServerChainFixture::reopenConnection()
{
    connection->open();
    destination->clearCaches();
}

QString ServerChainFixture::writeSource(const QString& relPath, const QByteArray& bytes)
{
    const QString path = sourceDir.filePath(relPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    EXPECT_TRUE(file.open(QIODevice::ReadWrite));
    // Ten seconds of file time per set made so far: a file written for the next set never shares
    // the catalog's two-second time slot with its previous version.
    EXPECT_TRUE(file.setFileTime(QDateTime(QDate(2024, 1, 2), QTime(8, 0), Qt::UTC).addSecs(10 * m_setCount),
                                 QFileDevice::FileModificationTime));
    return path;
}

void ServerChainFixture::removeSource(const QString& relPath)
{
    EXPECT_TRUE(QFile::remove(sourceDir.filePath(relPath)));
}

ServerChainFixture::Tree ServerChainFixture::treeOf(const QString& folder)
{
    Tree tree;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            tree[QDir(folder).relativeFilePath(path)] = file.readAll();
    }
    return tree;
}

ServerChainFixture::Tree ServerChainFixture::sourceTree() const
{
    return treeOf(sourceDir.path());
}

QString ServerChainFixture::makeSet()
{
    const QString before = config->readString(ConfigKeys::LAST_ARCHIV_NAME, QString());
    Clock::advanceFake(60);
    ++m_setCount;
    {
        // A program start with the window's controls as a scheduled run leaves them; the
        // readiness check and the run work on the program's FTP destination.
        RecordingHost backupHost;
        TestBackupControls backupControls;
        backupControls.scheduled = true;
        RunState backupState;
        BackupSession session;
        RunLog backupLog(program->file(QStringLiteral("log.txt")));
        backupLog.load();
        deleteTemporaryFiles();
        const auto onServer = [this]() -> Destination& { return *destination; };
        Readiness readiness(backupHost, backupControls, backupControls, *config, backupLog, backupState,
                            archiveState, session);
        readiness.setLoadLanguages(false);
        readiness.setDestinationProvider(onServer);
        BackupRun backup(backupHost, backupControls, *config, backupLog, backupState, archiveState, session);
        backup.setDestinationProvider(onServer);
        backup.setReadinessCheck([&readiness] { readiness.inicializace(); });
        backup.setPausePercent(0);
        readiness.inicializace();
        backup.BitBtn1Click();
    }
    const QString set = config->readString(ConfigKeys::LAST_ARCHIV_NAME, QString());
    EXPECT_EQ(config->readInt(ConfigKeys::LAST_BACKUP_DONE, 0), 1) << "the backup of " << set.toStdString();
    EXPECT_NE(set, before) << "the backup made no new set";
    return set == before ? QString() : set;
}

void ServerChainFixture::addSet()
{
    sets << makeSet();
    states.push_back(sourceTree());
}

QString ServerChainFixture::destinationRootOnDisk() const
{
    return m_kind == DestinationKind::Ftp ? serverRoot.path() + remoteFolder : serverRoot.path();
}

QStringList ServerChainFixture::serverSets() const
{
    return QDir(destinationRootOnDisk()).entryList({QStringLiteral("OMX_*")}, QDir::Dirs, QDir::Name);
}

QString ServerChainFixture::serverPathOf(const QString& relPath) const
{
    return destinationRootOnDisk() + fnEncode(lomitka(relPath));
}

QStringList ServerChainFixture::serverFilesEndingWith(const QString& suffix) const
{
    QStringList found;
    QDirIterator it(destinationRootOnDisk(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(suffix))
            found << path;
    }
    return found;
}

qint64 ServerChainFixture::serverSetSize(const QString& set) const
{
    qint64 size = 0;
    QDirIterator it(destinationRootOnDisk() + QLatin1Char('/') + set, QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        size += it.fileInfo().size();
    }
    return size;
}

QStringList ServerChainFixture::storedCatalog(const QString& set)
{
    QTemporaryDir folder;
    ArchiverRunner runner(runState, host);
    ArchiveSetChecks checks(*destination, runner, host, archiveState, storedPassword());
    // Decides whether the extraction passes a password.
    checks.lze_odemknout(set);
    Extractor extractor(*destination, runner, host, nullptr, archiveState, storedPassword());
    if (!extractor.dearchivovat(set, SetLayout::catalogFile.toString(), folder.path(), QStringLiteral("0")))
        return {};
    return CatalogFile::read(folder.filePath(SetLayout::catalogFile.toString())).lines;
}

ServerChainFixture::Tree ServerChainFixture::restoreStored(const QString& set)
{
    QTemporaryDir target;
    const QStringList catalog = storedCatalog(set);
    EXPECT_FALSE(catalog.isEmpty()) << "no catalog read from " << set.toStdString();
    ArchiverRunner runner(runState, host);
    Extractor extractor(*destination, runner, host, nullptr, archiveState, storedPassword());
    for (const QString& line : catalog) {
        const QString path = catalogField(line, CatalogLine::Path);
        const QString folder = target.path() + QFileInfo(path).absolutePath();
        EXPECT_TRUE(extractor.dearchivovat(catalogField(line, CatalogLine::Set), path, folder,
                                           catalogField(line, CatalogLine::PlainCopy)))
            << "not restorable from " << set.toStdString() << ": " << line.toStdString();
    }
    return treeOf(QDir::cleanPath(target.path() + QLatin1Char('/') + sourceDir.path()));
}

QStringList ServerChainFixture::setsNamedIn(const QString& set)
{
    QStringList named;
    for (const QString& line : storedCatalog(set)) {
        const QString holder = catalogField(line, CatalogLine::Set);
        if (!named.contains(holder))
            named << holder;
    }
    named.sort();
    return named;
}

} // namespace ombrix::test
