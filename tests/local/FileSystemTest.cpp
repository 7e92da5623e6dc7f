#include "core/text/TextFile.h"
#include "platform/FileSystemInfo.h"
#include "storage/local/DriveInfo.h"
#include "storage/local/FileSystemWarning.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>
#include <QUuid>

using namespace ombrix;
using namespace ombrix::storage;

namespace {

QString missingMedium()
{
    return QStringLiteral("/mnt/ombrix-missing-") + QUuid::createUuid().toString(QUuid::Id128);
}

TEST(GetDriveInfo, TemporaryFolderKeepsPermissions)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const platform::VolumeInfo info = platform::volumeInfo(dir.path());
    ASSERT_TRUE(info.ok);
    EXPECT_GT(info.bytesTotal, 0u);
    EXPECT_LE(info.bytesFree, info.bytesTotal);

    QString fileSystem;
    bool unicode = false;
    GetDriveInfo(dir.path(), fileSystem, unicode);
    EXPECT_EQ(fileSystem, QStringLiteral("NTFS")) << std::hex << info.fileSystemMagic;
    EXPECT_TRUE(unicode);
    // A path not yet created lies on the volume of its nearest existing folder.
    EXPECT_EQ(driveFileSystem(dir.path() + QStringLiteral("/not/yet")), QStringLiteral("NTFS"));
}

TEST(GetDriveInfo, UnreadableVolumesAreFat)
{
    for (const QString& path : {QString(), missingMedium(), missingMedium() + QStringLiteral("/deep/x"),
                                QStringLiteral("\\\\server\\share"), QStringLiteral("Q:\\"),
                                QStringLiteral("no-such-relative-folder/x")}) {
        QString fileSystem;
        bool unicode = true;
        GetDriveInfo(path, fileSystem, unicode);
        EXPECT_EQ(fileSystem, QStringLiteral("FAT")) << path.toStdString();
        EXPECT_FALSE(unicode) << path.toStdString();
    }
}

TEST(FileSystemKind, PermissionKeepingTypes)
{
    struct Case
    {
        quint64 magic;
        bool keeps;
    };
    // ext4, xfs, btrfs, tmpfs keep owners; vfat, exfat, FUSE and unknown do not.
    for (const Case& c :
         {Case{0xEF53, true}, Case{0x58465342, true}, Case{0x9123683E, true}, Case{0x01021994, true},
          Case{0x4D44, false}, Case{0x2011BAB0, false}, Case{0x65735546, false}, Case{0, false}})
        EXPECT_EQ(platform::keepsPermissions(c.magic), c.keeps) << std::hex << c.magic;
}

TEST(StorageRoot, RemovableMountRootsAndDrivePrefixes)
{
    struct Case
    {
        const char* path;
        const char* root;
    };
    for (const Case& c :
         {Case{"/media/anna/USB STICK/Fotky/a.jpg", "/media/anna/USB STICK"},
          Case{"/media/anna/DISK", "/media/anna/DISK"}, Case{"/media/anna", ""},
          Case{"/run/media/anna/Data/x", "/run/media/anna/Data"}, Case{"/run/media/anna", ""},
          Case{"/mnt/backup/OMX_x", "/mnt/backup"}, Case{"/mnt", ""}, Case{"//mnt//backup/", "/mnt/backup"},
          Case{"E:\\Data", "E:"}, Case{"E:", "E:"}, Case{"/home/anna/Data", ""}, Case{"relative/mnt/x", ""},
          Case{"", ""}, Case{"\\\\server\\share", ""}})
        EXPECT_EQ(platform::storageRoot(QString::fromUtf8(c.path)), QString::fromUtf8(c.root)) << c.path;
}

