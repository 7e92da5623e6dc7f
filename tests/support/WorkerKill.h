#pragma once

#include "support/ArchiverWrapper.h"

#include <functional>
#include <QString>
#include <QStringList>
#include <vector>

namespace ombrix::test {

class WorkerProcess;

// One planned crash of a worker: the name of the step it hits (for messages), and either an
// archiver call to stop at (the occurrence'th matching call of that start) or, for a step that
// runs no child, a status text after which the worker kills itself at its occurrence'th pump.
struct KillPoint
{
    KillPoint(const QString& stepName, const ArchiverWrapper::Call& archiverCall, int callNumber = 1)
        : step(stepName), call(archiverCall), occurrence(callNumber)
    {
    }
    static KillPoint afterStatus(const QString& stepName, const QString& statusText, int pumps = 1)
    {
        KillPoint point(stepName, {}, pumps);
        point.status = statusText;
        return point;
    }

    QString step;
    ArchiverWrapper::Call call;
    int occurrence = 1;
    QString status;
};

// Starts the worker, lets it run up to the kill point and kills it there with SIGKILL. Returns
// whether the kill landed at that point: the paused archiver call was reached (its last argument
// goes to *target) and the call's process ended with the worker, or the worker killed itself
// after the status. A worker that ends before it gets there is a test failure with its output.
bool killWorkerAt(WorkerProcess& worker, ArchiverWrapper& wrapper, const KillPoint& point,
                  QString* target = nullptr);

// Kills the worker at each point in turn (every start going on where the previous one was cut
// off), checking after each kill that no helper process naming one of watchedFolders outlived it
// and that pending() holds, then lets one more start run to its end with the real archiver;
// false when a kill missed its point or that last start did not finish.
bool killAtEachAndFinish(WorkerProcess& worker, ArchiverWrapper& wrapper,
                         const std::vector<KillPoint>& points, const QStringList& watchedFolders,
                         const std::function<bool()>& pending);

} // namespace ombrix::test
