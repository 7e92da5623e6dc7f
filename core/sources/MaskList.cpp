#include "core/sources/MaskList.h"

namespace ombrix {

MaskList::MaskList(const QStringList& masks) : m_texts(masks)
{
    m_masks.reserve(size_t(masks.size()));
    for (const QString& text : masks) {
        m_masks.emplace_back(text);
        if (m_firstInvalid < 0 && !m_masks.back().isValid())
            m_firstInvalid = int(m_masks.size() - 1);
    }
}

QString MaskList::errorText() const
{
    return isValid() ? QString() : m_masks[size_t(m_firstInvalid)].errorText();
}

bool MaskList::matchesAny(const MaskName& name) const
{
    if (!isValid())
        return false;
    for (const Mask& mask : m_masks) {
        if (mask.matches(name))
            return true;
    }
    return false;
}

MaskMatch matchesAny(QStringView name, const QStringList& masks)
{
    const MaskList list(masks);
    MaskMatch result;
    result.error = list.errorText();
    result.matched = list.matchesAny(name);
    return result;
}

} // namespace ombrix
