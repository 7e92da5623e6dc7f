#include "ui/logviewer/LogViewer.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace ombrix::ui;

// The text area fills the window at the size it opens with and at every size it is given, has
// its scroll bar and cannot be edited; the window has only its close box.
TEST(LogViewer, TextAreaFillsTheWindowAtEverySizeAndIsReadOnly)
{
    LogViewer viewer;
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("LOG.TXT"));
    EXPECT_EQ(viewer.memo()->objectName(), QStringLiteral("Memo1"));
    EXPECT_TRUE(viewer.memo()->isReadOnly());
    EXPECT_EQ(viewer.memo()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(viewer.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(viewer.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(viewer.windowFlags() & Qt::WindowCloseButtonHint);

    // Enlarging the window enlarges the text area with it; it always fills the client area.
    viewer.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(viewer.memo()->geometry(), viewer.rect()) << "at the size the window opens with";
    viewer.resize(1000, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(viewer.memo()->geometry(), viewer.rect());
    viewer.resize(400, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(viewer.memo()->geometry(), viewer.rect());

    // Typing does not change the text.
    viewer.setLogText(QStringLiteral("fixed"));
    viewer.memo()->setFocus();
    QTest::keyClicks(viewer.memo(), QStringLiteral("xyz"));
    EXPECT_EQ(viewer.logText(), QStringLiteral("fixed"));
}

TEST(LogViewer, LoadsLogFilesAndKeepsTheTextBetweenShowings)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF"
               "Archiv: OMX_2024-05-06_10-01-00\r\nnot archived: "
               "/data/\xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD.txt\r\n");
    file.close();

    LogViewer viewer;
    ASSERT_TRUE(viewer.loadFile(path));
    const QString expected = QStringLiteral("Archiv: OMX_2024-05-06_10-01-00\nnot archived: /data/") +
                             QString::fromUtf8("žluťoučký.txt");
    EXPECT_EQ(viewer.logText(), expected);

    // The text was taken when loaded: removing the file changes nothing, and showing twice
    // shows the same text.
    QFile::remove(path);
    for (int showing = 0; showing < 2; ++showing) {
        QString seen;
        bool modal = false;
        QTimer::singleShot(0, &viewer, [&] {
            seen = viewer.memo()->toPlainText();
            modal = QApplication::activeModalWidget() == &viewer;
            viewer.close();
        });
        viewer.showModal();
        EXPECT_EQ(seen, expected);
        EXPECT_TRUE(modal);
    }

    // An unreadable file leaves an empty viewer, not the old text.
    EXPECT_FALSE(viewer.loadFile(dir.filePath(QStringLiteral("missing.txt"))));
    EXPECT_EQ(viewer.logText(), QString());
}
