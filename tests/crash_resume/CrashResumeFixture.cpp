#include "CrashResumeFixture.h"

#include "core/config/ConfigKeys.h"
#include "support/CrashChecks.h"
#include "support/KillTestChain.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {

void CrashResumeFixture::SetUp()
{
    RestoreFixture::SetUp();
    ASSERT_TRUE(wrapper.isValid());
}

void CrashResumeFixture::makeChain()
{
    makeKillTestChain(
        {[this](const QString& relPath, const QByteArray& bytes) { writeSource(relPath, bytes); },
         [this](const QString& relPath) { removeSource(relPath); },
         [this] {
             sets << makeSet();
             states.push_back(sourceTree());
         }});
}

bool CrashResumeFixture::killAtEachAndFinish(WorkerProcess& worker, const std::vector<KillPoint>& points,
                                             const std::function<bool()>& pending)
{
    return test::killAtEachAndFinish(worker, wrapper, points, watchedFolders(), pending);
}

QStringList CrashResumeFixture::watchedFolders() const
{
    return {program->path(), destinationDir.path(), restoreDir.path()};
}

void CrashResumeFixture::expectNothingLeft(const QStringList& extraFolders) const
{
    const QStringList folders = watchedFolders() + extraFolders;
    const QStringList tmpFiles =
        CrashChecks::tmpFiles(QStringList{destinationDir.path(), restoreDir.path()} + extraFolders) +
        CrashChecks::programTmpFiles(program->path());
    EXPECT_TRUE(tmpFiles.isEmpty()) << tmpFiles.join(QLatin1Char('\n')).toStdString();
    // Scratch archives of killed catalog stores are cleared by the continued run.
    const QStringList scratch = CrashChecks::scratchFiles(destinationDir.path());
    EXPECT_TRUE(scratch.isEmpty()) << scratch.join(QLatin1Char('\n')).toStdString();
    const QStringList helpers = CrashChecks::liveHelpers(folders, 0);
    EXPECT_TRUE(helpers.isEmpty()) << helpers.join(QLatin1Char('\n')).toStdString();
}

bool CrashResumeFixture::copyFolder(const QString& from, const QString& to)
{
    bool ok = QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString copy = QDir(to).filePath(QDir(from).relativeFilePath(path));
        ok = QDir().mkpath(QFileInfo(copy).absolutePath()) && QFile::copy(path, copy) && ok;
    }
    return ok;
}

} // namespace ombrix::test
