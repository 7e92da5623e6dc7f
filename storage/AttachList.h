#pragma once

#include <QStringList>

namespace ombrix {

class Destination;

// The entries of the attach list (ComboBox1 on the backup page): the archive sets directly in the
// destination root, each without its "OMX_" prefix ("2023-01-01_10-00-00"), oldest first. Empty
// when the destination cannot be asked or its root folder does not exist, so an unreachable
// destination gives an empty list rather than an error.
QStringList attachListEntries(Destination& destination);

} // namespace ombrix
