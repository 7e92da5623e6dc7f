#include "ui/setlists/SetEntryDelegate.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QListWidget>
#include <QPixmap>

namespace ombrix::ui {

namespace {

// How many pixels of a row are exactly the colour.
int pixelsOf(const QImage& image, const QRect& row, const QColor& color)
{
    int count = 0;
    for (int y = row.top(); y <= row.bottom(); ++y) {
        for (int x = row.left(); x <= row.right(); ++x) {
            if (image.pixelColor(x, y).rgb() == color.rgb())
                ++count;
        }
    }
    return count;
}

} // namespace

TEST(SetEntryDelegateTest, ColoursAreTakenInBlueGreenRedOrder)
{
    EXPECT_EQ(SetEntryDelegate::fromBgr(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(SetEntryDelegate::fromBgr(0x008080), QColor(128, 128, 0));
    EXPECT_EQ(SetEntryDelegate::fromBgr(0xFF0000), QColor(0, 0, 255));
}

TEST(SetEntryDelegateTest, EntryIsDrawnInTheColourCachedUnderItsFullName)
{
    QHash<QString, quint32> cache;
    cache.insert(QStringLiteral("OMX_2024-01-02_10-00-00"), 0x0000FF);          // red
    cache.insert(QStringLiteral("OMX_2024-01-03_10-00-00 (merged)"), 0xFF0000); // a suffixed text
    QListWidget list;
    list.resize(300, 200);
    list.addItems({QStringLiteral("2024-01-02_10-00-00"), QStringLiteral("2024-01-03_10-00-00"),
                   QStringLiteral("2024-01-03_10-00-00 (merged)")});

    SetEntryDelegate::setColored(&list, cache, true);
    ASSERT_TRUE(SetEntryDelegate::isColored(&list));
    SetEntryDelegate::setColored(&list, cache, true); // a second switch keeps the one delegate
    ASSERT_TRUE(SetEntryDelegate::isColored(&list));
    const QImage colored = list.viewport()->grab().toImage();
    const QRect first = list.visualItemRect(list.item(0));
    const QRect second = list.visualItemRect(list.item(1));
    const QRect third = list.visualItemRect(list.item(2));
    EXPECT_GT(pixelsOf(colored, first, QColor(255, 0, 0)), 0);
    EXPECT_EQ(pixelsOf(colored, second, QColor(255, 0, 0)), 0);
    EXPECT_GT(pixelsOf(colored, third, QColor(0, 0, 255)), 0);

    SetEntryDelegate::setColored(&list, cache, false);
    EXPECT_FALSE(SetEntryDelegate::isColored(&list));
    const QImage plain = list.viewport()->grab().toImage();
    EXPECT_EQ(pixelsOf(plain, list.visualItemRect(list.item(0)), QColor(255, 0, 0)), 0);
}

} // namespace ombrix::ui
