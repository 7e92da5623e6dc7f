#include "core/app/AutoStartAction.h"

namespace ombrix::app {

AutoStartAction autoStartAction(bool sumDone, bool recoveryDone)
{
    if (!sumDone)
        return AutoStartAction::ContinueMerge;
    if (recoveryDone)
        return AutoStartAction::StartBackup;
    return AutoStartAction::None;
}

} // namespace ombrix::app
