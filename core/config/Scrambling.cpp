#include "core/config/Scrambling.h"

#include <QRandomGenerator>

namespace ombrix {

QString sifruj(const QString& plain)
{
    QRandomGenerator* random = QRandomGenerator::global();

    QString digits;
    for (qsizetype k = 1; k <= plain.size(); ++k) {
        const qint64 code = plain.at(k - 1).unicode();
        qint64 r = random->bounded(9);
        // The digit count must stay one digit; only a text of over a hundred million characters
        // could break that, and then the character is stored with r = 0.
        if (QString::number(code + k * r).size() > 9)
            r = 0;
        const QString value = QString::number(code + k * r);
        digits += QString::number(r);
        digits += QString::number(value.size());
        digits += value;
    }

    const qsizetype insertions = digits.size() / 3;
    for (qsizetype n = 0; n < insertions; ++n) {
        // In front of the a-th character, a in 1 .. length - 1: never after the last one.
        const qsizetype a = 1 + qsizetype(random->bounded(quint64(digits.size() - 1)));
        const QChar letter(u'A' + random->bounded(25));
        digits.insert(a - 1, letter);
    }

    QString result;
    result.reserve(digits.size() + digits.size() / 5);
    for (qsizetype j = 1; j <= digits.size(); ++j) {
        if (j > 1 && j < digits.size() && (j - 1) % 5 == 0)
            result += QLatin1Char('-');
        result += digits.at(j - 1);
    }
    return result;
}

QString desifruj(const QString& scrambled)
{
    QString t;
    t.reserve(scrambled.size());
    for (QChar c : scrambled) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            t += c;
    }

    QString result;
    qsizetype i = 0; // 0-based position of the group's r digit
    qint64 k = 1;
    while (i + 1 < t.size()) {
        const int r = t.at(i).unicode() - u'0';
        const int length = t.at(i + 1).unicode() - u'0';
        if (length == 0 || i + 2 + length > t.size())
            break;
        qint64 value = 0;
        for (qsizetype d = i + 2; d < i + 2 + length; ++d)
            value = value * 10 + (t.at(d).unicode() - u'0');
        const qint64 code = value - qint64(r) * k;
        if (code < 0 || code > 0xFFFF)
            break;
        result += QChar(char16_t(code));
        i += length + 2;
        ++k;
    }
    return result;
}

} // namespace ombrix
