#include "RestoreFixture.h"

#include "archive/Archiver.h"
#include "archive/ArchiverRunner.h"
#include "core/catalog/CatalogFile.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/CatalogTime.h"
#include "core/config/DefaultConfig.h"
#include "core/sources/SourcesFile.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTimeZone>

namespace ombrix::test {

void RestoreFixture::SetUp()
{
    ASSERT_TRUE(destinationDir.isValid());
    ASSERT_TRUE(sourceDir.isValid());
    ASSERT_TRUE(restoreDir.isValid());
    program = std::make_unique<TempProgramFolder>();
    program->write(QStringLiteral("config.ini"), defaultConfigBytes());
    config = std::make_unique<IniStore>(program->file(QStringLiteral("config.ini")));
    runLog = std::make_unique<RunLog>(program->file(QStringLiteral("log.txt")));
    destination = std::make_unique<FolderDestination>(destinationDir.path());
    ASSERT_TRUE(SourcesFile::write(program->file(SourcesFile::fileName), {sourceDir.path()}));
    makeRun();
}

void RestoreFixture::TearDown()
{
    run.reset();
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
    const QString set = QStringLiteral("OMX_2024-05-06_10-00-%1").arg(m_setCount++, 2, 10, QLatin1Char('0'));
    ArchiveSettings settings;
    settings.targetArchiveName = set;
    settings.passwordEnabled = !controls.password.isEmpty();
    settings.archivePassword = controls.password;
    ArchiverRunner runner(runState, host);
    Archiver archiver(*destination, runner, host, nullptr, settings);
    const QString time =
        CatalogTime::fromFileTime(QDateTime(QDate(2024, 1, 2), QTime(8, 0), Qt::UTC), 0, false);

    QStringList catalog;
    std::map<QString, std::pair<QByteArray, QString>> archived;
    for (const auto& [rel, bytes] : sourceTree()) {
        const QString path = sourceDir.filePath(rel);
        auto previous = m_archived.find(path);
        QString holder = set;
        if (previous != m_archived.end() && previous->second.first == bytes)
            holder = previous->second.second;
        else
            EXPECT_TRUE(archiver.archivovat(path, QStringLiteral("0"))) << path.toStdString();
        archived[path] = {bytes, holder};
        catalog << CatalogLine::make(path, time, holder, false);
    }
    m_archived = archived;
    m_catalogs[set] = catalog;
    EXPECT_TRUE(CatalogFile::write(program->file(QStringLiteral("archivlist.csv")), catalog));
    EXPECT_TRUE(archiver.archivovat(QStringLiteral("archivlist.csv"), QStringLiteral("0")));
    EXPECT_TRUE(archiver.archivovat(QStringLiteral("sources.txt"), QStringLiteral("0")));
    QFile::remove(program->file(QStringLiteral("archivlist.csv")));
    return set;
}

void RestoreFixture::chooseSet(const QString& set)
{
    ASSERT_TRUE(CatalogFile::write(program->file(QStringLiteral("recoverylist.csv")), catalogOf(set)));
    controls.set = set;
}

} // namespace ombrix::test
