#include "support/RestoreFixture.h"

#include "archive/Archiver.h"
#include "archive/ArchiverRunner.h"
#include "core/catalog/CatalogFile.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/CatalogTime.h"
#include "core/catalog/SetLayout.h"
#include "core/config/DefaultConfig.h"
#include "core/sources/SourcesFile.h"
#include "core/text/TextFile.h"

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
    EXPECT_TRUE(archiver.archivovat(QStringLiteral("config.ini"), QStringLiteral("0")));
    program->write(QStringLiteral("log.txt"), "Archiv: " + set.toUtf8() + "\r\n");
    EXPECT_TRUE(archiver.archivovat(QStringLiteral("log.txt"), QStringLiteral("0")));
    QFile::remove(program->file(QStringLiteral("archivlist.csv")));
    return set;
}

void RestoreFixture::chooseSet(const QString& set)
{
    ASSERT_TRUE(CatalogFile::write(program->file(QStringLiteral("recoverylist.csv")), catalogOf(set)));
    controls.set = set;
}

QStringList RestoreFixture::storedCatalog(const QString& set) const
{
    QProcess process;
    process.start(QStringLiteral("7za"),
                  {QStringLiteral("e"), QStringLiteral("-so"), QStringLiteral("-y"), QStringLiteral("-p"),
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
