#include "ui/mainwindow/TrayMessage.h"

#include "core/lang/Translator.h"
#include "core/util/RunSummary.h"

#include <QStringList>

namespace ombrix::ui {

namespace {

QString titled(const QString& verdict)
{
    return QStringLiteral("Ombrix: ") + verdict;
}

} // namespace

TrayMessage TrayMessage::forRunEnd(const RunSummary* summary, const QString& statusText)
{
    TrayMessage message;
    QStringList lines;
    if (!summary) {
        message.title = QStringLiteral("Ombrix");
        message.text = statusText.trimmed();
        return message;
    }
    QString first = statusText.trimmed();
    switch (summary->verdict()) {
    case RunSummary::Verdict::Success:
        message.icon = Icon::Information;
        message.title = titled(getLang(QStringLiteral("Úspěšně dokončeno")));
        break;
    case RunSummary::Verdict::Warning:
        message.icon = Icon::Warning;
        message.title = titled(getLang(QStringLiteral("Dokončeno s varováním")));
        break;
    case RunSummary::Verdict::Interrupted:
        message.icon = Icon::Critical;
        message.title = titled(getLang(QStringLiteral("Přerušeno")));
        if (!summary->reason().trimmed().isEmpty())
            first = summary->reason().trimmed();
        break;
    }
    if (!first.isEmpty())
        lines << first;
    lines << summary->line();
    message.text = lines.join(QLatin1Char('\n'));
    return message;
}

} // namespace ombrix::ui
