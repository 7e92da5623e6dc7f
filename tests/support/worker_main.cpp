#include "support/WorkerRuns.h"

#include <csignal>
#include <cstdio>
#include <QCoreApplication>
#include <QStringList>

using namespace ombrix::test;

// One program start for the kill tests: `ombrix_test_worker backup|restore|merge` runs the engine
// the way a start of the program does, on the program folder OMBRIX_HOME names (see
// WorkerRuns). The parent test kills it at a chosen step and starts it again. Exit code 0 when
// the operation is done afterwards, 1 when it is still pending, 2 on a wrong call.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString mode = arguments.value(1);
    bool done = false;
    if (mode == QLatin1String("backup"))
        done = WorkerRuns::backup();
    else if (mode == QLatin1String("restore"))
        done = WorkerRuns::restore(qEnvironmentVariable("OMBRIX_WORKER_RESTORE_SET"),
                                   qEnvironmentVariable("OMBRIX_WORKER_RESTORE_DIR"));
    else if (mode == QLatin1String("merge"))
        done = WorkerRuns::merge();
    else {
        std::fprintf(stderr, "usage: ombrix_test_worker backup|restore|merge\n");
        return 2;
    }
    return done ? 0 : 1;
}
