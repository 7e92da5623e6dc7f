#include "core/remote/RemoteName.h"
#include "FtpFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

using namespace ombrix;
using namespace ombrix::test;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString set = QStringLiteral("OMX_2014-03-05_21-07-09");

class FtpDestinationTest : public FtpFixture
{
};

} // namespace

TEST_F(FtpDestinationTest, ExistenceInAFolderCostsOneListingUntilAnUpload)
{
    ASSERT_TRUE(startServer()) << server().errorText().toStdString();
    // The set's folder C as stored on the server: C.67, with encoded file names; a folder that is
    // named like the encoded "d.txt.7z" must never count as that file.
    const QString folder = u"/backup/"_s + set + u"/C.67/"_s;
    writeServerFile(folder + encodeRemoteName(u"a.txt.7z"_s), "aaaaa");
    writeServerFile(folder + encodeRemoteName(u"b.txt.7z"_s), "bbbbbbb");
    makeServerFolder(folder + encodeRemoteName(u"d.txt.7z"_s));

    for (const bool mlsd : {true, false}) {
        SCOPED_TRACE(mlsd ? "MLSD" : "LIST -al");
        FtpServer::Options options;
        options.mlsd = mlsd;
        server().setOptions(options);
        m_destination.reset();
        m_connection.reset();
        FtpDestination& dest = destination();
        ASSERT_TRUE(connection().ftpOnline()) << connection().client().lastError().toStdString();
        ASSERT_EQ(connection().client().usesMlsd(), mlsd);
        server().clearCommands();
        const QString listing = mlsd ? u"MLSD"_s : u"LIST"_s;

        EXPECT_TRUE(dest.FileExistsF(u"/backup/"_s + set + u"/C/a.txt.7z"_s));
        EXPECT_EQ(server().countCommands(listing), 1);
        // Both separator forms, with or without the leading one, and the other file of the
        // folder come from that one listing.
        EXPECT_TRUE(dest.FileExistsF(u"\\backup\\"_s + set + u"\\C\\a.txt.7z"_s));
        EXPECT_TRUE(dest.FileExistsF(u"backup/"_s + set + u"/C/b.txt.7z"_s));
        EXPECT_FALSE(dest.FileExistsF(u"/backup/"_s + set + u"/C/missing.txt.7z"_s));
        EXPECT_FALSE(dest.FileExistsF(u"/backup/"_s + set + u"/C/d.txt.7z"_s));
        EXPECT_FALSE(dest.FileExistsF(u"/backup/"_s + set + u"/C/d.txt.7z"_s));
        EXPECT_EQ(dest.FileSizeF(u"/backup/"_s + set + u"/C/b.txt.7z"_s), 7);
        EXPECT_EQ(dest.FileSizeF(u"/backup/"_s + set + u"/C/missing.txt.7z"_s), 0);
        EXPECT_EQ(dest.fileSize(set + u"/C/a.txt.7z"_s), 5);
        EXPECT_EQ(dest.fileSize(set + u"/C/missing.txt.7z"_s), -1);
        EXPECT_EQ(server().countCommands(listing), 1);

        // An upload empties the listing cache, so the new file is seen with its size.
        const QString local = writeLocalFile(u"c.txt.7z.tmp"_s, "0123456789A");
        const TransferResult stored = dest.storeFile(local, set + u"/C/c.txt.7z"_s);
        EXPECT_TRUE(stored.ok) << stored.error.toStdString();
        const int afterUpload = server().countCommands(listing);
        EXPECT_GT(afterUpload, 1);
        EXPECT_TRUE(dest.fileExists(set + u"/C/c.txt.7z"_s));
        EXPECT_EQ(dest.fileSize(set + u"/C/c.txt.7z"_s), 11);
        EXPECT_EQ(server().countCommands(listing), afterUpload);
        EXPECT_EQ(readServerFile(folder + encodeRemoteName(u"c.txt.7z"_s)), QByteArray("0123456789A"));
        QFile::remove(serverFile(folder + encodeRemoteName(u"c.txt.7z"_s)));
    }
}

