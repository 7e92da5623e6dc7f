#include "BackupWindowFixture.h"

#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "core/sources/SourcesFile.h"
#include "core/text/TextFile.h"
#include "core/util/Clock.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RunController.h"
#include "ui/mainwindow/StatusLine.h"
#include "ui/mainwindow/TrafficLight.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimeZone>

namespace ombrix::test {

void BackupWindowFixture::SetUp()
{
    ASSERT_TRUE(destination.isValid());
    ASSERT_TRUE(sources.isValid());
    m_previousDir = QDir::currentPath();
    home = std::make_unique<TempProgramFolder>();
    Clock::setFake(QDateTime(QDate(2024, 5, 6), QTime(10, 0, 0), QTimeZone::utc()), 0, false);
    home->write(QStringLiteral("config.ini"), defaultConfigBytes());
    IniStore config(home->file(QStringLiteral("config.ini")));
    config.writeString(ConfigKeys::BACKUP_DIR, destination.path());
    // The texts stay the Czech originals whatever the machine's language.
    config.writeString(ConfigKeys::LANGUAGE, QStringLiteral("CZ"));
    ASSERT_TRUE(SourcesFile::write(home->file(SourcesFile::fileName), {sources.path()}));
}

void BackupWindowFixture::TearDown()
{
    m_program.reset();
    Clock::clearFake();
    QDir::setCurrent(m_previousDir);
    home.reset();
}

void BackupWindowFixture::startProgram(app::RunMode mode)
{
    m_program.reset();
    m_program = std::make_unique<ui::ProgramAssembly>(mode);
    ui::RunController* controller = m_program->shell().controller();
    controller->setTerminator([this](int code) { endedWith = code; });
    controller->setExitDelay(0);
    ASSERT_TRUE(m_program->start());
}

QString BackupWindowFixture::writeSource(const QString& relPath, const QByteArray& bytes)
{
    const QString path = sources.filePath(relPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    // Stamped with the test's clock, which moves a minute per START: a rewrite between two runs
    // always gets a later catalog time, however fast the test runs (catalog times have a
    // two-second resolution).
    file.flush();
    file.setFileTime(Clock::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    return path;
}

void BackupWindowFixture::clickStart()
{
    Clock::advanceFake(60);
    m_program->shell().window()->showPage(ui::MainWindow::BackupIndex);
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
}

QPushButton* BackupWindowFixture::button(const char* name) const
{
    return m_program->shell().window()->findChild<QPushButton*>(QLatin1String(name));
}

QString BackupWindowFixture::status() const
{
    return m_program->shell().window()->backupPage()->statusLine()->text().trimmed();
}

int BackupWindowFixture::light() const
{
    return m_program->shell().window()->backupPage()->trafficLight()->state();
}

QStringList BackupWindowFixture::sets(const QString& destinationPath) const
{
    const QString folder = destinationPath.isEmpty() ? destination.path() : destinationPath;
    return QDir(folder).entryList({QStringLiteral("OMX_*")}, QDir::Dirs, QDir::Name);
}

QString BackupWindowFixture::archiveOf(const QString& set, const QString& sourcePath) const
{
    QString relative = sourcePath;
    relative.remove(QLatin1Char(':'));
    return QDir::cleanPath(destination.filePath(set) + QLatin1Char('/') + relative + QStringLiteral(".7z"));
}

QString BackupWindowFixture::configValue(QAnyStringView section, QAnyStringView key) const
{
    return IniStore(home->file(QStringLiteral("config.ini")))
        .readString(section, key, QStringLiteral("<none>"));
}

QStringList BackupWindowFixture::catalogOf(const QString& set) const
{
    QProcess process;
    process.start(QStringLiteral("7za"),
                  {QStringLiteral("e"), QStringLiteral("-so"), QStringLiteral("-y"), QStringLiteral("-p"),
                   SetLayout::sideArchivePath(destination.path(), set, SetLayout::catalogFile)});
    process.waitForFinished(60000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return TextFile::decodeLines(process.readAllStandardOutput());
}

} // namespace ombrix::test
