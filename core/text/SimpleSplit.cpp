#include "core/text/SimpleSplit.h"

namespace ombrix {

QStringList simpleSplit(const QString& text, const QString& delimiter)
{
    if (delimiter.isEmpty())
        return {text};
    return text.split(delimiter, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

} // namespace ombrix
