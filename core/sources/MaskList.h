#pragma once

#include "core/sources/Mask.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace ombrix {

// The outcome of testing one name against a list of masks.
struct MaskMatch
{
    bool matched = false;
    QString error; // the first invalid mask's error text; then `matched` is false

    bool ok() const { return error.isEmpty(); }
};

// A list of masks compiled once (one source entry's `includeMasks`, `excludeMasks`, ...), tested
// against many names during a scan.
class MaskList
{
  public:
    MaskList() = default;
    explicit MaskList(const QStringList& masks);

    const QStringList& masks() const { return m_texts; }
    bool isEmpty() const { return m_masks.empty(); }
    bool isValid() const { return m_firstInvalid < 0; }
    // Error text of the first invalid mask, empty when every mask is valid.
    QString errorText() const;

    // True when the name matches at least one mask; false for an empty list and for a list
    // holding an invalid mask (which never matches anything).
    bool matchesAny(const MaskName& name) const;
    bool matchesAny(QStringView name) const { return matchesAny(MaskName(name)); }

  private:
    QStringList m_texts;
    std::vector<Mask> m_masks;
    int m_firstInvalid = -1;
};

// One-off test of a name against mask texts. A list that holds an invalid mask gives its error
// instead of a match, so a broken mask is reported rather than silently ignored.
MaskMatch matchesAny(QStringView name, const QStringList& masks);

} // namespace ombrix
