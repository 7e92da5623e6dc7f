#pragma once

#include "backup/ScanResult.h"

#include <QStringList>

namespace ombrix {

class Host;
class CatalogOrder;

// Turns the scan's files into the sorted catalog of a new set: one line per file naming
// setName, the X marker for plain copies, sorted by order with exact duplicates dropped (the
// same file reached through two entries). Shows the catalog's status line on the backup page,
// sets the progress and pumps every 100 files. Files whose path cannot be recorded in a catalog
// line are left out and listed in rejected, for the caller to log as not archived. The caller
// builds nothing when the scan requested a stop.
QStringList buildCatalog(const QList<ScannedFile>& files, const QString& setName, const CatalogOrder& order,
                         Host& host, QStringList* rejected = nullptr);

} // namespace ombrix
