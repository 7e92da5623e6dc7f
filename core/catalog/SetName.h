#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace ombrix {

// Archive-set names: "OMX_" + yyyy-mm-dd + "_" + hh-nn-ss, always 23 characters, so sorting the
// names alphabetically sorts the sets by the time their run started.
namespace SetName {

inline constexpr qsizetype length = 23;
inline constexpr QStringView prefix = u"OMX_";

// The name for a run started at this local time (its date and clock fields as shown).
QString fromDateTime(const QDateTime& localTime);
// The name for a run starting now (Clock).
QString now();
// A name for a new set: candidate when it sorts after every name of existing, else one second
// after the latest of them. Runs started within one second, or after the clock went back, still
// get a set of their own that sorts after every set before them. Names in existing that are not
// set names are ignored.
QString laterThan(const QString& candidate, const QStringList& existing);
// True for a well-formed name that denotes a real date and time.
bool isValid(QStringView name);
// The date and time fields of a valid name (carried in a UTC value); invalid otherwise.
QDateTime toDateTime(QStringView name);
// Folder lists show sets without their "OMX_": "2014-03-05_21-07-09". Unchanged when the
// name does not start with the prefix.
QString withoutPrefix(const QString& name);

} // namespace SetName
} // namespace ombrix