TEST_F(FtpDestinationTest, SetFolderStaysPlainAndEveryNameBelowItIsEncoded)
{
    ASSERT_TRUE(startServer()) << server().errorText().toStdString();
    makeServerFolder(u"/zaloha/other"_s);
    FtpDestination& dest = destination(u"/zaloha"_s);
    ASSERT_TRUE(dest.isOnline());

    ASSERT_TRUE(dest.makeFolders(set + u"/C/Data"_s));
    EXPECT_TRUE(QFileInfo(serverFile(u"/zaloha/"_s + set + u"/C.67/Data.378"_s)).isDir());
    EXPECT_FALSE(QFileInfo::exists(serverFile(u"/zaloha/"_s + set + u"/C"_s)));

    const QByteArray content = "obsah zprávy";
    const QString local = writeLocalFile(u"Zpráva.doc.7z.tmp"_s, content);
    const TransferResult stored = dest.storeFile(local, set + u"/C/Data/Zpráva.doc.7z"_s);
    ASSERT_TRUE(stored.ok) << stored.error.toStdString();
    const QString onServer =
        u"/zaloha/"_s + set + u"/C.67/Data.378/"_s + encodeRemoteName(u"Zpráva.doc.7z"_s);
    EXPECT_EQ(readServerFile(onServer), content);
    EXPECT_TRUE(dest.fileExists(set + u"/C/Data/Zpráva.doc.7z"_s));
    EXPECT_EQ(dest.fileSize(set + u"/C/Data/Zpráva.doc.7z"_s), content.size());

    const QString fetched = m_program.file(u"back.7z.tmp"_s);
    const TransferResult back = dest.fetchFile(set + u"/C/Data/Zpráva.doc.7z"_s, fetched);
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_EQ(m_program.read(u"back.7z.tmp"_s), content);

    EXPECT_EQ(dest.listSetFolders(), QStringList{set});
    EXPECT_EQ(dest.listFolders(set, true), (QStringList{set + u"/C.67"_s, set + u"/C.67/Data.378"_s}));
}

TEST_F(FtpDestinationTest, VytvorAdresarFCreatesEachMissingLevelEncoded)
{
    ASSERT_TRUE(startServer()) << server().errorText().toStdString();
    makeServerFolder(u"/backup"_s);
    FtpDestination& dest = destination();
    server().clearCommands();

    EXPECT_TRUE(dest.vytvor_adresarF(u"/backup/OMX_x/C/Data"_s));
    QStringList made;
    for (const QString& command : server().commands()) {
        if (command.startsWith(u"MKD "_s))
            made.append(command);
    }
    EXPECT_EQ(made, (QStringList{u"MKD /backup/OMX_x"_s, u"MKD /backup/OMX_x/C.67"_s,
                                 u"MKD /backup/OMX_x/C.67/Data.378"_s}));
    EXPECT_TRUE(QFileInfo(serverFile(u"/backup/OMX_x/C.67/Data.378"_s)).isDir());

    // Folders are asked once; a missing one is remembered as missing.
    const int asked = server().countCommands(u"CWD"_s);
    EXPECT_TRUE(dest.DirectoryExistsF(u"\\backup\\OMX_x\\C\\Data\\"_s));
    EXPECT_FALSE(dest.DirectoryExistsF(u"/backup/none"_s));
    EXPECT_FALSE(dest.DirectoryExistsF(u"/backup/none"_s));
    EXPECT_EQ(server().countCommands(u"CWD"_s), asked + 1);
    // An empty path is the server's root.
    EXPECT_TRUE(dest.DirectoryExistsF(QString()));
    EXPECT_TRUE(server().commands().contains(u"CWD /"_s));
    EXPECT_FALSE(dest.vytvor_adresarF(QString()));
}

TEST_F(FtpDestinationTest, TreeSizeCountsEveryFileAndStopGivesZero)
{
    ASSERT_TRUE(startServer()) << server().errorText().toStdString();
    writeServerFile(u"/backup/OMX_a/x"_s, "xxx");
    writeServerFile(u"/backup/OMX_a/sub/y"_s, "yyyyy");
    writeServerFile(u"/backup/OMX_a/sub/deeper/z"_s, "zzzzzzz");
    FtpDestination& dest = destination();

    EXPECT_DOUBLE_EQ(dest.treeSize(u"OMX_a"_s, {}), 15.0);
    EXPECT_DOUBLE_EQ(dest.SizeDirF(u"/backup/OMX_a"_s, 100.0), 115.0);
    EXPECT_TRUE(m_host.statusTexts(Page::Merge).contains(u"  /backup/OMX_a/sub"_s));

    // STOP pressed while the second folder is counted: nothing of what was counted comes back.
    m_host.setPumpHook([this] {
        if (m_host.currentStatus(Page::Merge).endsWith(u"/sub"_s))
            m_state.stopRequested = true;
    });
    EXPECT_DOUBLE_EQ(dest.SizeDirF(u"/backup/OMX_a"_s, 100.0), 0.0);
    m_host.setPumpHook({});
    m_state.stopRequested = false;
    int asked = 0;
    EXPECT_DOUBLE_EQ(dest.treeSize(u"OMX_a"_s, [&asked] { return ++asked > 1; }), 0.0);
}

