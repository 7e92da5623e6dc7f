#include "core/app/RunMode.h"

namespace ombrix::app {

RunMode runModeFromArguments(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return RunMode::Interactive;
    const QString& first = arguments.at(1);
    if (first == QLatin1String("-start"))
        return RunMode::Scheduled;
    if (first == QLatin1String("-checklang"))
        return RunMode::CheckLang;
    return RunMode::Interactive;
}

bool isUnattended(RunMode mode, bool autoStartChecked)
{
    return mode == RunMode::Scheduled || autoStartChecked;
}

} // namespace ombrix::app
