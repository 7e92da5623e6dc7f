#pragma once

#include <QString>

namespace ombrix {

// Compares two dotted version texts part by part as numbers (1.8.9.0 is older than 1.8.10.0):
// -1 when s1 is older than s2, 1 when newer, 0 when equal. Only as many parts as s1 has are
// compared, so extra parts of s2 are not looked at; a part s2 lacks, and a part that is not a
// decimal number, counts as 0. A garbled server answer therefore never looks newer than a real
// version.
int VersionCompare(const QString& s1, const QString& s2);

} // namespace ombrix
