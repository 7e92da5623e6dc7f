#include "backup/ChangeAnalysis.h"

#include "backup/CatalogBuilder.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/CatalogOrder.h"
#include "core/log/Status.h"
#include "ScanFixture.h"
#include "support/RecordingHost.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <QFile>
#include <QSet>

using namespace ombrix;

namespace {

const QString oldSet = QStringLiteral("OMX_2024-01-01_10-00-00");
const QString newSet = QStringLiteral("OMX_2024-02-01_10-00-00");
const QString t1 = QStringLiteral("2023-05-01-08-00-00");
const QString t2 = QStringLiteral("2023-06-01-08-00-02");

QString line(const QString& path, const QString& time, const QString& set, bool plain = false)
{
    const QString made = CatalogLine::make(path, time, set, plain);
    EXPECT_FALSE(made.isEmpty()) << qPrintable(path);
    return made;
}

QStringList sorted(QStringList lines, const CatalogOrder& order = CatalogOrder())
{
    order.sort(lines);
    return lines;
}

struct Scenario
{
    const char* name;
    QStringList previous;
    QStringList fresh;
    QSet<QString> missing;
    bool verify = false;
    QSet<QString> lostArchives; // paths whose archive is gone
    bool changed;
    QStringList expected;
};

ChangeAnalysis::Result analyse(const Scenario& s, test::RecordingHost& host, QStringList* asked = nullptr)
{
    const CatalogOrder order;
    ChangeAnalysis analysis(host, order);
    ChangeAnalysis::Input input;
    input.newCatalog = sorted(s.fresh);
    input.previousCatalog = sorted(s.previous);
    input.missingStorages = s.missing;
    input.verifyArchives = s.verify;
    input.archiveExists = [&s, asked](const QString& set, const QString& path, const QString& plain) {
        if (asked)
            asked->append(set + "|" + path + "|" + plain);
        return !s.lostArchives.contains(path);
    };
    return analysis.run(input);
}

} // namespace

TEST(ChangeAnalysis, DecidesWhatToArchiveAgain)
{
    const QString a = "/home/u/a.txt", b = "/home/u/b.txt", c = "/srv/c.txt", d = "/home/u/d.txt";
    const QString usb = "/mnt/usb/m.txt", usb2 = "/mnt/usb/n.txt";
    const QStringList prevAbc = {line(a, t1, oldSet), line(b, t1, oldSet), line(c, t1, oldSet)};
    const QStringList newAbc = {line(a, t1, newSet), line(b, t1, newSet), line(c, t1, newSet)};

    const Scenario scenarios[] = {
        {"unchanged", prevAbc, newAbc, {}, false, {}, false, prevAbc},
        {"unchanged, verified", prevAbc, newAbc, {}, true, {}, false, prevAbc},
        {"one modified",
         prevAbc,
         {line(a, t1, newSet), line(b, t2, newSet), line(c, t1, newSet)},
         {},
         false,
         {},
         true,
         {line(a, t1, oldSet), line(b, t2, newSet), line(c, t1, oldSet)}},
        {"older time counts too",
         {line(a, t2, oldSet)},
         {line(a, t1, newSet)},
         {},
         false,
         {},
         true,
         {line(a, t1, newSet)}},
        {"one deleted",
         prevAbc,
         {line(a, t1, newSet), line(c, t1, newSet)},
         {},
         false,
         {},
         true,
         {line(a, t1, oldSet), line(c, t1, oldSet)}},
        {"one new",
         prevAbc,
         newAbc + QStringList{line(d, t1, newSet)},
         {},
         false,
         {},
         true,
         prevAbc + QStringList{line(d, t1, newSet)}},
        {"deleted and new at once",
         prevAbc,
         {line(a, t1, newSet), line(d, t1, newSet), line(c, t1, newSet)},
         {},
         false,
         {},
         true,
         {line(a, t1, oldSet), line(d, t1, newSet), line(c, t1, oldSet)}},
        {"lost archive, verified",
         prevAbc,
         newAbc,
         {},
         true,
         {b},
         true,
         {line(a, t1, oldSet), line(b, t1, newSet), line(c, t1, oldSet)}},
        {"lost archive, not verified", prevAbc, newAbc, {}, false, {b}, false, prevAbc},
        {"missing storage carried over",
         prevAbc + QStringList{line(usb, t1, oldSet), line(usb2, t2, oldSet, true)},
         newAbc,
         {"/mnt/usb"},
         false,
         {},
         true,
         prevAbc + QStringList{line(usb, t1, oldSet), line(usb2, t2, oldSet, true)}},
        {"present storage: its files are deleted ones",
         prevAbc + QStringList{line(usb, t1, oldSet)},
         newAbc,
         {"/mnt/other"},
         false,
         {},
         true,
         prevAbc},
        {"case-only rename is a new file",
         {line("/d/File.txt", t1, oldSet)},
         {line("/d/file.txt", t1, newSet)},
         {},
         false,
         {},
         true,
         {line("/d/file.txt", t1, newSet)}},
        {"names differing in case are two files",
         {line("/d/File.txt", t1, oldSet), line("/d/file.txt", t1, oldSet)},
         {line("/d/File.txt", t1, newSet), line("/d/file.txt", t1, newSet)},
         {},
         false,
         {},
         false,
         {line("/d/File.txt", t1, oldSet), line("/d/file.txt", t1, oldSet)}},
        {"plain-copy marker added: archived again as plain copy",
         prevAbc,
         {line(a, t1, newSet, true), line(b, t1, newSet), line(c, t1, newSet)},
         {},
         false,
         {},
         true,
         {line(a, t1, newSet, true), line(b, t1, oldSet), line(c, t1, oldSet)}},
        {"same file both ways",
         {line(a, t1, oldSet), line(a, t1, oldSet, true)},
         {line(a, t1, newSet), line(a, t1, newSet, true)},
         {},
         false,
         {},
         false,
         {line(a, t1, oldSet), line(a, t1, oldSet, true)}},
        {"damaged lines of the previous catalog are ignored",
         prevAbc + QStringList{"garbage", QString()},
         newAbc,
         {},
         false,
         {},
         false,
         prevAbc},
        {"first run after an empty catalog", {}, newAbc, {}, false, {}, true, newAbc},
        {"everything gone", prevAbc, {}, {}, false, {}, true, {}},
    };

    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        test::RecordingHost host;
        const ChangeAnalysis::Result result = analyse(s, host);
        EXPECT_EQ(result.changed, s.changed);
        EXPECT_EQ(result.catalog, sorted(s.expected));
    }
}

