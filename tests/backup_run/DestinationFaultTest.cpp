#include "BackupFixture.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/log/LogLines.h"
#include "support/ArchiverWrapper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <unistd.h>

namespace ombrix::test {
namespace {

// What goes wrong with the destination while a run archives its files.
enum class Fault
{
    ReadOnly,      // the file system is remounted read-only
    Unplugged,     // the medium goes away (umount -l): the bare mount folder shows through
    Removed,       // the destination folder is deleted
    CatalogStores, // only the stores of the set's catalog fail (an archiver failing for it)
};

struct FaultCase
{
    const char* name;
    Fault fault;
    bool needsMount;
};

bool runCommand(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

class DestinationFaultTest : public BackupFixture, public ::testing::WithParamInterface<FaultCase>
{
  protected:
    void TearDown() override
    {
        if (m_mounted)
            runCommand(QStringLiteral("umount"), {QStringLiteral("-l"), m_mountPoint});
        BackupFixture::TearDown();
    }

    // The destination is a bind mount of a folder of its own, so it can be remounted read-only
    // or unmounted and mounted again with its content.
    bool mountDestination()
    {
        m_backing = destination.filePath(QStringLiteral("backing"));
        m_mountPoint = destination.filePath(QStringLiteral("mounted"));
        if (!QDir().mkpath(m_backing) || !QDir().mkpath(m_mountPoint))
            return false;
        m_mounted = runCommand(QStringLiteral("mount"), {QStringLiteral("--bind"), m_backing, m_mountPoint});
        return m_mounted;
    }

    bool remount(const char* options)
    {
        return runCommand(QStringLiteral("mount"),
                          {QStringLiteral("-o"), QString::fromLatin1(options), m_mountPoint});
    }

    QString backupFolder() const
    {
        return m_mounted ? m_mountPoint : destination.filePath(QStringLiteral("plain"));
    }

    // Puts the fault in place; true when it took effect.
    bool apply(Fault fault)
    {
        switch (fault) {
        case Fault::ReadOnly:
            return remount("remount,bind,ro");
        case Fault::Unplugged:
            m_mounted = !runCommand(QStringLiteral("umount"), {QStringLiteral("-l"), m_mountPoint});
            return !m_mounted;
        case Fault::Removed:
            return QDir(backupFolder()).removeRecursively();
        case Fault::CatalogStores:
            // Every later store of the catalog fails, and a source file goes away so the catalog
            // has to be stored again without it.
            wrapper.failFrom({QStringLiteral("a"), program->file(QStringLiteral("archivlist.csv"))}, 1);
            return QFile::remove(m_vanishing);
        }
        return false;
    }

    // Takes the fault away again, as a person would (the medium plugged in again, the folder
    // made anew).
    bool remove(Fault fault)
    {
        switch (fault) {
        case Fault::ReadOnly:
            return remount("remount,bind,rw");
        case Fault::Unplugged:
            m_mounted =
                runCommand(QStringLiteral("mount"), {QStringLiteral("--bind"), m_backing, m_mountPoint});
            return m_mounted;
        case Fault::Removed:
            return QDir().mkpath(backupFolder());
        case Fault::CatalogStores:
            wrapper.clear();
            return true;
        }
        return false;
    }

    ArchiverWrapper wrapper;
    QString m_vanishing;

  private:
    QString m_backing;
    QString m_mountPoint;
    bool m_mounted = false;
};

// The destination stops taking writes in the middle of a run. The run must end interrupted and
// resumable with the lost-destination message, never completed; nothing may be written into the
// bare folder a medium leaves behind; once the fault is gone the next runs bring the newest set
// to the whole source tree.
TEST_P(DestinationFaultTest, RunEndsInterruptedAndTheNextRunsCompleteTheSet)
{
    const FaultCase& c = GetParam();
    if (c.needsMount && ::geteuid() != 0)
        GTEST_SKIP() << "remounting the destination needs root (CI runs as root)";
    ASSERT_TRUE(wrapper.isValid());
    wrapper.applyToThisProcess();
    if (c.needsMount) {
        ASSERT_TRUE(mountDestination()) << "mount --bind failed";
    } else {
        ASSERT_TRUE(QDir().mkpath(backupFolder()));
    }
    ASSERT_TRUE(config->writeString(ConfigKeys::BACKUP_DIR, backupFolder()));
    setBackupRoot(backupFolder());
    QStringList files;
    for (int i = 0; i < 12; ++i)
        files << writeSource(QStringLiteral("d%1/f%2.txt").arg(i % 3).arg(i, 2, 10, QLatin1Char('0')),
                             QByteArray::number(i).repeated(200 + i));
    m_vanishing = files.at(8);
    restartProgram();
    ASSERT_TRUE(controls.startEnabled);

    // The fault comes while the sixth file is shown, right before it is archived.
    bool faulted = false;
    host.setPumpHook([&] {
        if (!faulted && host.currentStatus(Page::Backup) == statusText(Page::Backup, files.at(5)))
            faulted = apply(c.fault);
    });
    pressStart();
    host.setPumpHook({});
    ASSERT_TRUE(faulted) << "the fault was never put in place";

    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("0"))
        << "a run that lost its destination completed";
    EXPECT_EQ(run->runStatus(), RunDestinationLost);
    EXPECT_TRUE(statusShown(QStringLiteral("Cílový adresář není dostupný, zálohování je přerušeno")));
    EXPECT_FALSE(statusShown(QStringLiteral("Úspěšný konec zálohování")));
    EXPECT_FALSE(statusShown(QStringLiteral("Zálohování dokončeno s varováním. Více v log.txt")));
    if (c.fault == Fault::Unplugged || c.fault == Fault::Removed) {
        // Nothing lands where the sets are not.
        EXPECT_TRUE(QDir(backupFolder()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) ||
                    !QFileInfo::exists(backupFolder()))
            << QDir(backupFolder())
                   .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                   .join(' ')
                   .toStdString();
    }

    ASSERT_TRUE(remove(c.fault));
    if (c.fault == Fault::CatalogStores)
        writeSource(QDir(sources.path()).relativeFilePath(m_vanishing), "back again");
    restartProgram();
    pressStart();
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    // What a first continued run had dropped comes with the next one.
    restartProgram();
    pressStart();
    EXPECT_EQ(configValue(ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    const QString set = configValue(ConfigKeys::LAST_ARCHIV_NAME);
    ASSERT_FALSE(set.isEmpty());
    // The newest set restores the whole source tree with a stock 7za and its catalog alone.
    EXPECT_EQ(lastSet(), set);
    expectRestorable(set);
}

INSTANTIATE_TEST_SUITE_P(Faults, DestinationFaultTest,
                         ::testing::Values(FaultCase{"ReadOnly", Fault::ReadOnly, true},
                                           FaultCase{"Unplugged", Fault::Unplugged, true},
                                           FaultCase{"Removed", Fault::Removed, false},
                                           FaultCase{"CatalogStores", Fault::CatalogStores, false}),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace ombrix::test
