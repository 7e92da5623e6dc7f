#include "ui/restoretree/TreeWindow.h"

#include "core/catalog/CatalogLine.h"
#include "core/text/TextFile.h"
#include "support/Screenshots.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace ombrix::ui {

namespace {

using State = TreeWindow::State;

QString line(const QString& path, bool plainCopy = false)
{
    return CatalogLine::make(path, QStringLiteral("2014-03-05-21-07-08"),
                             QStringLiteral("OMX_2014-03-05_21-07-09"), plainCopy);
}

// n lines below /home/user/Data, 100 files to a folder.
QStringList manyLines(int n)
{
    QStringList lines;
    lines.reserve(n);
    for (int i = 0; i < n; ++i)
        lines.append(line(
            QStringLiteral("/home/user/Data/d%1/file%2.txt").arg(i / 100, 4, 10, QLatin1Char('0')).arg(i)));
    return lines;
}

// The tree as an outline: two blanks per level, folders end in '/', files carry "#line".
void outline(const QTreeWidgetItem* item, int depth, QStringList& out)
{
    out.append(QString(depth * 2, u' ') + item->text(0) +
               (TreeWindow::isFolderNode(item)
                    ? QStringLiteral("/")
                    : QStringLiteral(" #") + QString::number(TreeWindow::lineOf(item))));
    for (int i = 0; i < item->childCount(); ++i)
        outline(item->child(i), depth + 1, out);
}

QStringList outlineOf(const TreeWindow& window)
{
    QStringList out;
    for (int i = 0; i < window.tree()->topLevelItemCount(); ++i)
        outline(window.tree()->topLevelItem(i), 0, out);
    return out;
}

qsizetype countFiles(const QTreeWidgetItem* item, bool tickedOnly = false)
{
    qsizetype n = 0;
    if (!TreeWindow::isFolderNode(item))
        return !tickedOnly || item->checkState(0) == Qt::Checked ? 1 : 0;
    for (int i = 0; i < item->childCount(); ++i)
        n += countFiles(item->child(i), tickedOnly);
    return n;
}

qsizetype fileNodes(const TreeWindow& window, bool tickedOnly = false)
{
    qsizetype n = 0;
    for (int i = 0; i < window.tree()->topLevelItemCount(); ++i)
        n += countFiles(window.tree()->topLevelItem(i), tickedOnly);
    return n;
}

QTreeWidgetItem* findNode(const TreeWindow& window, const QString& name)
{
    const auto found = window.tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

bool closable(const TreeWindow& window)
{
    return window.windowFlags().testFlag(Qt::WindowCloseButtonHint);
}

class TreeWindowTest : public ::testing::Test
{
  protected:
    QString listPath() const { return m_folder.file(QStringLiteral("recoverylist.csv")); }
    void writeList(const QStringList& lines) const
    {
        // As the archive browser leaves it: the set's catalog, UTF-8 with BOM.
        m_folder.write(QStringLiteral("recoverylist.csv"), TextFile::encodeUtf8Bom(lines));
    }

    static void openAndWait(TreeWindow& window)
    {
        window.show();
        // A gtest assertion: a QTest macro's failure would go unseen here.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return window.state() == State::Complete || window.state() == State::Stopped; }, 60000))
            << "the tree was neither complete nor stopped within 60 s";
        ASSERT_FALSE(window.isBuilding());
    }

    test::TempProgramFolder m_folder;
};

} // namespace

TEST_F(TreeWindowTest, UntickingAFolderKeepsTheOtherFilesInTreeOrder)
{
    const QStringList lines = {line(QStringLiteral("/A/x.txt")), line(QStringLiteral("/A/B/y.txt")),
                               line(QStringLiteral("/A/z.txt"), true)};
    writeList(lines);
    TreeWindow window(listPath());
    QSignalSpy applied(&window, &TreeWindow::selectionApplied);
    ASSERT_EQ(window.reloadButton()->text(), QStringLiteral("STOP"));
    ASSERT_FALSE(window.applyButton()->isEnabled());

    openAndWait(window);
    EXPECT_EQ(window.state(), State::Complete);
    EXPECT_EQ(outlineOf(window),
              (QStringList{QStringLiteral("//"), QStringLiteral("  A/"), QStringLiteral("    x.txt #0"),
                           QStringLiteral("    B/"), QStringLiteral("      y.txt #1"),
                           QStringLiteral("    z.txt #2")}));
    EXPECT_EQ(window.infoLabel()->text(), QStringLiteral("Strom je KOMPLETNÍ"));
    EXPECT_EQ(window.reloadButton()->text(), QStringLiteral("RELOAD"));
    EXPECT_TRUE(window.applyButton()->isEnabled());
    EXPECT_TRUE(closable(window));
    EXPECT_EQ(window.progressBar()->value(), 0);

    QTreeWidgetItem* folderB = findNode(window, QStringLiteral("B"));
    ASSERT_NE(folderB, nullptr);
    folderB->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(findNode(window, QStringLiteral("y.txt"))->checkState(0), Qt::Unchecked);
    EXPECT_EQ(findNode(window, QStringLiteral("A"))->checkState(0), Qt::PartiallyChecked);
    EXPECT_EQ(window.tree()->topLevelItem(0)->checkState(0), Qt::PartiallyChecked);

    QTest::mouseClick(window.applyButton(), Qt::LeftButton);
    EXPECT_EQ(applied.count(), 1);
    EXPECT_FALSE(window.isVisible());
    const QByteArray written = m_folder.read(QStringLiteral("recoverylist.csv"));
    EXPECT_EQ(written, TextFile::encodeLocal8Bit({lines.at(0), lines.at(2)}));
    // Marked for the next opening again.
    EXPECT_EQ(window.state(), State::Marked);
    EXPECT_EQ(window.reloadButton()->text(), QStringLiteral("STOP"));
    EXPECT_FALSE(window.applyButton()->isEnabled());
    EXPECT_FALSE(closable(window));

    // Opening again shows only the remaining files, all ticked.
    openAndWait(window);
    EXPECT_EQ(outlineOf(window),
              (QStringList{QStringLiteral("//"), QStringLiteral("  A/"), QStringLiteral("    x.txt #0"),
                           QStringLiteral("    z.txt #1")}));
    EXPECT_EQ(fileNodes(window, true), 2);
    EXPECT_EQ(window.tree()->topLevelItem(0)->checkState(0), Qt::Checked);
}

TEST_F(TreeWindowTest, AsAModalDialogItBuildsStaysOpenAndReturnsAcceptedOnApply)
{
    // The restore page opens the window with exec(): the border icons change while it is shown
    // (building -> complete) and that must not end the modal loop.
    writeList(manyLines(900));
    TreeWindow window(listPath());
    bool wasComplete = false;
    QTimer driver;
    driver.setInterval(0);
    QObject::connect(&driver, &QTimer::timeout, &window, [&] {
        if (window.state() != State::Complete || wasComplete)
            return;
        wasComplete = true;
        findNode(window, QStringLiteral("d0000"))->setCheckState(0, Qt::Unchecked);
        window.applyButton()->click();
    });
    driver.start();
    const int result = window.exec();
    driver.stop();
    EXPECT_TRUE(wasComplete);
    EXPECT_EQ(result, int(QDialog::Accepted));
    EXPECT_TRUE(TextFile::readLines(listPath()).lines == manyLines(900).mid(100));
}

TEST_F(TreeWindowTest, StopAfterTheFirst300LinesThenReloadBuildsFromTheStart)
{
    writeList(manyLines(1000));
    TreeWindow window(listPath());
    QList<int> reached;
    bool stopped = false;
    bool closableWhileBuilding = true;
    QStringList labels;
    QObject::connect(&window, &TreeWindow::buildProgress, &window, [&](int i, int maximum) {
        reached.append(i);
        labels.append(window.infoLabel()->text());
        EXPECT_EQ(maximum, 999);
        closableWhileBuilding = closableWhileBuilding && closable(window);
        EXPECT_EQ(window.reloadButton()->text(), QStringLiteral("STOP"));
        EXPECT_FALSE(window.applyButton()->isEnabled());
        if (i == 300 && !stopped) {
            stopped = true;
            QTest::mouseClick(window.reloadButton(), Qt::LeftButton);
        }
    });
    openAndWait(window);
    EXPECT_FALSE(closableWhileBuilding);
    EXPECT_EQ(reached, (QList<int>{0, 300}));
    EXPECT_EQ(labels.last(), QStringLiteral("Načítání položek stromu 300 / 999"));
    EXPECT_EQ(window.state(), State::Stopped);
    EXPECT_EQ(fileNodes(window), 300);
    EXPECT_EQ(window.infoLabel()->text(), QStringLiteral("Načítání stromu bylo přerušeno"));
    EXPECT_EQ(window.reloadButton()->text(), QStringLiteral("RELOAD"));
    EXPECT_TRUE(window.applyButton()->isEnabled());
    EXPECT_TRUE(closable(window));

    reached.clear();
    QTest::mouseClick(window.reloadButton(), Qt::LeftButton);
    EXPECT_EQ(window.state(), State::Complete);
    EXPECT_EQ(reached, (QList<int>{0, 300, 600, 900}));
    EXPECT_EQ(fileNodes(window), 1000);
    EXPECT_EQ(window.tree()->topLevelItemCount(), 1);
    EXPECT_EQ(findNode(window, QStringLiteral("d0009"))->childCount(), 100);
}

TEST_F(TreeWindowTest, ActivationDuringABuildStartsNoSecondBuild)
{
    writeList(manyLines(1000));
    TreeWindow window(listPath());
    int starts = 0;
    QObject::connect(&window, &TreeWindow::buildProgress, &window, [&](int i, int) {
        if (i == 0)
            ++starts;
        if (i == 300 && starts == 1) {
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(&window, &activate);
            window.loadTree();
            window.markForRebuild(); // a new set chosen meanwhile: this build ends, a new one follows
        }
    });
    openAndWait(window);
    EXPECT_EQ(window.state(), State::Complete);
    EXPECT_EQ(starts, 2);
    EXPECT_EQ(fileNodes(window), 1000);
}

TEST_F(TreeWindowTest, NothingTickedIsReportedAndTheListStaysAsItWas)
{
    writeList({line(QStringLiteral("/A/x.txt")), line(QStringLiteral("/A/y.txt"))});
    const QByteArray before = m_folder.read(QStringLiteral("recoverylist.csv"));
    TreeWindow window(listPath());
    QSignalSpy applied(&window, &TreeWindow::selectionApplied);
    QSignalSpy messages(&window, &TreeWindow::messageShown);
    openAndWait(window);
    window.tree()->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(fileNodes(window, true), 0);

    QTest::mouseClick(window.applyButton(), Qt::LeftButton);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.first().first().toString(), QStringLiteral("Nejprve vyberte složky nebo soubory"));
    EXPECT_EQ(window.lastMessage(), QStringLiteral("Nejprve vyberte složky nebo soubory"));
    EXPECT_EQ(window.infoLabel()->text(), QStringLiteral("Vyberte položky"));
    EXPECT_EQ(applied.count(), 0);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(m_folder.read(QStringLiteral("recoverylist.csv")), before);
}

