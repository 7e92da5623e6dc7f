#include "core/log/Status.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>

using namespace ombrix;
using ombrix::test::RecordingHost;

namespace {

// Records the order of the calls that make one status line.
class OrderHost : public RecordingHost
{
  public:
    void setStatusFullText(Page page, const QString& fullText) override
    {
        calls << QStringLiteral("full:") + fullText;
        RecordingHost::setStatusFullText(page, fullText);
    }
    void showStatus(Page page, const QString& shownText) override
    {
        calls << QStringLiteral("shown:") + shownText;
        RecordingHost::showStatus(page, shownText);
    }

    QStringList calls;
};

} // namespace

// Each status call hands the host the whole text right before the line it shows, so a window
// can offer a shortened line whole; the shown line itself is cut exactly as the rule says.
TEST(StatusFullText, EveryStatusAnnouncesItsWholeTextBeforeItsLine)
{
    const struct
    {
        Page page;
        void (*show)(Host&, const QString&);
    } pages[] = {{Page::Backup, &info}, {Page::Restore, &info2}, {Page::Merge, &info3}};
    for (const auto& p : pages) {
        OrderHost host;
        const QString whole = QStringLiteral("/home/eva/Documents/") + QStringLiteral("n").repeated(60);
        p.show(host, whole);
        EXPECT_EQ(host.calls, QStringList({QStringLiteral("full:") + whole,
                                           QStringLiteral("shown:") + statusText(p.page, whole)}));
        EXPECT_EQ(host.fullTexts(p.page), QStringList{whole});
        EXPECT_EQ(host.currentStatus(p.page), QStringLiteral("  ") + whole.left(10) + QStringLiteral("...") +
                                                  whole.right(statusLimit(p.page) - 9));
    }
}
