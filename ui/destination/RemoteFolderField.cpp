#include "ui/destination/RemoteFolderField.h"

namespace ombrix::ui {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

} // namespace

QString normalizeRemoteFolder(const QString& folder)
{
    if (folder.isEmpty())
        return folder;
    if (folder.size() == 1 && isSeparator(folder.front()))
        return QString();
    QString result = folder;
    if (isSeparator(result.front()))
        result.remove(0, 1);
    if (!result.isEmpty() && isSeparator(result.back()))
        result.chop(1);
    return result;
}

bool remoteFolderInsideSet(const QString& folder)
{
    return folder.contains(QLatin1String("OMX_"));
}

} // namespace ombrix::ui
