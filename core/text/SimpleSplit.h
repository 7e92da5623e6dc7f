#pragma once

#include <QString>
#include <QStringList>

namespace ombrix {

// Cuts text at every occurrence of delimiter, keeping empty pieces; the result always has at
// least one element ("" gives {""}, "a;" gives {"a", ""}).
QStringList simpleSplit(const QString& text, const QString& delimiter);

} // namespace ombrix
