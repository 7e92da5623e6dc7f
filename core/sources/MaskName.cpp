#include "core/sources/MaskName.h"

#include <QChar>

namespace ombrix {

MaskName::MaskName(QStringView name)
{
    const qsizetype n = name.size();
    m_chars.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = name[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(name[i + 1].unicode())) {
            m_chars.append(QChar::surrogateToUcs4(u, name[i + 1].unicode()));
            ++i;
        } else {
            m_chars.append(foldAsciiCase(u));
        }
    }
}

} // namespace ombrix
