#include "core/catalog/CatalogFile.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/text/TextFile.h"
#include "support/ArchiverWrapper.h"
#include "support/RestoreFixture.h"

#include <functional>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ombrix::test {
namespace {

const QString completedText = QStringLiteral("Obnova dat byla dokončena");
const QString notRestoredLog = QStringLiteral("not restored: ");

// Bytes that do not compress, so an archive holds them in full and a change to its packed data
// always changes what comes out.
QByteArray pseudoRandom(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = seed * 2654435761u + 1;
    for (int i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        bytes[i] = char(x >> 24);
    }
    return bytes;
}

// A set of four files restored below a fresh folder, after something made some of its files
// impossible to restore. A file that does not come back is never silent: the log names it with
// its reason, nothing half-made is left in its place, the other files come back whole, and the
// run ends with a warning that says how many files are missing instead of reporting success.
class RestoreFailureTest : public RestoreFixture
{
  public:
    void makeBackup()
    {
        writeSource(QStringLiteral("a.txt"), "alpha");
        writeSource(QStringLiteral("b.bin"), pseudoRandom(4096, 1));
        writeSource(QStringLiteral("sub/c.bin"), pseudoRandom(4096, 2));
        writeSource(QStringLiteral("sub/d.txt"), "delta");
        set = makeSet();
        state = sourceTree();
        lines = catalogOf(set);
        ASSERT_EQ(lines.size(), 4);
    }

    // The source path and the archive of the catalog line for a file (relative to the sources).
    QString pathOf(const QString& relPath) const { return sourceDir.filePath(relPath); }
    QString archiveOf(const QString& relPath) const
    {
        for (const QString& line : lines) {
            if (catalogField(line, CatalogLine::Path) == pathOf(relPath))
                return SetLayout::archivePathOfLine(destinationDir.path(), line);
        }
        ADD_FAILURE() << "not in the catalog: " << relPath.toStdString();
        return {};
    }
    QString pathOfLine(int i) const { return catalogField(lines.at(i), CatalogLine::Path); }

    // The set's catalog as the work list (taken when the set was made: the password of the
    // restore may not open it), the set chosen, a restore below the restore folder.
    void restoreBelowTheFolder()
    {
        ASSERT_TRUE(CatalogFile::write(program->file(QStringLiteral("recoverylist.csv")), lines));
        controls.set = set;
        controls.toOriginal = false;
        controls.folder = restoreDir.path();
        run->runRestore();
    }
    Tree restored() const
    {
        return treeOf(QDir::cleanPath(restoreDir.path() + QLatin1Char('/') + sourceDir.path()));
    }

    // What the end of the run told the person: the restore page's status and every message.
    QString endReport() const
    {
        QString report = host.currentStatus(Page::Restore).trimmed();
        for (const RecordingHost::Question& question : host.questions())
            report += QLatin1Char('\n') + question.text;
        return report;
    }

    void expectOnlyTheseMissing(const QStringList& failed)
    {
        const QStringList& log = runLog->logBuffer();
        for (const QString& path : failed) {
            const QString prefix = notRestoredLog + path;
            bool logged = false;
            for (const QString& line : log)
                logged = logged || (line.startsWith(prefix) && line.size() > prefix.size());
            EXPECT_TRUE(logged) << "no \"not restored: \" line with its reason for " << path.toStdString()
                                << "\nlog:\n"
                                << log.join(QLatin1Char('\n')).toStdString();
        }
        const Tree tree = restored();
        for (const auto& [relPath, bytes] : state) {
            const auto found = tree.find(relPath);
            if (failed.contains(pathOf(relPath))) {
                EXPECT_TRUE(found == tree.end()) << "a file that could not be restored lies in the restore "
                                                    "folder all the same: "
                                                 << relPath.toStdString();
            } else if (found == tree.end()) {
                ADD_FAILURE() << "not restored, though its archive is sound: " << relPath.toStdString();
            } else {
                EXPECT_TRUE(found->second == bytes) << "restored with other bytes: " << relPath.toStdString();
            }
        }
        for (const auto& [relPath, bytes] : tree)
            EXPECT_TRUE(state.count(relPath) == 1) << "not a file of the set: " << relPath.toStdString();

        if (failed.isEmpty()) {
            EXPECT_EQ(host.currentStatus(Page::Restore).trimmed(), completedText);
            return;
        }
        EXPECT_NE(host.currentStatus(Page::Restore).trimmed(), completedText)
            << "the run reports a complete restore although " << failed.size() << " files did not come back";
        EXPECT_TRUE(endReport().contains(QString::number(failed.size())))
            << "the end of the run does not say that " << failed.size() << " files did not come back:\n"
            << endReport().toStdString();
    }

