#include "archive/ArchiveChecks.h"

#include "archive/ArchiverRunner.h"
#include "core/archiver/ArchiverCommands.h"
#include "core/archiver/ArchiverOutput.h"

#include <QFileInfo>

namespace ombrix {

bool testZip(ArchiverRunner& runner, const QString& soubor, const QString& archivePassword)
{
    if (!QFileInfo(soubor).isFile())
        return false;
    const ArchiverRunner::Output output = runner.runForOutput(
        ArchiverCommands::listForTest(QFileInfo(soubor).absoluteFilePath(), archivePassword));
    return output.exists && ArchiverOutput::listsOneFile(output.lines);
}

bool TestFile(const QString& filename, qint64 velikost)
{
    const QFileInfo info(filename);
    if (filename.isEmpty() || !info.isFile())
        return false;
    return velikost <= 0 || info.size() == velikost;
}

} // namespace ombrix