TEST_F(TreeWindowTest, AMissingListLeavesTheWindowUsableAndWritesNothing)
{
    TreeWindow window(listPath());
    QSignalSpy applied(&window, &TreeWindow::selectionApplied);
    openAndWait(window);
    EXPECT_EQ(window.infoLabel()->text(), QStringLiteral("Chyba: nelze najít soubor recoverylist.csv"));
    EXPECT_EQ(window.tree()->topLevelItemCount(), 0);
    EXPECT_FALSE(window.applyButton()->isEnabled());
    EXPECT_TRUE(window.reloadButton()->isEnabled());
    EXPECT_TRUE(closable(window));
    EXPECT_FALSE(QFile::exists(listPath()));

    // The list appears: RELOAD builds it. Then it vanishes before "POUŽÍT": nothing is written.
    writeList({line(QStringLiteral("/A/x.txt"))});
    QTest::mouseClick(window.reloadButton(), Qt::LeftButton);
    ASSERT_EQ(window.state(), State::Complete);
    EXPECT_EQ(fileNodes(window), 1);
    ASSERT_TRUE(QFile::remove(listPath()));
    QTest::mouseClick(window.applyButton(), Qt::LeftButton);
    EXPECT_EQ(applied.count(), 0);
    EXPECT_FALSE(QFile::exists(listPath()));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.infoLabel()->text(), QStringLiteral("Chyba: nelze najít soubor recoverylist.csv"));

    window.reject();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TreeWindowTest, AListThatShrankSinceTheBuildIsNotCutWithStaleNumbers)
{
    writeList({line(QStringLiteral("/A/x.txt")), line(QStringLiteral("/A/y.txt"))});
    TreeWindow window(listPath());
    QSignalSpy applied(&window, &TreeWindow::selectionApplied);
    openAndWait(window);
    writeList({line(QStringLiteral("/C/other.txt"))});
    const QByteArray before = m_folder.read(QStringLiteral("recoverylist.csv"));
    QTest::mouseClick(window.applyButton(), Qt::LeftButton);
    EXPECT_EQ(applied.count(), 0);
    EXPECT_EQ(m_folder.read(QStringLiteral("recoverylist.csv")), before);
    EXPECT_TRUE(window.reloadButton()->isEnabled());
}