    ArchiverWrapper wrapper;
    QString set;
    Tree state;
    QStringList lines;
};

struct FailureCase
{
    const char* name;
    QString backupPassword;
    QString restorePassword;
    // Spoils the set (or the archiver) and returns the source paths that cannot come back.
    std::function<QStringList(RestoreFailureTest&)> spoil;
};

class RestoreFailure : public RestoreFailureTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(RestoreFailure, EveryFileThatDoesNotComeBackIsLoggedCountedAndWarnedAbout)
{
    const FailureCase& c = GetParam();
    ASSERT_TRUE(wrapper.isValid());
    controls.password = c.backupPassword;
    makeBackup();
    if (HasFatalFailure())
        return;
    controls.password = c.restorePassword;
    const QStringList failed = c.spoil ? c.spoil(*this) : QStringList();

    restoreBelowTheFolder();
    wrapper.clear();
    if (HasFatalFailure())
        return;

    expectOnlyTheseMissing(failed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RestoreFailure,
    ::testing::Values(
        // The archiver cannot extract anything from the second file on (a full disk, say).
        FailureCase{"ArchiverFailsFromTheSecondFile",
                    {},
                    {},
                    [](RestoreFailureTest& f) {
                        f.wrapper.applyToThisProcess();
                        f.wrapper.failFrom({QStringLiteral("e"), QStringLiteral("*.7z")}, 2);
                        return QStringList{f.pathOfLine(1), f.pathOfLine(2), f.pathOfLine(3)};
                    }},
        FailureCase{"ArchiveMissing",
                    {},
                    {},
                    [](RestoreFailureTest& f) {
                        EXPECT_TRUE(QFile::remove(f.archiveOf(QStringLiteral("sub/d.txt"))));
                        return QStringList{f.pathOf(QStringLiteral("sub/d.txt"))};
                    }},
        FailureCase{"GarbageInPlaceOfTheArchive",
                    {},
                    {},
                    [](RestoreFailureTest& f) {
                        QFile file(f.archiveOf(QStringLiteral("a.txt")));
                        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                        file.write("this is not an archive");
                        return QStringList{f.pathOf(QStringLiteral("a.txt"))};
                    }},
        // The archive opens, but its packed data is damaged: what the archiver would write is
        // not the file.
        FailureCase{"ArchiveDamagedInsideItsData",
                    {},
                    {},
                    [](RestoreFailureTest& f) {
                        QFile file(f.archiveOf(QStringLiteral("b.bin")));
                        EXPECT_TRUE(file.open(QIODevice::ReadWrite));
                        QByteArray bytes = file.readAll();
                        EXPECT_GT(bytes.size(), 1024);
                        for (int i = 64; i < 96 && i < bytes.size(); ++i)
                            bytes[i] = char(bytes[i] ^ 0x5a); // past the signature header
                        file.seek(0);
                        file.write(bytes);
                        return QStringList{f.pathOf(QStringLiteral("b.bin"))};
                    }},
        FailureCase{"WrongPassword", QStringLiteral("the right one"), QStringLiteral("a wrong one"),
                    [](RestoreFailureTest& f) {
                        QStringList all;
                        for (int i = 0; i < f.lines.size(); ++i)
                            all << f.pathOfLine(i);
                        return all;
                    }},
        FailureCase{"NoPasswordForAnEncryptedSet", QStringLiteral("the right one"), QString(),
                    [](RestoreFailureTest& f) {
                        QStringList all;
                        for (int i = 0; i < f.lines.size(); ++i)
                            all << f.pathOfLine(i);
                        return all;
                    }},
        // The control: with the right password the encrypted set comes back whole.
        FailureCase{"RightPasswordRestoresEverything",
                    QStringLiteral("the right one"),
                    QStringLiteral("the right one"),
                    {}}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// A work list that cannot be read (here: larger than any list the program reads) is a failure to
// report, not an empty restore: the run does not claim completion, restores nothing, and keeps
// the list so the restore can be tried again.
TEST_F(RestoreFailureTest, UnreadableWorkListIsReportedAndKept)
{
    makeBackup();
    if (HasFatalFailure())
        return;
    const QString list = program->file(QStringLiteral("recoverylist.csv"));
    ASSERT_TRUE(CatalogFile::write(list, lines));
    controls.set = set;
    ASSERT_TRUE(QFile::resize(list, TextFile::maxReadBytes + 1));
    ASSERT_FALSE(CatalogFile::read(list).ok) << "the list is readable after all";

    controls.toOriginal = false;
    controls.folder = restoreDir.path();
    run->runRestore();

    EXPECT_NE(host.currentStatus(Page::Restore).trimmed(), completedText)
        << "a restore that read no list reports completion";
    EXPECT_TRUE(QFileInfo::exists(list)) << "the unreadable list was deleted";
    EXPECT_EQ(QFileInfo(list).size(), TextFile::maxReadBytes + 1);
    EXPECT_TRUE(treeOf(restoreDir.path()).empty());
    EXPECT_FALSE(run->showsStop());
    QFile::remove(list); // two gigabytes, even when sparse
}

} // namespace
} // namespace ombrix::test
