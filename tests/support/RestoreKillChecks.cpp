#include "support/RestoreKillChecks.h"

#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>

namespace ombrix::test {

QMap<QString, QString> RestoreKillChecks::workerEnvironment(const QString& set, const QString& folder)
{
    return {{QStringLiteral("OMBRIX_WORKER_RESTORE_SET"), set},
            {QStringLiteral("OMBRIX_WORKER_RESTORE_DIR"), folder}};
}

std::vector<KillPoint> RestoreKillChecks::killPoints(const ArchiverWrapper::Call& extraction)
{
    return {{QStringLiteral("extracting the first file"), extraction, 1},
            {QStringLiteral("extracting the first file of a continued restore"), extraction, 1},
            {QStringLiteral("extracting a later file"), extraction, 4},
            KillPoint::afterStatus(QStringLiteral("showing the completion"),
                                   QStringLiteral("Obnova dat byla dokončena"))};
}

bool RestoreKillChecks::pending(const IniStore& config)
{
    return config.readInt(ConfigKeys::RECOVERY_DONE, 1) == 0;
}

void RestoreKillChecks::expectFinished(const IniStore& config, const QString& programFolder)
{
    EXPECT_EQ(config.readInt(ConfigKeys::RECOVERY_DONE, 0), 1) << "a restore is still recorded as pending";
    EXPECT_EQ(config.readString(ConfigKeys::RECOVERY_ARCHIVNAME, QStringLiteral("<none>")), QString());
    EXPECT_EQ(config.readInt(ConfigKeys::RECOVERY_ARCHIV_INDEX, -1), 0);
    EXPECT_FALSE(QFileInfo::exists(QDir(programFolder).filePath(QStringLiteral("recoverylist.csv"))))
        << "the finished restore left its work list";
}

void RestoreKillChecks::expectSameTree(const Tree& state, const Tree& uninterrupted, const Tree& killed,
                                       std::size_t filesBelowKilledFolder)
{
    EXPECT_TRUE(uninterrupted == state) << "the uninterrupted restore does not give the set's state";
    for (const auto& [name, bytes] : uninterrupted) {
        const auto found = killed.find(name);
        EXPECT_TRUE(found != killed.end() && found->second == bytes)
            << (found == killed.end() ? "missing: " : "content differs: ") << name.toStdString();
    }
    for (const auto& entry : killed)
        EXPECT_TRUE(uninterrupted.count(entry.first)) << "not in the set: " << entry.first.toStdString();
    // Nothing but the restored tree below the restore folder.
    EXPECT_EQ(filesBelowKilledFolder, killed.size()) << "other files were left below the restore folder";
}

} // namespace ombrix::test
