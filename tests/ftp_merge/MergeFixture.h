#pragma once

#include "merge/MergeRun.h"
#include "merge/MergeSetList.h"
#include "ServerChainFixture.h"
#include "support/TestMergeControls.h"

#include <QString>
#include <QStringList>

namespace ombrix::test {

// A chain A..E on the server and the merge page with its run on it.
class MergeFixture : public ServerChainFixture
{
  protected:
    // The merge page logic and the merge run on one set of page controls, as the window joins
    // them (the run's relisting goes to the page logic).
    struct MergeScreen
    {
        explicit MergeScreen(MergeFixture& fixture);

        // Lists the sets and clicks the entries first and last, as a person picks a range.
        void pick(int first, int last);

        TestMergeControls controls;
        MergeSetList setList;
        MergeRun run;
    };

    // A: x, y, z/z, many/m00.. (count files), a name with diacritics; B changes y, z and every
    // many/ file, adds w and r/refused.txt; C changes z; D removes w; E adds e.
    void makeChain(int many);
    // B..D merged into D: A, D and E are left, each restoring its own state, and the catalogs of
    // D and E name no set that is gone; nothing is left aside or half made on the server.
    void expectMergedChain();
    // A set name without "OMX_", as the merge page lists it.
    QString stamp(int i) const;
    // Catalog lines of set that name one of the sets in names.
    QStringList linesNaming(const QString& set, const QStringList& names);
};

} // namespace ombrix::test
