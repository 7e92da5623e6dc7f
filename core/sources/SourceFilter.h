#pragma once

#include "core/sources/MaskList.h"
#include "core/sources/SourceEntry.h"

#include <QString>

namespace ombrix {

// A source entry's masks compiled once, for the scan that applies them to every file and folder
// below the entry. Names are bare file or folder names, never paths.
class SourceFilter
{
  public:
    SourceFilter() = default;
    explicit SourceFilter(const SourceEntry& entry);

    // False when the entry has a problem of its own or one of its masks is invalid; such an entry
    // is an invalid record of the source list.
    bool isValid() const { return m_error.isEmpty(); }
    // The entry's problem or the first invalid mask's error text.
    QString errorText() const { return m_error; }
    // Only the masks' verdict: the first invalid mask's error text, empty when all are valid. A
    // single-file entry ignores its masks, so this alone need not reject it.
    QString maskErrorText() const { return m_maskError; }

    bool includeSubdirs() const { return m_includeSubdirs; }

    // Taken when no include mask is given or one matches, and no exclude mask matches.
    bool takesFile(const MaskName& name) const;
    bool takesFile(QStringView name) const { return takesFile(MaskName(name)); }
    // A sub-folder is entered unless it matches a folder-exclusion mask.
    bool entersFolder(const MaskName& name) const;
    bool entersFolder(QStringView name) const { return entersFolder(MaskName(name)); }
    // The file is stored as a plain copy instead of a compressed archive.
    bool storesPlain(const MaskName& name) const;
    bool storesPlain(QStringView name) const { return storesPlain(MaskName(name)); }

  private:
    MaskList m_include;
    MaskList m_exclude;
    MaskList m_excludedDirs;
    MaskList m_noCompress;
    bool m_includeSubdirs = true;
    QString m_maskError;
    QString m_error;
};

} // namespace ombrix
