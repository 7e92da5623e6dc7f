#include "restore/RecoveryTreeBuilder.h"

#include "core/catalog/CatalogLine.h"
#include "restore/RecoveryTreePath.h"

#include <gtest/gtest.h>
#include <QStringList>

namespace ombrix {

namespace {

const QString time = QStringLiteral("2014-03-05-21-07-08");
const QString set = QStringLiteral("OMX_2014-03-05_21-07-09");

QString line(const QString& path, bool plainCopy = false)
{
    return CatalogLine::make(path, time, set, plainCopy);
}

// Records the nodes as an indented outline: "name" for folders, "name #line" for files.
class OutlineSink : public RecoveryTreeBuilder::Sink
{
  public:
    struct Node
    {
        QString text;
        QList<int> children;
    };

    int addFolder(int parent, const QString& name) override
    {
        m_nodes.append({name + u'/', {}});
        const int handle = int(m_nodes.size() - 1);
        childrenOf(parent).append(handle);
        return handle;
    }

    void addFile(int parent, const QString& name, qsizetype line) override
    {
        m_nodes.append({name + QStringLiteral(" #") + QString::number(line), {}});
        childrenOf(parent).append(int(m_nodes.size() - 1));
    }

    QStringList outline() const
    {
        QStringList out;
        for (const int top : m_top)
            walk(top, 0, out);
        return out;
    }

  private:
    QList<int>& childrenOf(int parent) { return parent < 0 ? m_top : m_nodes[parent].children; }

    void walk(int node, int depth, QStringList& out) const
    {
        out.append(QString(depth * 2, u' ') + m_nodes.at(node).text);
        for (const int child : m_nodes.at(node).children)
            walk(child, depth + 1, out);
    }

