#include "support/RestoreFixture.h"

#include "archive/TemporaryFiles.h"
#include "backup/BackupRun.h"
#include "backup/BackupSession.h"
#include "backup/Readiness.h"
#include "core/catalog/CatalogFile.h"
#include "core/catalog/SetLayout.h"
#include "core/config/DefaultConfig.h"
#include "core/config/Scrambling.h"
#include "core/sources/SourcesFile.h"
#include "core/text/TextFile.h"
#include "core/util/Clock.h"
#include "support/TestBackupControls.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>

namespace ombrix::test {

void RestoreFixture::SetUp()
{
    ASSERT_TRUE(destinationDir.isValid());
    ASSERT_TRUE(sourceDir.isValid());
    ASSERT_TRUE(restoreDir.isValid());
    program = std::make_unique<TempProgramFolder>();
    Clock::setFake(QDateTime(QDate(2024, 5, 6), QTime(10, 0, 0), Qt::UTC), 0, false);
    program->write(QStringLiteral("config.ini"), defaultConfigBytes());
    config = std::make_unique<IniStore>(program->file(QStringLiteral("config.ini")));
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_DIR, destinationDir.path()));
    runLog = std::make_unique<RunLog>(program->file(QStringLiteral("log.txt")));
    destination = std::make_unique<FolderDestination>(destinationDir.path());
    ASSERT_TRUE(SourcesFile::write(program->file(SourcesFile::fileName), {sourceDir.path()}));
    makeRun();
}

void RestoreFixture::TearDown()
{
    run.reset();
    Clock::clearFake();
}

void RestoreFixture::makeRun()
{
    run =
        std::make_unique<RestoreRun>(host, controls, *config, *runLog, runState, archiveState, *destination);
    run->setPausePercent(0);
}

QString RestoreFixture::writeSource(const QString& relPath, const QByteArray& bytes)
{
    const QString path = sourceDir.filePath(relPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    EXPECT_TRUE(file.open(QIODevice::ReadWrite));
    // Ten seconds of file time per set made so far: a file written for the next set never
    // shares the catalog's two-second time slot with its previous version.
    EXPECT_TRUE(file.setFileTime(QDateTime(QDate(2024, 1, 2), QTime(8, 0), Qt::UTC).addSecs(10 * m_setCount),
                                 QFileDevice::FileModificationTime));
    return path;
}

void RestoreFixture::removeSource(const QString& relPath)
{
    EXPECT_TRUE(QFile::remove(sourceDir.filePath(relPath)));
}

RestoreFixture::Tree RestoreFixture::treeOf(const QString& folder)
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

RestoreFixture::Tree RestoreFixture::sourceTree() const
{
    return treeOf(sourceDir.path());
}

QString RestoreFixture::makeSet()
{
    const QString before = config->readString(ConfigKeys::LAST_ARCHIV_NAME, QString());
    if (!controls.password.isEmpty()) {
        EXPECT_TRUE(config->writeString(ConfigKeys::PASSWORD, sifruj(controls.password)));
    }
    Clock::advanceFake(60);
    ++m_setCount;
    {
        // A program start with the window's controls as a scheduled run leaves them.
        RecordingHost backupHost;
        TestBackupControls backupControls;
        backupControls.scheduled = true;
        RunState backupState;
        BackupSession session;
        RunLog backupLog(program->file(QStringLiteral("log.txt")));
        backupLog.load();
        deleteTemporaryFiles();
        Readiness readiness(backupHost, backupControls, backupControls, *config, backupLog, backupState,
                            archiveState, session);
        readiness.setLoadLanguages(false);
        BackupRun backup(backupHost, backupControls, *config, backupLog, backupState, archiveState, session);
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

void RestoreFixture::chooseSet(const QString& set)
{
    const QStringList catalog = catalogOf(set);
    ASSERT_FALSE(catalog.isEmpty()) << set.toStdString();
    ASSERT_TRUE(CatalogFile::write(program->file(QStringLiteral("recoverylist.csv")), catalog));
    controls.set = set;
}

QStringList RestoreFixture::storedCatalog(const QString& set) const
{
    QProcess process;
    process.start(QStringLiteral("7za"),
                  {QStringLiteral("e"), QStringLiteral("-so"), QStringLiteral("-y"),
                   QStringLiteral("-p") + controls.password,
                   SetLayout::sideArchivePath(destinationDir.path(), set, SetLayout::catalogFile)});
    process.waitForFinished(60000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return TextFile::decodeLines(process.readAllStandardOutput());
}

RestoreFixture::Tree RestoreFixture::restoreStored(const QString& set)
{
    QTemporaryDir target;
    const QStringList catalog = storedCatalog(set);
    EXPECT_FALSE(catalog.isEmpty()) << set.toStdString();
    EXPECT_TRUE(CatalogFile::write(program->file(QStringLiteral("recoverylist.csv")), catalog));
    controls.set = set;
    controls.folder = target.path();
    controls.toOriginal = false;
    run->runRestore();
    return treeOf(QDir::cleanPath(target.path() + QLatin1Char('/') + sourceDir.path()));
}

} // namespace ombrix::test