TEST_F(FtpDestinationTest, RenameAndRemovalOfASet)
{
    ASSERT_TRUE(startServer()) << server().errorText().toStdString();
    const QString from = u"/backup/OMX_a/home.425/"_s + encodeRemoteName(u"f.txt.7z"_s);
    writeServerFile(from, "content");
    writeServerFile(u"/backup/OMX_a/home.425/deep.414/g.7z"_s, "g");
    makeServerFolder(u"/backup/OMX_b/home.425"_s);
    FtpDestination& dest = destination();
    ASSERT_EQ(encodeRemoteName(u"home"_s), u"home.425"_s);

    EXPECT_TRUE(dest.fileExists(u"OMX_a/home/f.txt.7z"_s));
    EXPECT_TRUE(dest.renameEntry(u"OMX_a/home/f.txt.7z"_s, u"OMX_b/home/f.txt.7z"_s));
    EXPECT_EQ(readServerFile(u"/backup/OMX_b/home.425/"_s + encodeRemoteName(u"f.txt.7z"_s)),
              QByteArray("content"));
    EXPECT_FALSE(dest.fileExists(u"OMX_a/home/f.txt.7z"_s));
    EXPECT_TRUE(dest.fileExists(u"OMX_b/home/f.txt.7z"_s));

    EXPECT_TRUE(dest.removeTree(u"OMX_a"_s, {}));
    EXPECT_FALSE(QFileInfo::exists(serverFile(u"/backup/OMX_a"_s)));
    EXPECT_TRUE(dest.removeTree(u"OMX_a"_s, {}));
    EXPECT_FALSE(dest.removeTree(QString(), {}));
    EXPECT_TRUE(QFileInfo(serverFile(u"/backup/OMX_b"_s)).isDir());
    EXPECT_EQ(dest.listSetFolders(), QStringList{u"OMX_b"_s});

    EXPECT_TRUE(dest.deleteFile(u"OMX_b/home/f.txt.7z"_s));
    EXPECT_FALSE(dest.fileExists(u"OMX_b/home/f.txt.7z"_s));
    EXPECT_TRUE(dest.deleteFile(u"OMX_b/home/f.txt.7z"_s));
}

TEST_F(FtpDestinationTest, ServerRestartedMidRunIsReachedAgainWithoutWrongAnswers)
{
    ASSERT_TRUE(startServer()) << server().errorText().toStdString();
    writeServerFile(u"/backup/OMX_a/C.67/"_s + encodeRemoteName(u"a.7z"_s), "a");
    writeServerFile(u"/backup/OMX_a/D.68/"_s + encodeRemoteName(u"b.7z"_s), "bb");
    FtpDestination& dest = destination();
    ASSERT_TRUE(dest.fileExists(u"OMX_a/C/a.7z"_s));

    server().stop();
    ASSERT_TRUE(server().restart()) << server().errorText().toStdString();

    // The first step meets the dead connection; the connection is opened again and the step
    // repeated, so the folder is not taken for missing.
    EXPECT_TRUE(dest.folderExists(u"OMX_a/D"_s));
    EXPECT_TRUE(dest.fileExists(u"OMX_a/D/b.7z"_s));
    EXPECT_EQ(dest.fileSize(u"OMX_a/D/b.7z"_s), 2);
    EXPECT_TRUE(connection().ftpOnline());
    EXPECT_TRUE(connection().isConnected());
}

TEST_F(FtpDestinationTest, OfflineDestinationAsksNothing)
{
    ASSERT_TRUE(startServer()) << server().errorText().toStdString();
    makeServerFolder(u"/backup/OMX_a"_s);
    FtpDestination& dest = destination();
    connection().setFtpOnline(false);
    server().clearCommands();

    EXPECT_FALSE(dest.isOnline());
    EXPECT_FALSE(dest.folderExists(u"OMX_a"_s));
    EXPECT_FALSE(dest.DirectoryExistsF(u"/backup/OMX_a"_s));
    EXPECT_EQ(dest.FileSizeF(u"/backup/OMX_a/x"_s), 0);
    EXPECT_TRUE(dest.listSetFolders().isEmpty());
    EXPECT_FALSE(dest.storeFile(writeLocalFile(u"x.tmp"_s, "x"), u"OMX_a/x"_s).ok);
    EXPECT_TRUE(server().commands().isEmpty()) << server().commands().join(u", "_s).toStdString();
}
