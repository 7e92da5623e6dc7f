#include "backup/CatalogBuilder.h"

#include "core/catalog/CatalogLine.h"
#include "core/catalog/CatalogOrder.h"
#include "core/log/Status.h"
#include "ScanFixture.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>
#include <QSet>

using namespace ombrix;

namespace {

const QString set = QStringLiteral("OMX_2024-01-01_10-00-00");
const QString fileTime = QStringLiteral("2023-07-01-12-00-00");

} // namespace

TEST(CatalogBuilder, SortsDropsExactDuplicatesAndRejectsUnrecordablePaths)
{
    const QList<ScannedFile> files = {
        {"/d/b.txt", fileTime, false},
        {"/d/a.txt", fileTime, false},
        {"/d/b.txt", fileTime, false},     // reached through a second entry
        {"/d/b.txt", fileTime, true},      // and once as a plain copy
        {"/d/B.txt", fileTime, false},     // another file on Linux
        {"/d/odd\";\"X", fileTime, false}, // would read back as a plain-copy marker
        {"/d/bad-fileTime", "1970-01-01-00-00-00x", false},
    };
    test::RecordingHost host;
    QStringList rejected;
    const QStringList catalog =
        buildCatalog(files, set, CatalogOrder(QLocale(QLocale::English)), host, &rejected);
    EXPECT_EQ(catalog, QStringList({
                           CatalogLine::make("/d/a.txt", fileTime, set, false),
                           CatalogLine::make("/d/B.txt", fileTime, set, false), // upper case first on a tie
                           CatalogLine::make("/d/b.txt", fileTime, set, false),
                           CatalogLine::make("/d/b.txt", fileTime, set, true),
                       }));
    EXPECT_EQ(rejected, QStringList({"/d/odd\";\"X", "/d/bad-fileTime"}));
    EXPECT_EQ(host.statusTexts(Page::Backup),
              QStringList({statusText(
                  Page::Backup, QStringLiteral("Vytváření seznamu zálohovaných souborů (archivlist.csv)"))}));
}

// Building a long catalog shows how far it got and keeps the window alive: the progress rises
// within its maximum and the window is pumped along the way, both rationed (far fewer updates
// than files).
TEST(CatalogBuilder, ProgressRisesAndTheWindowIsPumpedWhileALongCatalogIsBuilt)
{
    QList<ScannedFile> files;
    for (int i = 0; i < 1000; ++i)
        files.append({QStringLiteral("/d/f%1").arg(i), fileTime, false});
    test::RecordingHost host;
    EXPECT_EQ(buildCatalog(files, set, CatalogOrder(), host).size(), 1000);
    QSet<int> shown;
    int last = -1;
    for (const auto& p : host.progress()) {
        EXPECT_EQ(p.maximum, 999);
        EXPECT_GE(p.position, last) << "the progress went back";
        EXPECT_LE(p.position, p.maximum);
        last = p.position;
        shown.insert(p.position);
    }
    EXPECT_GE(shown.size(), 3) << "the progress did not move while the catalog was built";
    EXPECT_LE(host.progress().size(), 1000u / 50) << "the progress is updated for nearly every file";
    // The status line pumps once; the loop pumps along the way.
    EXPECT_GE(host.pumpCount(), 3) << "the window was not pumped while the catalog was built";
    EXPECT_LE(host.pumpCount(), 1000 / 50) << "the window is pumped for nearly every file";
}
