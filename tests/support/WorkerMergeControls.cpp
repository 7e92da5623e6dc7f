#include "support/WorkerMergeControls.h"

#include "core/catalog/SetName.h"

namespace ombrix::test {

WorkerMergeControls::WorkerMergeControls(const QStringList& setFolders, const QString& from,
                                         const QString& to)
{
    for (const QString& set : setFolders) {
        const QString entry = SetName::withoutPrefix(set);
        if (!from.isEmpty() && !to.isEmpty() && entry >= from && entry <= to)
            m_selected << int(m_entries.size());
        m_entries << entry;
    }
}

} // namespace ombrix::test
