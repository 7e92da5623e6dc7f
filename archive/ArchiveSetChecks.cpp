#include "archive/ArchiveSetChecks.h"

#include "archive/ArchiverRunner.h"
#include "archive/ArchiveState.h"
#include "archive/SetLocation.h"
#include "core/archiver/ArchiverCommands.h"
#include "core/archiver/ArchiverOutput.h"
#include "core/host/Host.h"
#include "platform/ProgramFolder.h"
#include "storage/Destination.h"

#include <QElapsedTimer>
#include <QFile>

namespace ombrix {

namespace {

const QString catalogFile = QStringLiteral("archivlist.csv");
const QString runLogFile = QStringLiteral("log.txt");
const QString catalogDownload = QStringLiteral("archivlist.csv.7z.tmp");
const QString runLogDownload = QStringLiteral("log.txt.7z.tmp");
const QString archiveKind = QStringLiteral("0");

bool listsAnItem(const QStringList& lines)
{
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("Encrypted = ")))
            return true;
    }
    return false;
}

bool testedClean(const QStringList& lines)
{
    return lines.contains(QStringLiteral("Everything is Ok"));
}

} // namespace

ArchiveSetChecks::ArchiveSetChecks(Destination& destination, ArchiverRunner& runner, Host& host,
                                   ArchiveState& state, ArchiveSettings settings)
    : m_destination(destination), m_runner(runner), m_host(host), m_state(state),
      m_settings(std::move(settings))
{
}

bool ArchiveSetChecks::testarchiv(Destination& destination, const QString& archivname,
                                  const QString& filename, const QString& nekompr)
{
    if (nekompr != QLatin1String("0") && nekompr != QLatin1String("1"))
        return false;
    const SetLocation location = SetLocation::of(archivname, filename);
    if (!location.valid() || !destination.isOnline())
        return false;
    return destination.fileExists(location.entry(nekompr == QLatin1String("1")));
}

bool ArchiveSetChecks::testarchiv(const QString& archivname, const QString& filename, const QString& nekompr)
{
    return testarchiv(m_destination, archivname, filename, nekompr);
}

QString ArchiveSetChecks::localSideArchive(const QString& archiv, const QString& sideFile,
                                           const QString& downloadName, QString* transferError)
{
    const QString entry = SetLocation::of(archiv, sideFile).archivePath();
    const QString local = m_destination.localPath(entry);
    if (!local.isEmpty())
        return local;
    const QString download = platform::programFile(downloadName);
    QFile::remove(download);
    m_host.setTransferActivity(true);
    m_host.pump();
    const TransferResult fetched = m_destination.fetchFile(entry, download);
    m_host.setTransferActivity(false);
    if (transferError)
        *transferError = fetched.error;
    return fetched.ok ? download : QString();
}

bool ArchiveSetChecks::lze_odemknout(const QString& archiv)
{
    m_refusal = Refusal::Missing;
    if (!testarchiv(archiv, catalogFile, archiveKind))
        return false;
    m_state.archiveEncrypted = false;

    // A download that fails is no error here: the catalog then simply cannot be opened.
    const QString archive = localSideArchive(archiv, catalogFile, catalogDownload, nullptr);
    bool result = false;
    m_refusal = Refusal::Unavailable;
    if (!archive.isEmpty()) {
        const ArchiverRunner::Output listing =
            m_runner.runForOutput(ArchiverCommands::catalogListing(archive));
        m_state.archiveEncrypted = ArchiverOutput::isEncrypted(listing.lines);
        if (!listsAnItem(listing.lines)) {
            // Without an item in the listing the archive could not be read at all.
            m_refusal = Refusal::Damaged;
        } else if (m_state.archiveEncrypted) {
            const ArchiverRunner::Output test =
                m_runner.runForOutput(ArchiverCommands::passwordTest(archive, m_settings.archivePassword));
            result = !ArchiverOutput::isWrongPassword(test.lines) && testedClean(test.lines);
            if (!result)
                m_refusal =
                    ArchiverOutput::isWrongPassword(test.lines) ? Refusal::WrongPassword : Refusal::Damaged;
        } else {
            result = true;
        }
    }
    if (result)
        m_refusal = Refusal::None;
    QFile::remove(platform::programFile(ArchiverCommands::passwordOutput));
    QFile::remove(platform::programFile(catalogDownload));
    return result;
}

quint32 ArchiveSetChecks::getColorFromArchiv(const QString& archiv, QString* transferError)
{
    quint32 result = colorOlive;
    if (testarchiv(archiv, runLogFile, archiveKind)) {
        const QString archive = localSideArchive(archiv, runLogFile, runLogDownload, transferError);
        if (!archive.isEmpty()) {
            const ArchiverRunner::Output listing =
                m_runner.runForOutput(ArchiverCommands::runLogListing(archive));
            if (ArchiverOutput::isCleanRunLog(listing.lines))
                result = colorBlack;
        }
        QFile::remove(platform::programFile(ArchiverCommands::runLogOutput));
        QFile::remove(platform::programFile(runLogDownload));
    }
    for (const QString& side :
         {runLogFile, catalogFile, QStringLiteral("sources.txt"), QStringLiteral("config.ini")}) {
        if (!testarchiv(archiv, side, archiveKind)) {
            result = colorRed;
            break;
        }
    }
    return result;
}

qint64 ArchiveSetChecks::destFolderSpeed()
{
    QElapsedTimer timer;
    timer.start();
    testarchiv(QStringLiteral("NESMYSL"), QStringLiteral("dalsi_nesmysl"), archiveKind);
    return timer.elapsed();
}

} // namespace ombrix
