#pragma once

#include <QString>

namespace ombrix {
class RunSummary;
}

namespace ombrix::ui {

// The word a scheduled run leaves in the notification area when it ends.
struct TrayMessage
{
    enum class Icon
    {
        Information,
        Warning,
        Critical,
    };

    Icon icon = Icon::Information;
    QString title;
    QString text;

    // From the run's summary when the page has one: success, a warning that counts the files not
    // dealt with, or an interruption with its reason (the summary's, else the status line's); the
    // status line follows as the text, the summary line under it. Without a summary the last
    // status line alone, under the program's name.
    static TrayMessage forRunEnd(const RunSummary* summary, const QString& statusText);

    bool operator==(const TrayMessage&) const = default;
};

} // namespace ombrix::ui