    QList<Node> m_nodes;
    QList<int> m_top;
};

QStringList outlineOf(const QStringList& lines)
{
    OutlineSink sink;
    RecoveryTreeBuilder builder(sink);
    for (qsizetype i = 0; i < lines.size(); ++i)
        builder.addLine(i, lines.at(i));
    return sink.outline();
}

} // namespace

TEST(RecoveryTreeBuilderTest, FoldersAreMadeInOrderOfFirstUseAndChildrenKeepTheirOrder)
{
    const QStringList lines = {line(QStringLiteral("/A/x.txt")), line(QStringLiteral("/A/B/y.txt")),
                               line(QStringLiteral("/A/z.txt"))};
    EXPECT_EQ(outlineOf(lines),
              (QStringList{QStringLiteral("//"), QStringLiteral("  A/"), QStringLiteral("    x.txt #0"),
                           QStringLiteral("    B/"), QStringLiteral("      y.txt #1"),
                           QStringLiteral("    z.txt #2")}));
}

TEST(RecoveryTreeBuilderTest, LinuxHomePathsAndDriveFormsGetTheirOwnTopFolders)
{
    const QStringList lines = {line(QStringLiteral("/home/user/Data/b.txt")),
                               line(QStringLiteral("/home/user/a.txt")), line(QStringLiteral("/srv/c.txt")),
                               line(QStringLiteral("C:/Data/d.txt"))};
    EXPECT_EQ(outlineOf(lines),
              (QStringList{QStringLiteral("//"), QStringLiteral("  home/"), QStringLiteral("    user/"),
                           QStringLiteral("      Data/"), QStringLiteral("        b.txt #0"),
                           QStringLiteral("      a.txt #1"), QStringLiteral("  srv/"),
                           QStringLiteral("    c.txt #2"), QStringLiteral("C:/"), QStringLiteral("  Data/"),
                           QStringLiteral("    d.txt #3")}));
}

TEST(RecoveryTreeBuilderTest, PlainCopyLinesArePlacedByTheirPathLikeOthers)
{
    const QStringList lines = {line(QStringLiteral("/A/x.txt"), true), line(QStringLiteral("/A/X")),
                               line(QStringLiteral("/A/X"), true)};
    EXPECT_EQ(outlineOf(lines),
              (QStringList{QStringLiteral("//"), QStringLiteral("  A/"), QStringLiteral("    x.txt #0"),
                           QStringLiteral("    X #1"), QStringLiteral("    X #2")}));
}

TEST(RecoveryTreeBuilderTest, ARevisitedFolderIsFoundAgainNotMadeTwice)
{
    // Not sorted: /A/ comes back after /B/; the map must give the same node.
    const QStringList lines = {line(QStringLiteral("/A/a1")), line(QStringLiteral("/B/b1")),
                               line(QStringLiteral("/A/a2"))};
    EXPECT_EQ(outlineOf(lines), (QStringList{QStringLiteral("//"), QStringLiteral("  A/"),
                                             QStringLiteral("    a1 #0"), QStringLiteral("    a2 #2"),
                                             QStringLiteral("  B/"), QStringLiteral("    b1 #1")}));
}

TEST(RecoveryTreeBuilderTest, DamagedLinesAreSkippedWithoutHarm)
{
    // Blank, short, NUL-bearing and separator-less lines: nothing crashes, the numbers of the
    // good lines stay their list numbers.
    const QString nul = line(QStringLiteral("/A/n")).replace(u'n', QChar(0));
    const QStringList lines = {
        QString(), QStringLiteral("\"short\""),       line(QStringLiteral("/A/ok.txt")),
        nul,       line(QStringLiteral("plain.txt")), QString(300, u'\\')};
    OutlineSink sink;
    RecoveryTreeBuilder builder(sink);
    EXPECT_FALSE(builder.addLine(0, lines.at(0)));
    EXPECT_FALSE(builder.addLine(1, lines.at(1)));
    EXPECT_TRUE(builder.addLine(2, lines.at(2)));
    for (qsizetype i = 3; i < lines.size(); ++i)
        builder.addLine(i, lines.at(i));
    const QStringList outline = sink.outline();
    EXPECT_TRUE(outline.contains(QStringLiteral("    ok.txt #2")));
    EXPECT_TRUE(outline.contains(QStringLiteral("plain.txt #4"))); // no folder: at the top
}

TEST(RecoveryTreePathTest, FolderKeysSplitIntoParentAndShownName)
{
    struct Case
    {
        QString folder, parent, name;
    };
    const QList<Case> cases = {
        {QStringLiteral("/"), QString(), QStringLiteral("/")},
        {QStringLiteral("/home/"), QStringLiteral("/"), QStringLiteral("home")},
        {QStringLiteral("/home/user/"), QStringLiteral("/home/"), QStringLiteral("user")},
        {QStringLiteral("C:/"), QString(), QStringLiteral("C:")},
        {QStringLiteral("C:/A/"), QStringLiteral("C:/"), QStringLiteral("A")},
        {QStringLiteral("//"), QStringLiteral("/"), QString()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RecoveryTreePath::parentFolder(c.folder), c.parent) << c.folder.toStdString();
        EXPECT_EQ(RecoveryTreePath::folderName(c.folder), c.name) << c.folder.toStdString();
    }
}

TEST(RecoveryTreePathTest, LineSplitsIntoFolderAndName)
{
    const auto plain = RecoveryTreePath::splitLine(line(QStringLiteral("/home/u/a b;c\".txt")));
    EXPECT_TRUE(plain.ok);
    EXPECT_EQ(plain.folder, QStringLiteral("/home/u/"));
    EXPECT_EQ(plain.name, QStringLiteral("a b;c\".txt"));
    const auto marked = RecoveryTreePath::splitLine(line(QStringLiteral("/home/u/X"), true));
    EXPECT_EQ(marked.folder, QStringLiteral("/home/u/"));
    EXPECT_EQ(marked.name, QStringLiteral("X"));
    EXPECT_FALSE(RecoveryTreePath::splitLine(QStringLiteral("\"/a\"")).ok);
}

} // namespace ombrix
