#pragma once

#include <QString>

namespace ombrix::test {

// What one start of the program does in a worker process, on the program folder OMBRIX_HOME
// names: the engines are made fresh as at a program start (the log of an interrupted run is
// loaded, work files are removed), then the button of one page is pressed once. A parent test
// kills the worker at random moments and starts it again to prove the runs resume.
class WorkerRuns
{
  public:
    // The readiness check and one press of START, as `ombrix -start` does. True when the backup
    // completed (LAST_BACKUP_DONE is 1).
    static bool backup();
    // The start-up offer of a pending restore and its continuation; without a pending restore,
    // a new restore of set below folder when recoverylist.csv is there. True when no restore is
    // pending afterwards (RECOVERY_DONE is 1). With BACKUP_DESTINATION FTP the sets are read
    // from the server of the BACKUP_FTP_* keys.
    static bool restore(const QString& set, const QString& folder);
    // The merge of the stored range (SUM_FROM to SUM_TO among the sets still on the destination),
    // continued or started; nothing when no range is stored. True when SUM_DONE is 1 afterwards.
    // With BACKUP_DESTINATION FTP the merge works on the server of the BACKUP_FTP_* keys.
    static bool merge();
};

} // namespace ombrix::test
