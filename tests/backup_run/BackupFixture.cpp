#include "BackupFixture.h"

#include "archive/TemporaryFiles.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/config/DefaultConfig.h"
#include "core/log/Status.h"
#include "core/sources/SourcesFile.h"
#include "core/text/TextFile.h"
#include "core/util/Clock.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimeZone>

namespace ombrix::test {

void BackupFixture::SetUp()
{
    ASSERT_TRUE(destination.isValid());
    ASSERT_TRUE(sources.isValid());
    program = std::make_unique<TempProgramFolder>();
    Clock::setFake(QDateTime(QDate(2024, 5, 6), QTime(10, 0, 0), Qt::UTC), 0, false);
    session = BackupSession{};
    baseTime = QDateTime(QDate(2024, 1, 2), QTime(8, 0, 0), Qt::UTC);

    program->write(QStringLiteral("config.ini"), defaultConfigBytes());
    IniStore(program->file(QStringLiteral("config.ini")))
        .writeString(ConfigKeys::BACKUP_DIR, destination.path());
    ASSERT_TRUE(SourcesFile::write(program->file(SourcesFile::fileName), {sources.path()}));
    restartProgram();
}

void BackupFixture::TearDown()
{
    run.reset();
    readiness.reset();
    Clock::clearFake();
}

void BackupFixture::restartProgram()
{
    run.reset();
    readiness.reset();
    host.setPumpHook({});
    runState = RunState{};
    archiveState = ArchiveState{};
    const bool scheduled = controls.scheduled;
    controls = TestBackupControls{};
    controls.scheduled = scheduled;
    config = std::make_unique<IniStore>(program->file(QStringLiteral("config.ini")));
    runLog = std::make_unique<RunLog>(program->file(QStringLiteral("log.txt")));
    runLog->load();
    deleteTemporaryFiles();
    readiness = std::make_unique<Readiness>(host, controls, controls, *config, *runLog, runState,
                                            archiveState, session);
    readiness->setLoadLanguages(false);
    run = std::make_unique<BackupRun>(host, controls, *config, *runLog, runState, archiveState, session);
    run->setReadinessCheck([this] { readiness->inicializace(); });
    run->setPausePercent(0);
    readiness->inicializace();
}

void BackupFixture::pressStart()
{
    Clock::advanceFake(60);
    run->BitBtn1Click();
}

QString BackupFixture::writeSource(const QString& relPath, const QByteArray& bytes, int timeOffset)
{
    const QString path = sources.filePath(relPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    EXPECT_TRUE(file.open(QIODevice::ReadWrite));
    EXPECT_TRUE(file.setFileTime(baseTime.addSecs(timeOffset), QFileDevice::FileModificationTime));
    file.close();
    return path;
}

QByteArray BackupFixture::randomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(4711);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(generator.generate() & 0xff);
    return bytes;
}

QStringList BackupFixture::sets() const
{
    return QDir(backupRoot()).entryList({QStringLiteral("OMX_*")}, QDir::Dirs, QDir::Name);
}

QByteArray BackupFixture::extract(const QString& archive, const QString& password, bool* ok)
{
    QProcess process;
    QStringList arguments{QStringLiteral("e"), QStringLiteral("-so"), QStringLiteral("-y")};
    arguments << QStringLiteral("-p") + password; // an empty -p fails on encrypted archives
    arguments << archive;
    process.start(QStringLiteral("7za"), arguments);
    process.waitForFinished(60000);
    *ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return process.readAllStandardOutput();
}

QStringList BackupFixture::catalogOf(const QString& set, const QString& password) const
{
    bool ok = false;
    const QByteArray bytes =
        extract(SetLayout::sideArchivePath(backupRoot(), set, SetLayout::catalogFile), password, &ok);
    if (!ok)
        return {};
    return TextFile::decodeLines(bytes);
}

QStringList BackupFixture::filesOfSet(const QString& set) const
{
    QStringList files;
    const QString root = QDir(backupRoot()).filePath(set);
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(root).relativeFilePath(it.next()));
    files.sort();
    return files;
}

QStringList BackupFixture::sourceFiles() const
{
    QStringList files;
    QDirIterator it(sources.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}

void BackupFixture::expectRestorable(const QString& set, const QString& password) const
{
    const QStringList catalog = catalogOf(set, password);
    QStringList listed;
    for (const QString& line : catalog) {
        EXPECT_TRUE(CatalogLine::isWellFormed(line)) << line.toStdString();
        const QString path = catalogField(line, CatalogLine::Path);
        listed.append(path);
        bool ok = false;
        const QByteArray content = extract(SetLayout::archivePathOfLine(backupRoot(), line), password, &ok);
        EXPECT_TRUE(ok) << "cannot restore " << path.toStdString() << " from " << line.toStdString();
        QFile source(path);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        EXPECT_TRUE(content == source.readAll()) << "content differs: " << path.toStdString();
    }
    listed.sort();
    EXPECT_EQ(listed, sourceFiles());
}

QStringList BackupFixture::archivedHints() const
{
    QStringList files;
    for (const QString& hint : host.hints(Page::Backup)) {
        if (!hint.isEmpty())
            files.append(hint);
    }
    return files;
}

bool BackupFixture::statusShown(const QString& text) const
{
    return host.statusTexts(Page::Backup).contains(statusText(Page::Backup, text));
}

QStringList BackupFixture::leftoverTmpFiles() const
{
    return QDir(program->path()).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden);
}

} // namespace ombrix::test
