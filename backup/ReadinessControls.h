#pragma once

#include "backup/StoredSettings.h"

namespace ombrix {

// What the readiness check hands to the window besides the backup page's own controls
// (BackupControls): the stored settings to show, and the points where the restore and merge
// parts take over. The hooks do nothing until those parts are wired in.
class ReadinessControls
{
  public:
    virtual ~ReadinessControls() = default;

    // Puts every loaded setting into its control.
    virtual void showStoredSettings(const StoredSettings& settings) = 0;
    // The source list of page 1 reloads sources.txt.
    virtual void reloadSourceList() {}

    // An interrupted restore is offered for continuation (or the restore page is reset).
    virtual void resumeRestoreAtStart() {}
    // An interrupted merge locks the other pages and waits on the merge page.
    virtual void resumeMergeAtStart() {}
};

} // namespace ombrix