TEST(ChangeAnalysis, VerificationAsksTheOldSetOnlyForUnchangedFiles)
{
    const Scenario s{"verify",
                     {line("/d/a", t1, oldSet), line("/d/b", t1, oldSet, true), line("/d/c", t1, oldSet)},
                     {line("/d/a", t1, newSet), line("/d/b", t1, newSet, true), line("/d/c", t2, newSet)},
                     {},
                     true,
                     {"/d/a"},
                     true,
                     {}};
    test::RecordingHost host;
    QStringList asked;
    const ChangeAnalysis::Result result = analyse(s, host, &asked);
    EXPECT_EQ(asked, QStringList({oldSet + "|/d/a|0", oldSet + "|/d/b|1"}));
    EXPECT_EQ(result.archiveLost, 1);
    EXPECT_EQ(result.unchanged, 1);
    EXPECT_EQ(host.statusTexts(Page::Backup).value(0),
              statusText(Page::Backup, QStringLiteral("Analýza - hledání změn a kontrola archivů")));
}

// Lines sort by their whole text, keys by path and marker; around paths that are prefixes of
// one another the two orders disagree, and the previous run may have sorted in another
// language. None of that may make an unchanged file look deleted and new.
TEST(ChangeAnalysis, UnchangedTreeStaysUnchangedWhateverOrderThePreviousCatalogHas)
{
    const QStringList paths = {"/d/b",      "/d/b.txt", "/d/b-x",     "/d/b x",    "/d/B",      "/d/b/c",
                               "/d/chata",  "/d/cesta", "/d/hrad",    "/d/čaj",    "/d/Ćwierć", "/d/a;\"X",
                               "/d/x\";\"", "/d/ß",     "/d/ss",      "/d/é",      "/d/e",      "/d/1",
                               "/d/10",     "/d/2",     "/d/.hidden", "/d/_under", "/d/~tilde"};
    QStringList previous;
    QStringList fresh;
    for (const QString& p : paths) {
        for (const bool plain : {false, true}) {
            previous.append(line(p, t1, oldSet, plain));
            fresh.append(line(p, t1, newSet, plain));
        }
    }
    const CatalogOrder english(QLocale(QLocale::English));
    const CatalogOrder czech(QLocale(QLocale::Czech));
    const CatalogOrder cLocale(QLocale::c());

    QStringList reversed = sorted(previous, czech);
    std::reverse(reversed.begin(), reversed.end());
    for (const QStringList& prev : {sorted(previous, czech), sorted(previous, cLocale), reversed}) {
        test::RecordingHost host;
        ChangeAnalysis analysis(host, english);
        ChangeAnalysis::Input input;
        input.newCatalog = sorted(fresh, english);
        input.previousCatalog = prev;
        const ChangeAnalysis::Result result = analysis.run(input);
        EXPECT_FALSE(result.changed);
        EXPECT_EQ(result.unchanged, previous.size());
        EXPECT_EQ(result.catalog, sorted(previous, english));
    }
}

