#include "PageTestSupport.h"
#include "support/Screenshots.h"
#include "ui/mainwindow/DestinationPage.h"
#include "ui/mainwindow/IntroPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/settings/LinkLabel.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace ombrix;
using namespace ombrix::test;
using namespace ombrix::ui;

TEST(IntroPage, LanguageSelectorFlagsAndLinks)
{
    MainWindow window;
    window.show();
    window.showPage(MainWindow::IntroIndex);
    EXPECT_NE(child<QComboBox>(&window, "ComboBox3"), nullptr);
    EXPECT_EQ(child<QToolButton>(&window, "vlajka_cz")->toolTip(),
              QString::fromUtf8("Vybrat jazyk: čeština"));
    EXPECT_EQ(child<QToolButton>(&window, "vlajka_en")->toolTip(),
              QStringLiteral("Select language: english"));
    EXPECT_EQ(window.introPage()->languageSelector(), child<QComboBox>(&window, "ComboBox3"));

    QList<QUrl> opened;
    LinkLabel::setOpener([&](const QUrl& url) { opened << url; });
    QTest::mouseClick(child<LinkLabel>(&window, "Label23"), Qt::LeftButton);
    QTest::mouseClick(child<LinkLabel>(&window, "Label24"), Qt::LeftButton);
    // A release outside the label is no click.
    auto* web = child<LinkLabel>(&window, "Label23");
    QTest::mousePress(web, Qt::LeftButton);
    QTest::mouseRelease(web, Qt::LeftButton, {}, QPoint(web->width() + 50, 1));
    LinkLabel::setOpener({});
    ASSERT_EQ(opened.size(), 2);
    EXPECT_TRUE(opened[0].scheme().startsWith(QLatin1String("http")));
    EXPECT_EQ(opened[1].scheme(), QStringLiteral("mailto"));
    EXPECT_FALSE(opened[1].path().isEmpty());
}

// Every caption of the three pages is shown whole at 1024x768 without scrolling sideways, and a
// screenshot of each page is kept for a person to look at.
TEST(Pages, FitAt1024x768WithCaptionsUnclippedAndScreenshots)
{
    ConfigFixture config;
    ASSERT_TRUE(config.store->writeString(ConfigKeys::BACKUP_DIR, QStringLiteral("/media/zaloha/ombrix")));
    MainWindow window;
    window.destinationPage()->loadSettings(*config.store);
    window.settingsPage()->loadSettings(*config.store);
    window.resize(1024, 740);
    window.show();
    const struct
    {
        int index;
        const char* file;
    } pages[] = {
        {MainWindow::IntroIndex, "page0-uvod.png"},
        {MainWindow::DestinationIndex, "page2-kam-zalohovat.png"},
        {MainWindow::SettingsIndex, "page6-nastaveni.png"},
    };
    for (const auto& p : pages) {
        window.showPage(p.index);
        QCoreApplication::processEvents();
        QWidget* page = window.pages()->widget(p.index);
        for (QScrollArea* scroll : page->findChildren<QScrollArea*>()) {
            EXPECT_LE(scroll->widget()->minimumSizeHint().width(), scroll->viewport()->width()) << p.file;
            EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible()) << p.file;
        }
        for (QAbstractButton* button : page->findChildren<QAbstractButton*>()) {
            if (button->isVisible() && !button->text().isEmpty()) {
                EXPECT_GE(button->width(), button->sizeHint().width()) << button->objectName().toStdString();
            }
        }
        for (QLabel* label : page->findChildren<QLabel*>()) {
            if (label->isVisible() && !label->wordWrap()) {
                EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
            }
        }
        const QString path = screenshotPath(QLatin1String(p.file));
        ASSERT_TRUE(window.grab().save(path)) << path.toStdString();
        EXPECT_GT(QFileInfo(path).size(), 0);
    }
    // Bigger windows give the pages more room: the destination field grows with the window.
    window.showPage(MainWindow::DestinationIndex);
    QCoreApplication::processEvents();
    const int narrow = child<QWidget>(&window, "Edit1")->width();
    window.resize(1400, 1000);
    QCoreApplication::processEvents();
    EXPECT_GT(child<QWidget>(&window, "Edit1")->width(), narrow) << "the destination field keeps its width";
}