TEST_F(TreeWindowTest, GarbageInTheListGivesATreeNotACrash)
{
    // Invalid UTF-8, NUL bytes, a 1 MB line without a path separator, binary noise, and one
    // good line at the end that must still be offered under its own line number.
    QByteArray bytes("\xC3\x28\xA0\xA1 \x00\x00 x\r\n");
    bytes += QByteArray(1024 * 1024, 'a') + "\n";
    for (int i = 0; i < 4096; ++i)
        bytes += char((i * 37) % 256);
    bytes += "\r\n" + line(QStringLiteral("/A/good.txt")).toUtf8() + "\r\n";
    m_folder.write(QStringLiteral("recoverylist.csv"), bytes);
    const qsizetype goodLine = TextFile::readLines(listPath()).lines.size() - 1;

    TreeWindow window(listPath());
    openAndWait(window);
    EXPECT_EQ(window.state(), State::Complete);
    QTreeWidgetItem* good = findNode(window, QStringLiteral("good.txt"));
    ASSERT_NE(good, nullptr);
    EXPECT_EQ(TreeWindow::lineOf(good), goodLine);
}

TEST_F(TreeWindowTest, TheWindowCannotBeClosedWhileBuilding)
{
    writeList(manyLines(700));
    TreeWindow window(listPath());
    bool visibleAfterClose = false;
    QObject::connect(&window, &TreeWindow::buildProgress, &window, [&](int i, int) {
        if (i == 300) {
            window.close();
            window.reject();
            QTest::keyClick(&window, Qt::Key_Escape);
            visibleAfterClose = window.isVisible();
        }
    });
    openAndWait(window);
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_EQ(fileNodes(window), 700);
}

