#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "core/sources/SourcesFile.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace ombrix::test {
namespace {

// One system call of the run as strace shows it with -y: the call, and the paths it named.
struct Call
{
    QString name;
    QString path;   // fdatasync/fsync: the file or folder; rename: the old name
    QString target; // rename: the new name
};

QList<Call> readTrace(const QString& file)
{
    QList<Call> calls;
    QFile trace(file);
    if (!trace.open(QIODevice::ReadOnly))
        return calls;
    static const QRegularExpression sync(QStringLiteral("\\b(fdatasync|fsync)\\(\\d+<(.*)>\\)\\s+= 0"));
    static const QRegularExpression rename(QStringLiteral(
        "\\brename(?:at2?)?\\((?:[^,]*, )?\"(.*)\", (?:[^,]*, )?\"(.*)\"(?:, [^)]*)?\\)\\s+= 0"));
    for (const QByteArray& raw : trace.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        QRegularExpressionMatch match = sync.match(line);
        if (match.hasMatch()) {
            calls.append({match.captured(1), match.captured(2), {}});
            continue;
        }
        match = rename.match(line);
        if (match.hasMatch())
            calls.append({QStringLiteral("rename"), match.captured(1), match.captured(2)});
    }
    return calls;
}

// Every archive of a set is on stable storage before the progress that covers it is recorded:
// its data is synced under its scratch name, it is renamed into place, and its folder is synced,
// all before config.ini is written again. Checked on the system calls of the real program.
TEST(ArchiveDurability, EveryArchiveAndItsFolderAreSyncedBeforeTheIndexThatCoversThem)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    ASSERT_FALSE(strace.isEmpty()) << "strace is not installed (scripts/install-deps.sh installs it)";
    TempProgramFolder home;
    QTemporaryDir destination;
    QTemporaryDir source;
    ASSERT_TRUE(destination.isValid() && source.isValid());
    home.write(QStringLiteral("config.ini"), defaultConfigBytes());
    ASSERT_TRUE(IniStore(home.file(QStringLiteral("config.ini")))
                    .writeString(ConfigKeys::BACKUP_DIR, destination.path()));
    ASSERT_TRUE(SourcesFile::write(home.file(SourcesFile::fileName), {source.path()}));
    for (int i = 0; i < 4; ++i) {
        QDir().mkpath(source.filePath(QStringLiteral("d%1").arg(i % 2)));
        QFile file(source.filePath(QStringLiteral("d%1/f%2.txt").arg(i % 2).arg(i)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(i).repeated(100));
        file.close();
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-1), QFileDevice::FileModificationTime));
    }

    const QString traceFile = home.file(QStringLiteral("trace.txt"));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OMBRIX_HOME"), home.path());
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("OMBRIX_AUTOSTART_DELAY_MS"), QStringLiteral("0"));
    env.insert(QStringLiteral("OMBRIX_EXIT_DELAY_MS"), QStringLiteral("0"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(strace,
                  {QStringLiteral("-f"), QStringLiteral("-y"), QStringLiteral("-qq"), QStringLiteral("-e"),
                   QStringLiteral("trace=fdatasync,fsync,rename,renameat,renameat2"), QStringLiteral("-o"),
                   traceFile, QDir(binDir()).filePath(QStringLiteral("ombrix")), QStringLiteral("-start")});
    ASSERT_TRUE(program.waitForFinished(180000)) << "the traced backup did not end";
    ASSERT_EQ(
        IniStore(home.file(QStringLiteral("config.ini"))).readString(ConfigKeys::LAST_BACKUP_DONE, QString()),
        QStringLiteral("1"));

    const QList<Call> calls = readTrace(traceFile);
    const QString config = home.file(QStringLiteral("config.ini"));
    int archives = 0;
    for (qsizetype i = 0; i < calls.size(); ++i) {
        const Call& placed = calls.at(i);
        // The archiver's own renames make the scratch archive; ours put it in its place.
        if (placed.name != QLatin1String("rename") || !placed.target.startsWith(destination.path()) ||
            QFileInfo(placed.target).fileName().startsWith(QLatin1String(".ombrix-")))
            continue;
        ++archives;
        const QString& where = placed.target;
        bool dataSynced = false;
        for (qsizetype j = 0; j < i; ++j)
            dataSynced = dataSynced ||
                         (calls.at(j).name == QLatin1String("fdatasync") && calls.at(j).path == placed.path);
        EXPECT_TRUE(dataSynced) << "not synced before it was put in place: " << where.toStdString();
        // The next write of config.ini comes after the folder holding the archive was synced.
        qsizetype folderSynced = -1;
        qsizetype nextIndex = -1;
        for (qsizetype k = i + 1; k < calls.size() && nextIndex < 0; ++k) {
            if (folderSynced < 0 && calls.at(k).name == QLatin1String("fsync") &&
                calls.at(k).path == QFileInfo(placed.target).absolutePath())
                folderSynced = k;
            if (calls.at(k).name == QLatin1String("rename") && calls.at(k).target == config)
                nextIndex = k;
        }
        EXPECT_GE(folderSynced, 0) << "its folder was never synced: " << where.toStdString();
        if (nextIndex >= 0) {
            EXPECT_LT(folderSynced, nextIndex)
                << "config.ini was written before the folder of " << where.toStdString() << " was synced";
        }
    }
    // The catalog, four files and the three side archives.
    EXPECT_GE(archives, 8) << "the trace shows too few archives put in place";
}

} // namespace
} // namespace ombrix::test
