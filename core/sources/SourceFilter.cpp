#include "core/sources/SourceFilter.h"

namespace ombrix {

SourceFilter::SourceFilter(const SourceEntry& entry)
    : m_include(entry.includeMasks), m_exclude(entry.excludeMasks), m_excludedDirs(entry.excludedDirMasks),
      m_noCompress(entry.noCompressMasks), m_includeSubdirs(entry.includeSubdirs)
{
    for (const MaskList* list : {&m_include, &m_exclude, &m_excludedDirs, &m_noCompress}) {
        if (!list->isValid()) {
            m_maskError = list->errorText();
            break;
        }
    }
    m_error = entry.problem.isEmpty() ? m_maskError : entry.problem;
}

bool SourceFilter::takesFile(const MaskName& name) const
{
    if (!m_include.isEmpty() && !m_include.matchesAny(name))
        return false;
    return m_exclude.isEmpty() || !m_exclude.matchesAny(name);
}

bool SourceFilter::entersFolder(const MaskName& name) const
{
    return m_excludedDirs.isEmpty() || !m_excludedDirs.matchesAny(name);
}

bool SourceFilter::storesPlain(const MaskName& name) const
{
    return m_noCompress.matchesAny(name);
}

} // namespace ombrix