// A long comparison shows how far it got and keeps the window alive while it runs: the progress
// rises within its maximum, the window is pumped along the way, both are rationed (far fewer
// updates than lines), and at the end the bar is back at 0.
TEST(ChangeAnalysis, ProgressRisesDuringTheWalkAndIsResetAtTheEnd)
{
    QStringList previous;
    QStringList fresh;
    for (int i = 0; i < 1000; ++i) {
        const QString p = QStringLiteral("/d/f%1").arg(i, 5, 10, QLatin1Char('0'));
        previous.append(line(p, t1, oldSet));
        fresh.append(line(p, t1, newSet));
    }
    test::RecordingHost host;
    const CatalogOrder order;
    ChangeAnalysis analysis(host, order);
    ChangeAnalysis::Input input;
    input.newCatalog = sorted(fresh);
    input.previousCatalog = previous;
    EXPECT_FALSE(analysis.run(input).changed);

    const auto& progress = host.progress();
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.back().position, 0) << "the bar is not reset at the end";
    QSet<int> shown;
    int last = -1;
    for (size_t i = 0; i + 1 < progress.size(); ++i) {
        EXPECT_EQ(progress[i].maximum, 999);
        EXPECT_GE(progress[i].position, last) << "the progress went back during the walk";
        EXPECT_LE(progress[i].position, progress[i].maximum);
        last = progress[i].position;
        shown.insert(last);
    }
    EXPECT_GE(shown.size(), 3) << "the progress did not move during the walk";
    EXPECT_LE(progress.size(), 1000u / 50) << "the progress is updated for nearly every line";
    EXPECT_GE(host.pumpCount(), 3) << "the window was not pumped during the walk";
    EXPECT_LE(host.pumpCount(), 1000 / 50) << "the window is pumped for nearly every line";
}

// The whole path on a real tree: scan, catalog, change, scan again, compare.
using ChangeAnalysisOnTree = test::ScanFixture;

TEST_F(ChangeAnalysisOnTree, SecondRunArchivesOnlyWhatChanged)
{
    makeFile("keep.txt");
    makeFile("edit.txt");
    makeFile("sub/remove.txt");
    makeFile("sub/keep2.bin");
    const CatalogOrder order;
    const QStringList first = buildCatalog(scan({root()}).files, oldSet, order, m_host);
    ASSERT_EQ(first.size(), 4);

    // Nothing touched: nothing to do.
    {
        const QStringList again = buildCatalog(scan({root()}).files, newSet, order, m_host);
        ChangeAnalysis analysis(m_host, order);
        const ChangeAnalysis::Result result = analysis.run({again, first, {}, false, {}, {}});
        EXPECT_FALSE(result.changed);
        EXPECT_EQ(result.catalog, first);
    }

    makeFile("edit.txt", defaultTime().addSecs(60));
    ASSERT_TRUE(QFile::remove(at("sub/remove.txt")));
    makeFile("sub/new.txt");
    const QStringList second = buildCatalog(scan({root()}).files, newSet, order, m_host);
    ChangeAnalysis analysis(m_host, order);
    const ChangeAnalysis::Result result = analysis.run({second, first, {}, false, {}, {}});
    EXPECT_TRUE(result.changed);
    QStringList onNewSet;
    for (const QString& l : result.catalog) {
        if (catalogField(l, CatalogLine::Set) == newSet)
            onNewSet.append(catalogField(l, CatalogLine::Path));
    }
    EXPECT_EQ(onNewSet, QStringList({at("edit.txt"), at("sub/new.txt")}));
    EXPECT_EQ(result.catalog.size(), 4);
    EXPECT_TRUE(order.isSorted(result.catalog));
}
