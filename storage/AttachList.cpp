#include "storage/AttachList.h"

#include "storage/Destination.h"

namespace ombrix {

QStringList attachListEntries(Destination& destination)
{
    if (!destination.isOnline() || !destination.folderExists(QString()))
        return {};
    static const QLatin1StringView prefix("OMX_");
    QStringList entries;
    const QStringList sets = destination.listSetFolders();
    for (const QString& set : sets) {
        if (set.startsWith(prefix))
            entries.append(set.mid(prefix.size()));
    }
    return entries;
}

} // namespace ombrix
