#include "core/remote/FtpAddress.h"

namespace ombrix {

FtpAddress FtpAddress::parse(const QString& field)
{
    FtpAddress address;
    const QString text = field.trimmed();
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QString host = colon < 0 ? text : text.left(colon);
    if (host.isEmpty())
        return address;
    for (const QChar c : host) {
        if (c.isSpace() || c == QLatin1Char(':'))
            return address;
    }
    quint16 port = defaultPort;
    if (colon >= 0) {
        const QString portText = text.mid(colon + 1);
        if (portText.isEmpty() || portText.size() > 5)
            return address;
        uint value = 0;
        for (const QChar c : portText) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return address; // also a second ":" or a sign
            value = value * 10 + uint(c.unicode() - u'0');
        }
        if (value < 1 || value > 65535)
            return address;
        port = quint16(value);
    }
    address.host = host;
    address.port = port;
    address.valid = true;
    return address;
}

} // namespace ombrix
