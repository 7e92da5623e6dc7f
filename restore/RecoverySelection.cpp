#include "restore/RecoverySelection.h"

#include "core/text/TextFile.h"

#include <QFileInfo>
#include <QStringList>

namespace ombrix::RecoverySelection {

Result rewrite(const QString& listPath, const QList<qsizetype>& chosen, const Progress& progress)
{
    Result result;
    if (!QFileInfo(listPath).isFile()) {
        result.status = Status::ListMissing;
        return result;
    }
    const TextFile::ReadResult list = TextFile::readLines(listPath);
    if (!list.ok) {
        result.status = Status::ListMissing;
        return result;
    }
    if (chosen.isEmpty()) {
        result.status = Status::NothingChosen;
        return result;
    }
    for (const qsizetype number : chosen) {
        if (number < 0 || number >= list.lines.size()) {
            result.status = Status::UnknownLine;
            return result;
        }
    }
    QStringList reduced;
    reduced.reserve(chosen.size());
    for (qsizetype i = 0; i < chosen.size(); ++i) {
        if (progress && i % 100 == 0)
            progress(i, chosen.size());
        reduced.append(list.lines.at(chosen.at(i)));
    }
    // The progress callback lets events run: the list may have been removed meanwhile (a reset of
    // the restore). It must not come back.
    if (!QFileInfo(listPath).isFile()) {
        result.status = Status::ListMissing;
        return result;
    }
    if (!TextFile::writeAtomically(listPath, TextFile::encodeLocal8Bit(reduced))) {
        result.status = Status::WriteFailed;
        return result;
    }
    result.status = Status::Written;
    result.lines = reduced.size();
    return result;
}

} // namespace ombrix::RecoverySelection
