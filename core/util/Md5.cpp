#include "core/util/Md5.h"

#include <QByteArray>
#include <QCryptographicHash>

namespace ombrix {

namespace {

QByteArray toSevenBitAscii(const QString& text)
{
    QByteArray ascii;
    ascii.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 128) {
            ascii.append(char(c.unicode()));
            continue;
        }
        ascii.append('?');
        // The two halves of a character outside the basic plane are one character.
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    return ascii;
}

} // namespace

QString MD5(const QString& AText)
{
    const QByteArray digest = QCryptographicHash::hash(toSevenBitAscii(AText), QCryptographicHash::Md5);
    return QString::fromLatin1(digest.toHex()).toUpper();
}

} // namespace ombrix
