#include "support/WorkerRuns.h"

#include <gtest/gtest.h>

namespace ombrix::test {
namespace {

// Stands in for `ombrix -start` while working on the harness (OMBRIX_E2E_ENGINE=1): the start-up
// steps of an unattended run and one press of START, in this process, on OMBRIX_HOME.
TEST(EngineWorker, Run)
{
    if (!qEnvironmentVariableIsSet("OMBRIX_E2E_WORKER"))
        GTEST_SKIP() << "runs only as a child of the integration tests";
    WorkerRuns::backup();
}

} // namespace
} // namespace ombrix::test
