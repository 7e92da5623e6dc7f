#include "CrashResumeFixture.h"

#include "core/config/ConfigKeys.h"
#include "support/CrashChecks.h"

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
    const auto name = [](int i) {
        return QStringLiteral("d%1/f%2.bin").arg(i % 3).arg(i, 2, 10, QLatin1Char('0'));
    };
    const auto content = [](int i, const char* version) {
        QByteArray bytes = QByteArray(version) + ' ' + QByteArray::number(i) + '\n';
        for (int k = 0; k < 64 * (i + 1); ++k)
            bytes += char((k * 31 + i * 7) & 0xff);
        return bytes;
    };
    for (int i = 0; i < 14; ++i)
        writeSource(name(i), content(i, "full"));
    writeSource(QStringLiteral("empty.txt"), QByteArray());
    sets << makeSet();
    states.push_back(sourceTree());

    for (int i = 0; i < 14; i += 3)
        writeSource(name(i), content(i, "changed"));
    writeSource(QStringLiteral("d1/new one.txt"), "added in the second set");
    sets << makeSet();
    states.push_back(sourceTree());

    for (int i = 1; i < 14; i += 4)
        removeSource(name(i));
    sets << makeSet();
    states.push_back(sourceTree());

    writeSource(name(2), content(2, "changed again"));
    writeSource(name(5), content(5, "changed again"));
    sets << makeSet();
    states.push_back(sourceTree());

    writeSource(QStringLiteral("d2/late.txt"), "added in the last set");
    sets << makeSet();
    states.push_back(sourceTree());
}

bool CrashResumeFixture::killAtEachAndFinish(WorkerProcess& worker, const std::vector<KillPoint>& points,
                                             const std::function<bool()>& pending)
{
    for (const KillPoint& point : points) {
        if (!killWorkerAt(worker, wrapper, point))
            return false;
        const QStringList helpers = CrashChecks::liveHelpers(watchedFolders());
        EXPECT_TRUE(helpers.isEmpty()) << "after the kill at " << point.step.toStdString() << ":\n"
                                       << helpers.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(pending()) << "the kill at " << point.step.toStdString() << " left nothing to continue";
    }
    // The last start runs the real archiver.
    const QMap<QString, QString> environment = wrapper.environment();
    for (auto it = environment.cbegin(); it != environment.cend(); ++it)
        worker.setEnvironment(it.key(), QString());
    const WorkerProcess::Outcome outcome = worker.run();
    EXPECT_EQ(outcome, WorkerProcess::Outcome::Finished) << worker.output().toStdString();
    return outcome == WorkerProcess::Outcome::Finished;
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