// Whether a medium is mounted decides, not what the folder holds: an unmounted medium leaves its
// mount folder behind on the system disk, and something may have been written into it.
TEST(StorageRoot, PresentOnlyWhenAMediumIsMounted)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("empty")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("full/x")));
    EXPECT_FALSE(platform::storagePresent(dir.filePath(QStringLiteral("empty"))));
    EXPECT_FALSE(platform::storagePresent(dir.filePath(QStringLiteral("full"))));
    EXPECT_FALSE(platform::storagePresent(dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(platform::storagePresent(QString()));
    EXPECT_TRUE(platform::isMountPoint(QStringLiteral("/proc")));
    EXPECT_TRUE(platform::storagePresent(QStringLiteral("/proc")));
    EXPECT_FALSE(platform::isMountPoint(dir.filePath(QStringLiteral("full"))));

    // The one rule the readiness check and the run share, for paths on a medium root.
    const QString medium = missingMedium();
    EXPECT_EQ(platform::absentStorageOf(medium + QStringLiteral("/backup")), medium);
    EXPECT_TRUE(platform::absentStorageOf(dir.filePath(QStringLiteral("full/x"))).isEmpty());
    EXPECT_TRUE(platform::absentStorageOf(QStringLiteral("relative/x")).isEmpty());
    EXPECT_EQ(platform::absentStorageOf(QStringLiteral("Q:/Backup")), QStringLiteral("Q:"));
}

// A plain folder /mnt/NAME on the system disk is no medium, whether empty or not; it counts as
// one only while a medium is mounted at /mnt itself (a disk mounted there holds the folder).
TEST(StorageRoot, PlainFolderBelowMntIsNoMedium)
{
    QTemporaryDir folder(QStringLiteral("/mnt/ombrix-medium-test-XXXXXX"));
    if (!folder.isValid())
        GTEST_SKIP() << "cannot make a folder below /mnt here";
    const bool mntMounted = platform::isMountPoint(QStringLiteral("/mnt"));
    EXPECT_EQ(platform::storageRoot(folder.path() + QStringLiteral("/OMX_x")), folder.path());
    EXPECT_EQ(platform::storagePresent(folder.path()), mntMounted);
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("left/behind")));
    EXPECT_EQ(platform::storagePresent(folder.path()), mntMounted);
    EXPECT_EQ(platform::absentStorageOf(folder.filePath(QStringLiteral("left"))).isEmpty(), mntMounted);
}

// The warning decided with a stand-in volume query: folders below fatRoot are "FAT".
class FileSystemWarning : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("fat/dest")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("fat/restore")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("ntfs/dest")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("ntfs/restore")));
        fatRoot = dir.filePath(QStringLiteral("fat"));
        query = [this](const QString& path) {
            asked << path;
            return path.startsWith(fatRoot) ? QStringLiteral("FAT") : QStringLiteral("NTFS");
        };
    }

    void writeSources(const QStringList& lines)
    {
        ASSERT_TRUE(TextFile::writeAtomically(sources(), TextFile::encodeUtf8Bom(lines)));
    }
    QString sources() const { return dir.filePath(QStringLiteral("sources.txt")); }
    QString at(const char* relative) const { return dir.filePath(QString::fromUtf8(relative)); }

    FileSystemWarningInput input(const QString& dest, const QString& restore = {})
    {
        FileSystemWarningInput in;
        in.destinationFolder = dest;
        in.destinationType = QStringLiteral("DIR");
        in.folderDestinationChosen = true;
        in.restoreToOriginal = restore.isEmpty();
        in.restoreFolder = restore;
        in.currentDir = at("ntfs");
        in.sourcesFile = sources();
        return in;
    }

    QTemporaryDir dir;
    QString fatRoot;
    QStringList asked;
    FileSystemQuery query;
};

