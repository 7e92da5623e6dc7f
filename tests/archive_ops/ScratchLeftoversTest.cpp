#include "archive/ScratchLeftovers.h"

#include "core/catalog/CatalogLine.h"
#include "storage/FolderDestination.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace ombrix;

namespace {

const QString set = QStringLiteral("OMX_2024-05-06_10-00-00");
const QString catalogTime = QStringLiteral("2024-05-06-09-00-00");

void writeFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("data");
}

} // namespace

TEST(ScratchLeftovers, RemovesOnlyScratchFilesTheCatalogDoesNotName)
{
    QTemporaryDir destinationDir;
    QTemporaryDir outside;
    const QString root = destinationDir.path();
    const QString setFolder = root + QLatin1Char('/') + set;
    FolderDestination destination(root);

    // Left by killed runs: scratch archives, a scratch plain copy and a copier's scratch file.
    const QStringList leftovers = {
        setFolder + QStringLiteral("/home/u/.ombrix-Ab12Cd.7z"),
        setFolder + QStringLiteral("/home/u/docs/.ombrix-Zz99yy"),
        setFolder + QStringLiteral("/.ombrix-copy-Qq11Ww"),
    };
    // A user's own files whose names look like scratch files, archived and plain-copied, and an
    // ordinary archive; one more such archive belongs to another set's line.
    const QStringList kept = {
        setFolder + QStringLiteral("/home/u/.ombrix-notes.txt.7z"),
        setFolder + QStringLiteral("/home/u/.ombrix-Ab12Ce.7z"),
        setFolder + QStringLiteral("/home/u/x.txt.7z"),
        setFolder + QStringLiteral("/home/u/docs/.ombrix-Moved1"),
    };
    for (const QString& path : leftovers + kept)
        writeFile(path);
    const QString target = outside.path() + QStringLiteral("/precious");
    writeFile(target);
    const QString link = setFolder + QStringLiteral("/home/.ombrix-Link00");
    ASSERT_TRUE(QFile::link(target, link));

    const QStringList catalog = {
        CatalogLine::make(QStringLiteral("/home/u/.ombrix-notes.txt"), catalogTime, set, false),
        CatalogLine::make(QStringLiteral("/home/u/.ombrix-Ab12Ce.7z"), catalogTime, set, true),
        CatalogLine::make(QStringLiteral("/home/u/x.txt"), catalogTime, set, false),
        // A line still naming another set (a merge moves the file before the catalog follows):
        // the file in this set is kept all the same.
        CatalogLine::make(QStringLiteral("/home/u/docs/.ombrix-Moved1"), catalogTime,
                          QStringLiteral("OMX_2024-05-05_10-00-00"), true),
    };
    for (const QString& line : catalog)
        ASSERT_FALSE(line.isEmpty());

    EXPECT_EQ(ScratchLeftovers::removeScratchLeftovers(destination, set, catalog), leftovers.size());
    for (const QString& path : leftovers)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    for (const QString& path : kept)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(target));
}

TEST(ScratchLeftovers, MissingSetOrEmptyNameDoesNothing)
{
    QTemporaryDir destinationDir;
    FolderDestination destination(destinationDir.path());
    writeFile(destinationDir.path() + QStringLiteral("/.ombrix-Ab12Cd.7z"));
    EXPECT_EQ(ScratchLeftovers::removeScratchLeftovers(destination, QString(), {}), 0);
    EXPECT_EQ(ScratchLeftovers::removeScratchLeftovers(destination, set, {}), 0);
    EXPECT_TRUE(QFileInfo::exists(destinationDir.path() + QStringLiteral("/.ombrix-Ab12Cd.7z")));
}

TEST(ScratchLeftovers, SetRootLeavesTheSubfoldersAlone)
{
    QTemporaryDir destinationDir;
    FolderDestination destination(destinationDir.path());
    const QString setFolder = destinationDir.path() + QLatin1Char('/') + set;
    const QString atRoot = setFolder + QStringLiteral("/.ombrix-Ab12Cd.7z");
    const QString below = setFolder + QStringLiteral("/home/.ombrix-Ef34Gh.7z");
    writeFile(atRoot);
    writeFile(below);
    EXPECT_EQ(
        ScratchLeftovers::removeScratchLeftovers(destination, set, {}, ScratchLeftovers::Depth::SetRoot), 1);
    EXPECT_FALSE(QFileInfo::exists(atRoot));
    EXPECT_TRUE(QFileInfo::exists(below));
}
