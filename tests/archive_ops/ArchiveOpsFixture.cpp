#include "ArchiveOpsFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace ombrix::test {

ArchiveOpsFixture::ArchiveOpsFixture()
{
    m_previousBinDir = qgetenv("OMBRIX_BIN_DIR");
    qputenv("OMBRIX_BIN_DIR", binDir().toLocal8Bit());
    m_settings.targetArchiveName = setName;
    m_destination = std::make_unique<FolderDestination>(m_destDir.path());
}

ArchiveOpsFixture::~ArchiveOpsFixture()
{
    qputenv("OMBRIX_BIN_DIR", m_previousBinDir);
}

QString ArchiveOpsFixture::writeSource(const QString& relative, const QByteArray& bytes) const
{
    const QString path = m_sourceDir.path() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
    return path;
}

QString ArchiveOpsFixture::archiveOf(const QString& sourcePath, bool plainCopy) const
{
    return setFolder() + sourcePath + (plainCopy ? QString() : QStringLiteral(".7z"));
}

bool ArchiveOpsFixture::archiveSideFile(const QString& name, const QByteArray& bytes)
{
    m_program.write(name, bytes);
    return archiver().archivovat(name, QStringLiteral("0"));
}

void ArchiveOpsFixture::writeFinishedSet(const QByteArray& runLog)
{
    ASSERT_TRUE(
        archiveSideFile(QStringLiteral("archivlist.csv"), QByteArray("\xEF\xBB\xBF\"/a\";\"x\"\r\n")));
    ASSERT_TRUE(archiveSideFile(QStringLiteral("log.txt"), runLog));
    ASSERT_TRUE(archiveSideFile(QStringLiteral("sources.txt"), QByteArray("/home\r\n")));
    ASSERT_TRUE(archiveSideFile(QStringLiteral("config.ini"), QByteArray("[SYSTEM]\r\n")));
}

QStringList ArchiveOpsFixture::sevenZip(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral("7za"), arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAll()).split(QLatin1Char('\n'));
}

QString ArchiveOpsFixture::itemProperty(const QString& archive, const QString& property,
                                        const QString& password)
{
    QStringList arguments{QStringLiteral("l"), QStringLiteral("-slt")};
    if (!password.isEmpty())
        arguments << QStringLiteral("-p") + password;
    arguments << QStringLiteral("--") << archive;
    const QStringList lines = sevenZip(arguments);
    // Item blocks follow the "----------" line; the archive's own block comes before it.
    const qsizetype items = lines.indexOf(QStringLiteral("----------"));
    const QString key = property + QStringLiteral(" = ");
    for (qsizetype i = items + 1; items >= 0 && i < lines.size(); ++i) {
        if (lines.at(i).startsWith(key))
            return lines.at(i).mid(key.size()).trimmed();
    }
    return {};
}

QByteArray ArchiveOpsFixture::readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList ArchiveOpsFixture::temporaryFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden);
}

} // namespace ombrix::test