namespace {

// The window's controls as the layout placed them, and the window's size then.
struct TreeLayout
{
    QSize window;
    QRect tree;
    QRect progress;
    QRect apply;
    QRect reload;
    QRect info;
};

TreeLayout layoutOf(const TreeWindow& window)
{
    return {window.size(),
            window.tree()->geometry(),
            window.progressBar()->geometry(),
            window.applyButton()->geometry(),
            window.reloadButton()->geometry(),
            window.infoLabel()->geometry()};
}

} // namespace

// Growing the window gives all the room to the tree and the progress bar; the buttons and the
// label keep their place at the bottom right, and no control leaves the window or covers
// another, at a small size and at a large one.
TEST_F(TreeWindowTest, ControlsFollowTheWindowSize)
{
    TreeWindow window(listPath());
    window.resize(600, 400);
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isBuilding() && window.state() != State::Marked; }))
        << "the tree was not built within 5 s";
    const TreeLayout small = layoutOf(window);
    window.resize(900, 700);
    QCoreApplication::processEvents();
    const TreeLayout large = layoutOf(window);
    const int dx = large.window.width() - small.window.width();
    const int dy = large.window.height() - small.window.height();
    ASSERT_GT(dx, 0);
    ASSERT_GT(dy, 0);

    EXPECT_EQ(large.tree.topLeft(), small.tree.topLeft());
    EXPECT_EQ(large.tree.size(), small.tree.size() + QSize(dx, dy)) << "the tree does not take the room";
    EXPECT_EQ(large.progress.left(), small.progress.left());
    EXPECT_EQ(large.progress.width(), small.progress.width() + dx);
    EXPECT_EQ(large.progress.top(), small.progress.top() + dy);
    EXPECT_EQ(large.apply.topLeft(), small.apply.topLeft() + QPoint(dx, dy)) << "POUŽÍT left its corner";
    EXPECT_EQ(large.reload.topLeft(), small.reload.topLeft() + QPoint(dx, dy));
    EXPECT_EQ(large.info.top(), small.info.top() + dy);

    for (const TreeLayout& layout : {small, large}) {
        SCOPED_TRACE(std::to_string(layout.window.width()) + "x" + std::to_string(layout.window.height()));
        const QRect client(QPoint(0, 0), layout.window);
        for (const QRect& control : {layout.tree, layout.progress, layout.apply, layout.reload, layout.info})
            EXPECT_TRUE(client.contains(control)) << "a control reaches outside the window";
        for (const QRect& below : {layout.progress, layout.apply, layout.reload, layout.info})
            EXPECT_FALSE(layout.tree.intersects(below)) << "a control covers the tree";
        EXPECT_FALSE(layout.apply.intersects(layout.reload)) << "the two buttons overlap";
        EXPECT_FALSE(layout.progress.intersects(layout.reload)) << "the progress bar runs under a button";
    }
}