TEST_F(FileSystemWarning, DecisionTable)
{
    writeSources({QStringLiteral("/home/anna/Data///+*.doc"), QStringLiteral("")});
    struct Case
    {
        const char* dest;
        const char* restore;
        bool backup;
        bool restoreShown;
    };
    for (const Case& c :
         {Case{"fat/dest", "", true, false}, Case{"ntfs/dest", "", false, false},
          Case{"ntfs/dest", "fat/restore", false, true}, Case{"fat/dest", "fat/restore", true, false},
          Case{"ntfs/dest", "ntfs/restore", false, false}, Case{"ntfs/dest", "fat/missing", false, false},
          Case{"fat/missing", "", false, false}}) {
        const QString restore = *c.restore ? at(c.restore) : QString();
        const FileSystemWarnings w = check_filesystems(input(at(c.dest), restore), query);
        EXPECT_EQ(w.backupWarning, c.backup) << c.dest << " " << c.restore;
        EXPECT_EQ(w.restoreWarning, c.restoreShown) << c.dest << " " << c.restore;
    }
}

TEST_F(FileSystemWarning, NetworkSourcesNeverMakeTheSourcesNewer)
{
    writeSources({QStringLiteral("\\\\server\\share\\Data"), QStringLiteral("   ")});
    EXPECT_FALSE(check_filesystems(input(at("fat/dest")), query).backupWarning);
    EXPECT_TRUE(asked.filter(QStringLiteral("server")).isEmpty());
}

TEST_F(FileSystemWarning, NoWarningOutsideLocalDestinations)
{
    writeSources({QStringLiteral("/home/anna/Data")});
    FileSystemWarningInput ftp = input(at("fat/dest"), at("fat/restore"));
    ftp.destinationType = QStringLiteral("FTP");
    FileSystemWarningInput unc = input(QStringLiteral("\\\\server\\share"), at("fat/restore"));
    FileSystemWarningInput blank = input(QStringLiteral("   "), at("fat/restore"));
    FileSystemWarningInput otherChoice = input(at("fat/dest"));
    otherChoice.folderDestinationChosen = false;
    for (const FileSystemWarningInput& in : {ftp, unc, blank, otherChoice}) {
        const FileSystemWarnings w = check_filesystems(in, query);
        EXPECT_FALSE(w.backupWarning) << in.destinationFolder.toStdString();
        if (in.folderDestinationChosen) {
            EXPECT_FALSE(w.restoreWarning) << in.destinationFolder.toStdString();
        }
    }
}

TEST_F(FileSystemWarning, DotDestinationUsesTheCurrentDirectoryAndVariablesAreExpanded)
{
    qputenv("OMBRIX_TEST_DATA", "/srv/data");
    writeSources({QStringLiteral("%OMBRIX_TEST_DATA%/Documents///R-")});
    FileSystemWarningInput in = input(QStringLiteral("./zalohy"));
    in.currentDir = at("fat/dest");
    EXPECT_TRUE(check_filesystems(in, query).backupWarning);
    EXPECT_TRUE(asked.contains(QStringLiteral("/srv/data/Documents")));
    EXPECT_TRUE(asked.contains(at("fat/dest")));
    qunsetenv("OMBRIX_TEST_DATA");
}

TEST_F(FileSystemWarning, SourcesAreLookedUpOnTheirRealVolumes)
{
    // Only the destination is stood in for; the sources go to the real volume query.
    const FileSystemQuery realSources = [this](const QString& path) {
        return path.startsWith(fatRoot) ? QStringLiteral("FAT") : driveFileSystem(path);
    };
    EXPECT_FALSE(check_filesystems(input(at("fat/dest")), realSources).backupWarning); // no sources.txt
    QFile junk(sources());
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray("\xff\xfe\x00\x00\x01garbage\x00\n", 14));
    junk.close();
    EXPECT_FALSE(check_filesystems(input(at("fat/dest")), realSources).backupWarning);
    writeSources({QStringLiteral("no-such-relative-source"), missingMedium() + QStringLiteral("/Data")});
    EXPECT_FALSE(check_filesystems(input(at("fat/dest")), realSources).backupWarning);
    writeSources({missingMedium(), dir.path() + QStringLiteral("/not yet made///R-")});
    EXPECT_TRUE(check_filesystems(input(at("fat/dest")), realSources).backupWarning);
}

} // namespace
