#include "archive/SetLocation.h"

#include "core/catalog/SetLayout.h"

#include <QStringList>

namespace ombrix {

namespace {

bool isDotSegment(const QString& segment)
{
    return segment == QLatin1String(".") || segment == QLatin1String("..");
}

} // namespace

QString SetLocation::fileNameOf(const QString& filename)
{
    return SetLayout::storedName(filename, true);
}

SetLocation SetLocation::of(const QString& setName, const QString& filename)
{
    SetLocation location;
    if (setName.isEmpty() || isDotSegment(setName) || setName.contains(QLatin1Char('/')))
        return location;
    const QString name = fileNameOf(filename);
    if (name.isEmpty() || isDotSegment(name))
        return location;
    const QString folder = SetLayout::folderInSet(filename);
    const QStringList segments = folder.split(QLatin1Char('/'));
    for (const QString& segment : segments) {
        if (isDotSegment(segment))
            return location;
    }
    location.m_valid = true;
    location.m_folder = folder.isEmpty() ? setName : setName + QLatin1Char('/') + folder;
    location.m_name = name;
    return location;
}

QString SetLocation::entry(bool plainCopy) const
{
    if (!m_valid)
        return {};
    return m_folder + QLatin1Char('/') + m_name + (plainCopy ? QString() : QStringLiteral(".7z"));
}

} // namespace ombrix
