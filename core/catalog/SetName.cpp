#include "core/catalog/SetName.h"

#include "core/util/Clock.h"

namespace ombrix::SetName {

namespace {

// Positions of the digits and separators of "OMX_yyyy-mm-dd_hh-nn-ss".
constexpr QStringView pattern = u"OMX_9999-99-99_99-99-99";

int number(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i)
        value = value * 10 + (text[i].unicode() - u'0');
    return value;
}

} // namespace

QString fromDateTime(const QDateTime& localTime)
{
    return prefix.toString() + localTime.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
}

QString now()
{
    return fromDateTime(Clock::currentDateTime());
}

QString laterThan(const QString& candidate, const QStringList& existing)
{
    QString latest;
    for (const QString& name : existing) {
        if (isValid(name) && name > latest)
            latest = name;
    }
    if (latest.isEmpty() || candidate > latest)
        return candidate;
    // The fields of a name are carried in a UTC value, so adding a second never meets a
    // daylight-saving gap.
    return prefix.toString() + toDateTime(latest).addSecs(1).toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
}

QDateTime toDateTime(QStringView name)
{
    if (name.size() != length)
        return {};
    for (qsizetype i = 0; i < length; ++i) {
        const QChar want = pattern[i];
        const QChar have = name[i];
        if (want == u'9' ? (have < u'0' || have > u'9') : have != want)
            return {};
    }
    const QDate date(number(name, 4, 4), number(name, 9, 2), number(name, 12, 2));
    const QTime time(number(name, 15, 2), number(name, 18, 2), number(name, 21, 2));
    if (!date.isValid() || !time.isValid())
        return {};
    // A UTC value keeps the fields as written: a local-time gap at a daylight change never
    // makes a written name invalid.
    return QDateTime(date, time, Qt::UTC);
}

bool isValid(QStringView name)
{
    return toDateTime(name).isValid();
}

QString withoutPrefix(const QString& name)
{
    return name.startsWith(prefix) ? name.mid(prefix.size()) : name;
}

} // namespace ombrix::SetName
