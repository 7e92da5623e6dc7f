#pragma once

#include "support/RestoreFixture.h"
#include "support/WorkerProcess.h"

#include <functional>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <vector>

namespace ombrix::test {

// A backup chain on a real destination, and worker processes that restore or merge on it and
// are killed with SIGKILL at random moments before one is let run to its end.
class CrashResumeFixture : public RestoreFixture
{
  protected:
    void SetUp() override;

    // Sets full -> changes -> deletions -> changes -> additions (sets[0..4], states[0..4]).
    void makeChain();

    // How the kills of one series went.
    struct Series
    {
        int kills = 0; // starts killed before they ended
        int cutIn = 0; // kills that left the operation pending
        bool finished = false;
        QByteArray output;
    };
    // Starts the worker `kills` times, killing each start after a random time below spanMs, and
    // then once more to its end. pending() says whether the operation is unfinished. After every
    // kill no helper process may still work on the test's folders.
    Series killAndFinish(WorkerProcess& worker, int kills, int spanMs, const std::function<bool()>& pending);
    // Runs the worker to its end and answers how long it took (ms), at least minimumMs.
    int timedRun(WorkerProcess& worker, int minimumMs = 100);

    // The folders a run may not leave work files or helper processes in.
    QStringList watchedFolders() const;
    void expectNothingLeft(const QStringList& extraFolders = {}) const;

    // A copy of folder (recursive); false when anything failed.
    static bool copyFolder(const QString& from, const QString& to);

    QStringList sets;
    std::vector<Tree> states;
    QRandomGenerator random{20251210};
};

} // namespace ombrix::test
