#include "core/catalog/CatalogTime.h"

namespace ombrix::CatalogTime {

namespace {

constexpr QStringView pattern = u"9999-99-99-99-99-99";

int number(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i)
        value = value * 10 + (text[i].unicode() - u'0');
    return value;
}

void appendNumber(QString& out, int value, int width)
{
    out += QString::number(value).rightJustified(width, u'0');
}

} // namespace

QString fromFileTime(const QDateTime& lastWrite, int utcOffsetSeconds, bool subtractDaylightHour)
{
    if (!lastWrite.isValid())
        return {};
    const QDateTime shifted =
        lastWrite.toUTC().addSecs(qint64(utcOffsetSeconds) - (subtractDaylightHour ? 3600 : 0));
    const QDate date = shifted.date();
    const QTime time = shifted.time();
    if (date.year() < firstYear || date.year() > lastYear)
        return {};
    QString out;
    out.reserve(length);
    appendNumber(out, date.year(), 4);
    for (const int part : {date.month(), date.day(), time.hour(), time.minute(), time.second() & ~1}) {
        out += u'-';
        appendNumber(out, part, 2);
    }
    return out;
}

bool isValid(QStringView time)
{
    if (time.size() != length)
        return false;
    for (qsizetype i = 0; i < length; ++i) {
        const QChar want = pattern[i];
        const QChar have = time[i];
        if (want == u'9' ? (have < u'0' || have > u'9') : have != want)
            return false;
    }
    return QDate(number(time, 0, 4), number(time, 5, 2), number(time, 8, 2)).isValid() &&
           QTime::isValid(number(time, 11, 2), number(time, 14, 2), number(time, 17, 2));
}

QString unsettled(QStringView time)
{
    QString out = time.toString();
    if (!isValid(time))
        return out;
    const int second = number(time, 17, 2);
    out.replace(17, 2, QString::number(second | 1).rightJustified(2, u'0'));
    return out;
}

} // namespace ombrix::CatalogTime
