#include "MergeFixture.h"

#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"

namespace ombrix::test {

MergeFixture::MergeScreen::MergeScreen(MergeFixture& fixture)
    : setList(fixture.host, controls, *fixture.config, fixture.runState, *fixture.destination),
      run(fixture.host, controls, *fixture.config, *fixture.runLog, fixture.runState, fixture.archiveState,
          *fixture.destination)
{
    controls.setList = &setList;
    run.setPausePercent(0);
}

void MergeFixture::MergeScreen::pick(int first, int last)
{
    setList.listMergeSets();
    setList.pickMergeBoundary(first);
    setList.pickMergeBoundary(last);
}

void MergeFixture::makeChain(int many)
{
    const auto manyName = [](int i) {
        return QStringLiteral("many/m%1.txt").arg(i, 2, 10, QLatin1Char('0'));
    };
    writeSource(QStringLiteral("x.txt"), "x from A");
    writeSource(QStringLiteral("y.txt"), "y from A");
    writeSource(QStringLiteral("z/z.txt"), "z from A");
    writeSource(QString::fromUtf8("Žluťoučký kůň.txt"), "a name the server gets transliterated");
    for (int i = 0; i < many; ++i)
        writeSource(manyName(i), "m from A");
    addSet();
    writeSource(QStringLiteral("y.txt"), "y from B");
    writeSource(QStringLiteral("z/z.txt"), "z from B");
    writeSource(QStringLiteral("w.txt"), "w from B");
    writeSource(QStringLiteral("r/refused.txt"), "added in B");
    for (int i = 0; i < many; ++i)
        writeSource(manyName(i), "m from B");
    addSet();
    writeSource(QStringLiteral("z/z.txt"), "z from C");
    addSet();
    removeSource(QStringLiteral("w.txt"));
    addSet();
    writeSource(QStringLiteral("e.txt"), "new in E");
    addSet();
    ASSERT_EQ(sets.size(), 5);
    ASSERT_FALSE(sets.contains(QString()));
    ASSERT_EQ(serverSets(), sets);
}

void MergeFixture::expectMergedChain()
{
    EXPECT_EQ(serverSets(), (QStringList{sets[0], sets[3], sets[4]}));
    EXPECT_EQ(restoreStored(sets[0]), states[0]);
    EXPECT_EQ(restoreStored(sets[3]), states[3]);
    EXPECT_EQ(restoreStored(sets[4]), states[4]);
    EXPECT_TRUE(linesNaming(sets[3], {sets[1], sets[2]}).isEmpty());
    EXPECT_TRUE(linesNaming(sets[4], {sets[1], sets[2]}).isEmpty());
    EXPECT_EQ(config->readInt(ConfigKeys::SUM_DONE, 0), 1);
    EXPECT_EQ(serverFilesEndingWith(QStringLiteral(".previous")), QStringList());
    EXPECT_EQ(serverFilesEndingWith(QStringLiteral(".tmp")), QStringList());
}

QString MergeFixture::stamp(int i) const
{
    return SetName::withoutPrefix(sets[i]);
}

QStringList MergeFixture::linesNaming(const QString& set, const QStringList& names)
{
    QStringList found;
    for (const QString& line : storedCatalog(set)) {
        if (names.contains(catalogField(line, CatalogLine::Set)))
            found << line;
    }
    return found;
}

} // namespace ombrix::test
