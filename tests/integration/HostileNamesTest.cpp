#include "core/catalog/CatalogLine.h"
#include "core/config/ConfigKeys.h"
#include "E2eTest.h"
#include "SetRestorer.h"
#include "SourceTree.h"
#include "support/ArchiverWrapper.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

namespace ombrix::test {
namespace {

QString config(const E2eSandbox& sandbox, const ConfigKey& key)
{
    return sandbox.configValue(key.section, key.name);
}

// Whether the program still runs (waitForFinished notices an end that happened meanwhile).
bool stillRunning(QProcess& program)
{
    program.waitForFinished(0);
    return program.state() == QProcess::Running;
}

using HostileNamesTest = E2eTest;

// Names that break shells, quoting and argument parsers go through scan, catalog, the archiver
// and back unchanged; what cannot be stored at all (a name too long for its archive, a line
// break in a name, a file that vanishes before its turn, a fifo) is reported as not archived or
// left out, and the run still completes.
TEST_F(HostileNamesTest, HostileNamesRestoreAndWhatCannotBeStoredIsReported)
{
    const QString src = sandbox.sourceRoot();
    QStringList mustRestore;
    int n = 0;
    for (const QString& name : SourceTree::hostileNames()) {
        const QString path = src + QStringLiteral("/names/") + name;
        ++n;
        ASSERT_TRUE(SourceTree::writeFile(path, quint32(n), 100 + n * 37)) << name.toStdString();
        mustRestore.append(path);
    }
    // The same names as folders.
    for (const QString& name :
         {QStringLiteral("-dash folder"), QStringLiteral("quote\"folder"), QStringLiteral("Příliš žluťoučký"),
          QStringLiteral("OMX_2024-01-01_00-00-00")}) {
        const QString path = src + QLatin1Char('/') + name + QStringLiteral("/inner file.txt");
        ASSERT_TRUE(SourceTree::writeFile(path, quint32(++n), 500));
        mustRestore.append(path);
    }
    // A deep path: 28 folders of 100 bytes.
    QString deep = src + QStringLiteral("/deep");
    for (int i = 0; i < 28; ++i)
        deep += QLatin1Char('/') + QString(99, QLatin1Char('a' + i % 26)) + QString::number(i % 10);
    deep += QStringLiteral("/leaf.txt");
    ASSERT_TRUE(SourceTree::writeFile(deep, 4242, 1000));
    mustRestore.append(deep);
    // The big file comes before the vanishing one in catalog order.
    const QString big = src + QStringLiteral("/!first/big.bin");
    ASSERT_TRUE(SourceTree::writeFile(big, 1, 24 * 1024 * 1024 + 1));
    mustRestore.append(big);
    const QString vanishing = src + QStringLiteral("/zzz/vanishing file.txt");
    ASSERT_TRUE(SourceTree::writeFile(vanishing, 2, 1000));

    // What cannot be stored as specified.
    const QString tooLong = src + QStringLiteral("/names/") + QString(255, QLatin1Char('L'));
    ASSERT_TRUE(SourceTree::writeFile(tooLong, 3, 10));
    const QString lineBreak = src + QStringLiteral("/names/line\nbreak.txt");
    ASSERT_TRUE(SourceTree::writeFile(lineBreak, 4, 10));
    const QString markerLike = src + QStringLiteral("/names/a\";\"X");
    ASSERT_TRUE(SourceTree::writeFile(markerLike, 5, 10));
    const QString fifo = src + QStringLiteral("/names/a fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    // The archiver call for the big file is held while the vanishing file is deleted: the
    // deletion always falls after the scan that listed the file and before the file's own turn.
    ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.pauseAt({QStringLiteral("a"), QStringLiteral("*/!first/big.bin")}, 1);
    std::unique_ptr<QProcess> program = sandbox.start(wrapper.environment());
    ASSERT_TRUE(wrapper.waitForPause(120000, [&] { return stillRunning(*program); }))
        << "the run ended or did not reach the archiving of " << big.toStdString() << " within 120 s\n"
        << sandbox.programOutput().toStdString();
    ASSERT_TRUE(QFile::remove(vanishing));
    wrapper.release();
    // A fifo never delivers an end of file: an archiver that opened it would wait for ever.
    ASSERT_TRUE(program->waitForFinished(120000))
        << "the run did not end within 120 s after the big file was let go (a fifo opened?)\n"
        << sandbox.programOutput().toStdString();
    EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(config(sandbox, ConfigKeys::LAST_BACKUP_DONE), QStringLiteral("1"));
    ASSERT_EQ(sandbox.sets().size(), 1);
    const QString set = sandbox.sets().first();

    const QString log = sandbox.logText(set);
    EXPECT_TRUE(log.contains(QStringLiteral("not archived: ") + vanishing)) << log.toStdString();

    const SetRestorer::Result restored = SetRestorer(sandbox.destination()).restore(set);
    ASSERT_TRUE(restored.catalogOk);
    EXPECT_TRUE(restored.failures.isEmpty()) << restored.failures.join(QLatin1Char('\n')).toStdString();
    const QMap<QString, QByteArray> sourceDigests = SourceTree::digests(src);
    for (const QString& path : mustRestore)
        EXPECT_EQ(restored.digests.value(path), sourceDigests.value(path))
            << "not restored: " << path.toStdString();
    EXPECT_FALSE(restored.digests.contains(vanishing));
    EXPECT_FALSE(restored.digests.contains(fifo));
    // Stored either exactly or not at all, and then named in the log.
    for (const QString& path : {tooLong, markerLike}) {
        if (restored.digests.contains(path))
            EXPECT_EQ(restored.digests.value(path), sourceDigests.value(path)) << path.toStdString();
        else
            EXPECT_TRUE(log.contains(QStringLiteral("not archived: ") + path)) << path.toStdString() << "\n"
                                                                               << log.toStdString();
    }
    // A name with a line break cannot be a catalog line; the catalog stays intact.
    EXPECT_FALSE(restored.digests.contains(lineBreak));
    for (const QString& line : restored.lines)
        EXPECT_TRUE(CatalogLine::isWellFormed(line)) << line.toStdString();
    expectNothingLeft();
}

} // namespace
} // namespace ombrix::test
