#pragma once

#include "support/ArchiverWrapper.h"
#include "support/RestoreFixture.h"
#include "support/WorkerKill.h"
#include "support/WorkerProcess.h"

#include <functional>
#include <QString>
#include <QStringList>
#include <vector>

namespace ombrix::test {

// A backup chain on a real destination, and worker processes that restore or merge on it and
// are killed with SIGKILL at chosen steps before one is let run to its end.
class CrashResumeFixture : public RestoreFixture
{
  protected:
    void SetUp() override;

    // Sets full -> changes -> deletions -> changes -> additions (sets[0..4], states[0..4]).
    void makeChain();

    // Kills the worker at each point in turn (every start going on where the previous one was
    // cut off), checking after each kill that no helper process outlived it and that
    // pending() holds, then lets one more start run to its end; false when that did not finish.
    bool killAtEachAndFinish(WorkerProcess& worker, const std::vector<KillPoint>& points,
                             const std::function<bool()>& pending);

    // The folders a run may not leave work files or helper processes in.
    QStringList watchedFolders() const;
    void expectNothingLeft(const QStringList& extraFolders = {}) const;

    // A copy of folder (recursive); false when anything failed.
    static bool copyFolder(const QString& from, const QString& to);

    QStringList sets;
    std::vector<Tree> states;
    ArchiverWrapper wrapper;
};

} // namespace ombrix::test
