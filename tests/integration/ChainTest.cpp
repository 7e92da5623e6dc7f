#include "core/app/ExitCode.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "E2eTest.h"
#include "SetRestorer.h"
#include "SourceTree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {
namespace {

QString config(const E2eSandbox& sandbox, const ConfigKey& key)
{
    return sandbox.configValue(key.section, key.name);
}

// Archives of source files in a set: everything below the set folder but its side archives.
QStringList fileArchives(const E2eSandbox& sandbox, const QString& set)
{
    QStringList files;
    const QDir root(QDir(sandbox.destination()).filePath(set));
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = root.relativeFilePath(it.next());
        if (relative.contains(QLatin1Char('/')))
            files.append(relative);
    }
    files.sort();
    return files;
}

void touchWithNewContent(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    // Catalog times have two-second resolution: move the time well away from the old one, into
    // the past, as for a file changed a while before the run that reads it.
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(
        file.setFileTime(QFileInfo(path).lastModified().addSecs(-3600), QFileDevice::FileModificationTime));
}

using ChainTest = E2eTest;

// A second run over an unchanged tree makes no set; one after a deletion only makes a set with
// the new catalog and its side archives; one after a change archives only the changed file.
TEST_F(ChainTest, IncrementalRunsArchiveOnlyWhatChanged)
{
    SourceTree::generate(sandbox.sourceRoot(), 7, 40);
    ASSERT_TRUE(sandbox.runToEnd()) << sandbox.programOutput().toStdString();
    ASSERT_EQ(sandbox.sets().size(), 1);
    const QString first = sandbox.sets().first();
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));

    // Nothing changed: the scheduled process ends by itself and no set appears.
    ASSERT_TRUE(sandbox.runToEnd()) << sandbox.programOutput().toStdString();
    EXPECT_EQ(sandbox.sets(), QStringList{first});
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_ARCHIV_NAME), first);
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    expectNothingLeft();

    // Only a deletion: a set with the catalog and the side archives, no file archive.
    const QMap<QString, QByteArray> before = SourceTree::digests(sandbox.sourceRoot());
    const QString deleted = before.firstKey();
    ASSERT_TRUE(QFile::remove(deleted));
    ASSERT_TRUE(sandbox.runToEnd()) << sandbox.programOutput().toStdString();
    ASSERT_EQ(sandbox.sets().size(), 2);
    const QString second = sandbox.sets().last();
    EXPECT_TRUE(fileArchives(sandbox, second).isEmpty())
        << fileArchives(sandbox, second).join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(
        QFileInfo::exists(SetLayout::sideArchivePath(sandbox.destination(), second, SetLayout::logFile)));
    expectRestoresTo(second, SourceTree::digests(sandbox.sourceRoot()));

    // One changed file: only it is archived in the third set; the rest point to the first.
    const QString changed = SourceTree::digests(sandbox.sourceRoot()).lastKey();
    touchWithNewContent(changed, "new content");
    ASSERT_TRUE(sandbox.runToEnd()) << sandbox.programOutput().toStdString();
    ASSERT_EQ(sandbox.sets().size(), 3);
    const QString third = sandbox.sets().last();
    EXPECT_EQ(fileArchives(sandbox, third).size(), 1);
    const SetRestorer::Result restored = SetRestorer(sandbox.destination()).restore(third);
    for (const QString& line : restored.lines) {
        const QString expectedSet = catalogField(line, CatalogLine::Path) == changed ? third : first;
        EXPECT_EQ(catalogField(line, CatalogLine::Set), expectedSet) << line.toStdString();
    }
    expectRestoresTo(third, SourceTree::digests(sandbox.sourceRoot()));
    expectNothingLeft();
}

// A chain under a password with blanks and quotes: every archive is encrypted, a wrong password
// in the settings makes no set, and the right one continues the chain.
TEST_F(ChainTest, PasswordChainRefusesAWrongPassword)
{
    const QString password = QStringLiteral("correct horse \"battery\" 'staple' -mx0 ž");
    ASSERT_TRUE(sandbox.setPassword(password));
    SourceTree::generate(sandbox.sourceRoot(), 11, 25);
    ASSERT_TRUE(sandbox.runToEnd()) << sandbox.programOutput().toStdString();
    ASSERT_EQ(sandbox.sets().size(), 1);
    const QString first = sandbox.sets().first();
    expectRestoresTo(first, SourceTree::digests(sandbox.sourceRoot()), password);

    // Encrypted: without the password neither the catalog nor a file comes out, and the
    // archiver's test fails.
    bool ok = true;
    SetRestorer(sandbox.destination()).catalog(first, &ok);
    EXPECT_FALSE(ok) << "the catalog opens without the password";
    const QStringList archives = fileArchives(sandbox, first);
    ASSERT_FALSE(archives.isEmpty());
    const QString someArchive =
        QDir(sandbox.destination()).filePath(first + QLatin1Char('/') + archives.first());
    EXPECT_FALSE(SetRestorer::run7za({QStringLiteral("t"), QStringLiteral("--"), someArchive}, "\n"));
    EXPECT_FALSE(SetRestorer::run7za({QStringLiteral("t"), QStringLiteral("--"), someArchive}, "wrong\n"));
    // The password is not the first word of itself: a command line split at blanks would have
    // used "correct" alone.
    EXPECT_FALSE(SetRestorer::run7za({QStringLiteral("t"), QStringLiteral("--"), someArchive}, "correct\n"));
    EXPECT_TRUE(SetRestorer::run7za({QStringLiteral("t"), QStringLiteral("--"), someArchive},
                                    password.toUtf8() + '\n'));

    const QString changed = SourceTree::digests(sandbox.sourceRoot()).firstKey();
    touchWithNewContent(changed, "changed under a password");

    ASSERT_TRUE(sandbox.setPassword(QStringLiteral("correct horse")));
    {
        // The run cannot open the last set: it ends by itself, and the program tells its
        // scheduler that it did not complete.
        std::unique_ptr<QProcess> refused = sandbox.start();
        ASSERT_TRUE(refused->waitForFinished(180000)) << sandbox.programOutput().toStdString();
        if (E2eSandbox::usesProgram()) {
            EXPECT_EQ(refused->exitCode(), app::ExitCode::NotCompleted)
                << sandbox.programOutput().toStdString();
        }
    }
    EXPECT_EQ(sandbox.sets(), QStringList{first}) << "a set was made with the wrong password";
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_ARCHIV_NAME), first);
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));

    ASSERT_TRUE(sandbox.setPassword(password));
    ASSERT_TRUE(sandbox.runToEnd()) << sandbox.programOutput().toStdString();
    ASSERT_EQ(sandbox.sets().size(), 2);
    const QString second = sandbox.sets().last();
    EXPECT_EQ(fileArchives(sandbox, second).size(), 1);
    expectRestoresTo(second, SourceTree::digests(sandbox.sourceRoot()), password);
    EXPECT_TRUE(SetRestorer(sandbox.destination(), password).failingArchives(second).isEmpty());
    expectNothingLeft();
}

} // namespace
} // namespace ombrix::test
