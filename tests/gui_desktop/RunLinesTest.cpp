#include "core/log/Status.h"
#include "core/util/Clock.h"
#include "core/util/RunProgress.h"
#include "core/util/RunSummary.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/MergePage.h"
#include "ui/mainwindow/RestorePage.h"
#include "ui/mainwindow/RunTextLabel.h"
#include "ui/mainwindow/StatusLine.h"
#include "ui/mainwindow/WindowHost.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QLocale>
#include <QTimeZone>
#include <utility>
#include <vector>

using namespace ombrix;
using namespace ombrix::ui;

namespace {

struct PageLines
{
    Page page;
    StatusLine* status;
    RunTextLabel* detail;
    RunTextLabel* summary;
};

std::vector<PageLines> pageLines(MainWindow& window)
{
    return {
        {Page::Backup, window.backupPage()->statusLine(), window.backupPage()->progressDetail(),
         window.backupPage()->summaryLabel()},
        {Page::Restore, window.restorePage()->statusLine(), window.restorePage()->progressDetail(),
         window.restorePage()->summaryLabel()},
        {Page::Merge, window.mergePage()->statusLine(), window.mergePage()->progressDetail(),
         window.mergePage()->summaryLabel()},
    };
}

void showOn(Host& host, Page page, const QString& text)
{
    switch (page) {
    case Page::Backup:
        info(host, text);
        break;
    case Page::Restore:
        info2(host, text);
        break;
    case Page::Merge:
        info3(host, text);
        break;
    }
}

QString longText(Page page)
{
    // One character more than the page's line shows unchanged.
    return QStringLiteral("/home/eva/") + QStringLiteral("x").repeated(statusLimit(page) - 13) +
           QStringLiteral("/end");
}

} // namespace

// A text the shortening rule cuts stays cut in the line, exactly as before, and shows whole in
// the line's tooltip; a text shown whole has no tooltip to repeat it.
TEST(RunLines, AShortenedStatusShowsItsWholeTextAsTooltip)
{
    MainWindow window;
    WindowHost host(&window);
    for (const PageLines& p : pageLines(window)) {
        const QString text = longText(p.page);
        ASSERT_EQ(text.size(), statusLimit(p.page) + 1);
        showOn(host, p.page, text);
        EXPECT_EQ(p.status->text(), statusText(p.page, text));
        EXPECT_NE(p.status->text().trimmed(), text);
        EXPECT_EQ(p.status->toolTip(), text);
        EXPECT_EQ(p.status->fullText(), text);

        const QString fits = QStringLiteral("x").repeated(statusLimit(p.page));
        showOn(host, p.page, fits);
        EXPECT_EQ(p.status->text(), QStringLiteral("  ") + fits);
        EXPECT_TRUE(p.status->toolTip().isEmpty());
        EXPECT_EQ(p.status->fullText(), fits);
    }
}

// The hint the backup run sets (the file being archived) wins over the whole text, and when it
// is cleared the tooltip goes back to the whole text of the line still shown.
TEST(RunLines, TheRunsHintWinsOverTheWholeText)
{
    MainWindow window;
    WindowHost host(&window);
    StatusLine* line = window.backupPage()->statusLine();
    const QString text = longText(Page::Backup);
    info(host, text);
    host.setStatusHint(Page::Backup, QStringLiteral("/home/eva/file.txt"));
    EXPECT_EQ(line->toolTip(), QStringLiteral("/home/eva/file.txt"));
    host.setStatusHint(Page::Backup, QString());
    EXPECT_EQ(line->toolTip(), text);

    // A text shown without its whole text (a caller that bypasses the rule) never inherits the
    // whole text announced for another one.
    host.setStatusFullText(Page::Backup, text);
    host.showStatus(Page::Backup, QStringLiteral("  jiný text"));
    EXPECT_TRUE(line->toolTip().isEmpty());
    EXPECT_EQ(line->fullText(), QStringLiteral("jiný text"));

    // A caption translation that replaces the shown text leaves no stale whole text behind.
    info(host, text);
    line->setText(QStringLiteral("  translated"));
    EXPECT_EQ(line->fullText(), QStringLiteral("translated"));
}

TEST(RunLines, ProgressDetailAndSummaryGoToTheirOwnPage)
{
    const QLocale previousLocale;
    QLocale::setDefault(QLocale::c());
    Clock::setFake(QDateTime(QDate(2024, 5, 6), QTime(10, 0, 0), QTimeZone::utc()), 0, false);
    MainWindow window;
    window.resize(1024, 768);
    window.show();
    WindowHost host(&window);
    std::vector<std::pair<Page, QString>> echoed;
    host.setProgressEcho([&](Page page, const QString& text) { echoed.emplace_back(page, text); });

    const std::vector<PageLines> lines = pageLines(window);
    for (const PageLines& p : lines) {
        window.showPage(p.page == Page::Backup    ? MainWindow::BackupIndex
                        : p.page == Page::Restore ? MainWindow::RestoreIndex
                                                  : MainWindow::MergeIndex);
        RunProgress progress(3, 3000);
        progress.fileDone(1000);
        host.setProgressDetail(p.page, progress.line());
        EXPECT_EQ(p.detail->text(), progress.line());
        EXPECT_TRUE(p.detail->isVisible());
        for (const PageLines& other : lines) {
            if (other.page != p.page) {
                EXPECT_TRUE(other.detail->text().isEmpty()) << "one page's detail reached another";
            }
        }
        EXPECT_FALSE(p.summary->isVisible()) << "no summary before a run ended";

        RunSummary summary(RunSummary::Kind::Merge, QStringLiteral("OMX_2024-05-06_10-00-00"));
        summary.fileDone(1000);
        summary.fileNotDone();
        summary.finish(true);
        host.showRunSummary(p.page, summary);
        EXPECT_EQ(p.summary->text(), summary.line());
        EXPECT_TRUE(p.summary->isVisible());
        ASSERT_NE(host.lastSummary(p.page), nullptr);
        EXPECT_EQ(host.lastSummary(p.page)->verdict(), RunSummary::Verdict::Warning);

        host.setProgressDetail(p.page, QString());
        EXPECT_TRUE(p.detail->text().isEmpty());
        host.clearRunSummary(p.page);
        EXPECT_FALSE(p.summary->isVisible());
        EXPECT_EQ(host.lastSummary(p.page), nullptr);
    }
    // Every detail, the clearing ones too, is also offered to the terminal of an unattended run.
    ASSERT_EQ(echoed.size(), 6u);
    EXPECT_EQ(echoed[0].first, Page::Backup);
    EXPECT_EQ(echoed[2].first, Page::Restore);
    EXPECT_EQ(echoed[4].first, Page::Merge);
    EXPECT_TRUE(echoed[5].second.isEmpty());
    Clock::clearFake();
    QLocale::setDefault(previousLocale);
}