TEST_F(TreeWindowTest, AHundredThousandLinesShowProgressAndStopFromATimer)
{
    const int n = 100000;
    writeList(manyLines(n));
    TreeWindow window(listPath());

    // Sampled from a timer, as a person watching the window would see it.
    QSet<int> values;
    QSet<QString> labels;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, &window, [&] {
        if (!window.isBuilding())
            return;
        values.insert(window.progressBar()->value());
        labels.insert(window.infoLabel()->text());
        if (values.size() >= 4 && window.reloadButton()->text() == QStringLiteral("STOP"))
            QTest::mouseClick(window.reloadButton(), Qt::LeftButton);
    });
    watcher.start();
    openAndWait(window);
    watcher.stop();
    EXPECT_GE(values.size(), 4) << "the progress bar was not seen moving while the tree was built";
    EXPECT_GE(labels.size(), 4) << "the information label was not seen changing while the tree was built";
    EXPECT_EQ(window.state(), State::Stopped);
    EXPECT_EQ(window.infoLabel()->text(), QStringLiteral("Načítání stromu bylo přerušeno"));
    const qsizetype partial = fileNodes(window);
    EXPECT_GT(partial, 0);
    EXPECT_LT(partial, n);

    // The whole list.
    QTest::mouseClick(window.reloadButton(), Qt::LeftButton);
    ASSERT_EQ(window.state(), State::Complete);
    EXPECT_EQ(fileNodes(window), n);

    findNode(window, QStringLiteral("d0500"))->setCheckState(0, Qt::Unchecked);
    window.tree()->repaint();
    EXPECT_TRUE(window.grab().save(test::screenshotPath(QStringLiteral("tree_window.png"))));

    QTest::mouseClick(window.applyButton(), Qt::LeftButton);
    EXPECT_EQ(TextFile::readLines(listPath()).lines.size(), n - 100);
}

} // namespace ombrix::ui
