#include "support/WorkerRuns.h"

#include <gtest/gtest.h>

namespace ombrix::test {
namespace {

// One program start that restores (continues a pending restore, or starts the waiting one)
// on OMBRIX_HOME. Started and killed by the restore kill test.
TEST(CrashWorker, Restore)
{
    if (!qEnvironmentVariableIsSet("OMBRIX_CRASH_RESTORE_DIR"))
        GTEST_SKIP() << "runs only as a child of the restore kill test";
    EXPECT_TRUE(WorkerRuns::restore(qEnvironmentVariable("OMBRIX_CRASH_RESTORE_SET"),
                                    qEnvironmentVariable("OMBRIX_CRASH_RESTORE_DIR")));
}

// One program start that runs or continues the merge of the stored range on OMBRIX_HOME.
TEST(CrashWorker, Merge)
{
    if (!qEnvironmentVariableIsSet("OMBRIX_CRASH_MERGE"))
        GTEST_SKIP() << "runs only as a child of the merge kill test";
    EXPECT_TRUE(WorkerRuns::merge());
}

} // namespace
} // namespace ombrix::test
