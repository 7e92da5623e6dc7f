#include "backup/CatalogBuilder.h"

#include "core/catalog/CatalogLine.h"
#include "core/catalog/CatalogOrder.h"
#include "core/host/Host.h"
#include "core/lang/Translator.h"
#include "core/log/Status.h"

namespace ombrix {

QStringList buildCatalog(const QList<ScannedFile>& files, const QString& setName, const CatalogOrder& order,
                         Host& host, QStringList* rejected)
{
    info(host, getLang(QStringLiteral("Vytváření seznamu zálohovaných souborů (archivlist.csv)")));
    const int last = int(files.size()) - 1;
    QStringList lines;
    lines.reserve(files.size());
    for (int i = 0; i < files.size(); ++i) {
        const ScannedFile& file = files.at(i);
        const QString line = CatalogLine::make(file.path, file.time, setName, file.plainCopy);
        if (line.isEmpty()) {
            if (rejected)
                rejected->append(file.path);
        } else {
            lines.append(line);
        }
        if (i % 100 == 0) {
            if (last > 0)
                host.setProgress(Page::Backup, last, i);
            host.pump();
        }
    }
    // Sorting once at the end gives the same list as inserting each line at its place, without
    // moving the list's tail on every insertion.
    order.sort(lines);
    return lines;
}

} // namespace ombrix
