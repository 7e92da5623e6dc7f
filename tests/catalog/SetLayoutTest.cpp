#include "core/catalog/SetLayout.h"

#include "core/catalog/CatalogLine.h"
#include "core/remote/RemoteName.h"

#include <gtest/gtest.h>

using namespace ombrix;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kSet = QStringLiteral("OMX_2014-03-05_21-07-09");

struct LayoutCase
{
    QString source;
    bool plainCopy;
    QString inSet;
};

} // namespace

TEST(SetLayout, WhereAFileLiesInItsSet)
{
    const LayoutCase cases[] = {
        {u"/home/a/x.txt"_s, false, u"home/a/x.txt.7z"_s},
        {u"/home/a/x.txt"_s, true, u"home/a/x.txt"_s},
        {u"C:/Data/Mail/inbox.pst"_s, false, u"C/Data/Mail/inbox.pst.7z"_s},
        {u"C:/a.txt"_s, true, u"C/a.txt"_s},
        {u"/srv/a:b/c:d.txt"_s, false, u"srv/ab/c:d.txt.7z"_s}, // colons go from folders only
        {u"/x.txt"_s, false, u"x.txt.7z"_s},
        {u"archivlist.csv"_s, false, u"archivlist.csv.7z"_s},
        {u"/home/Zpráva \"q\";.doc"_s, false, u"home/Zpráva \"q\";.doc.7z"_s},
        {u"/home/a\\b/c"_s, false, u"home/a\\b/c.7z"_s}, // a backslash is part of a Linux name
    };
    for (const LayoutCase& c : cases) {
        EXPECT_EQ(SetLayout::pathInSet(c.source, c.plainCopy), c.inSet) << c.source.toStdString();
        EXPECT_EQ(SetLayout::archivePath(u"/mnt/backup", kSet, c.source, c.plainCopy),
                  u"/mnt/backup/"_s + kSet + u"/"_s + c.inSet);
    }
    EXPECT_EQ(SetLayout::folderOf(u"/mnt/backup/", kSet, u"/home/a/x.txt"),
              u"/mnt/backup/"_s + kSet + u"/home/a"_s);
    EXPECT_EQ(SetLayout::folderOf(u"/mnt/backup", kSet, u"log.txt"), u"/mnt/backup/"_s + kSet);
    EXPECT_EQ(SetLayout::folderOf(u"", kSet, u"/home/a/x.txt"), kSet + u"/home/a"_s);
    EXPECT_EQ(SetLayout::folderOf(u"/", kSet, u"/x"), u"/"_s + kSet);
    EXPECT_EQ(SetLayout::sideArchivePath(u"/mnt/backup", kSet, SetLayout::catalogFile),
              u"/mnt/backup/"_s + kSet + u"/archivlist.csv.7z"_s);
}

TEST(SetLayout, ArchiveOfACatalogLine)
{
    const QString older = QStringLiteral("OMX_2013-01-01_00-00-00");
    const QString time = QStringLiteral("2014-03-05-21-07-08");
    EXPECT_EQ(SetLayout::archivePathOfLine(u"/b", CatalogLine::make(u"/home/a/X"_s, time, older, false)),
              u"/b/"_s + older + u"/home/a/X.7z"_s);
    EXPECT_EQ(SetLayout::archivePathOfLine(u"/b", CatalogLine::make(u"/home/a/X"_s, time, older, true)),
              u"/b/"_s + older + u"/home/a/X"_s);
}

TEST(SetLayout, RemoteFolderOfALinuxPath)
{
    // The FTP folder of /home/Data/Zpráva.doc: remote folder, set, the file's folder, in slash
    // form, every name below the set encoded.
    const QString folder = lomitka(SetLayout::folderOf(u"zaloha", kSet, u"/home/Data/Zpráva.doc"));
    EXPECT_EQ(folder, u"/zaloha/"_s + kSet + u"/home/Data"_s);
    EXPECT_EQ(fnEncode(folder + u"/Zpráva.doc.7z"_s),
              u"/zaloha/"_s + kSet + u"/home.425/Data.378/Zprava.doc.1335.7z"_s);
}
