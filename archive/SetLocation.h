#pragma once

#include <QString>

namespace ombrix {

// Where a file's archive or plain copy lies inside an archive set, relative to the destination
// root (the layout of SetLayout): /home/a/x.txt in set S lies at S/home/a/x.txt.7z; a bare side
// file name such as "log.txt" lies in the set folder itself. Paths that would lead out of the
// set folder are refused, so a damaged or hostile catalog line can never make the engines write,
// read or delete anything outside the set.
class SetLocation
{
  public:
    // Fails (valid() false) for an empty set or file name and for any path that would leave the
    // set folder ("." or ".." segments, a "/" in the set name).
    static SetLocation of(const QString& setName, const QString& filename);

    bool valid() const { return m_valid; }
    // The file's folder inside the set, e.g. "OMX_.../home/a".
    const QString& folder() const { return m_folder; }
    // The file's own name with extension.
    const QString& name() const { return m_name; }
    // The archive ("1" not given) or the plain copy ("1").
    QString entry(bool plainCopy) const;
    QString archivePath() const { return entry(false); }
    QString plainCopyPath() const { return entry(true); }

    // The file name of a path (the text after the last "/").
    static QString fileNameOf(const QString& filename);

  private:
    bool m_valid = false;
    QString m_folder;
    QString m_name;
};

} // namespace ombrix
