#include "core/log/Status.h"

#include <algorithm>
#include <QElapsedTimer>
#include <QThread>

namespace ombrix {

namespace {

constexpr int headLength = 10;
// Longest rest between two pumps of sleepX; short enough that a click feels immediate.
constexpr int sleepSliceMs = 5;

void show(Host& host, Page page, const QString& text, bool clearHint)
{
    // The window keeps the whole text for a line the rule shortens (its tooltip, the outcome an
    // unattended run prints).
    host.setStatusFullText(page, text);
    host.showStatus(page, statusText(page, text));
    if (clearHint)
        host.setStatusHint(page, QString());
    host.pump();
}

} // namespace

int statusLimit(Page page)
{
    switch (page) {
    case Page::Backup:
        return 55;
    case Page::Restore:
        return 52;
    case Page::Merge:
        return 50;
    }
    return 50;
}

QString statusText(Page page, const QString& text)
{
    const int limit = statusLimit(page);
    QString shown = text;
    if (shown.size() > limit) {
        const int tail = limit - headLength + 1;
        shown = shown.left(headLength) + QStringLiteral("...") + shown.right(tail);
    }
    return QStringLiteral("  ") + shown;
}

void info(Host& host, const QString& text)
{
    show(host, Page::Backup, text, true);
}

void info2(Host& host, const QString& text)
{
    show(host, Page::Restore, text, true);
}

void info3(Host& host, const QString& text)
{
    show(host, Page::Merge, text, false);
}

void semafor(Host& host, int stav)
{
    host.setTrafficLight(stav >= 1 && stav <= 3 ? stav : 0);
}

void sleepX(Host& host, int milisekundy)
{
    if (milisekundy <= 0)
        return;
    QElapsedTimer timer;
    timer.start();
    while (true) {
        host.pump();
        const qint64 left = milisekundy - timer.elapsed();
        if (left <= 0)
            return;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, sleepSliceMs)));
    }
}

} // namespace ombrix
