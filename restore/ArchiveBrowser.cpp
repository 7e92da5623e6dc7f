#include "restore/ArchiveBrowser.h"

#include "archive/ArchiveSetChecks.h"
#include "archive/ArchiveSettings.h"
#include "archive/ArchiveState.h"
#include "archive/Extractor.h"
#include "core/catalog/CatalogFile.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/host/Host.h"
#include "core/host/RunState.h"
#include "core/lang/Translator.h"
#include "core/log/Status.h"
#include "core/text/TextFile.h"
#include "platform/ProgramFolder.h"
#include "restore/ArchiveBrowserControls.h"
#include "storage/Destination.h"
#include "storage/local/LocalPaths.h"
#include "storage/local/LocalTree.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <utility>

namespace ombrix {

namespace {

const QString setPrefix = QStringLiteral("OMX_");
const QString recoveryListName = QStringLiteral("recoverylist.csv");
const QString plainNo = QStringLiteral("0");
// The markers of masks and options in a source list: a set made from such a list did not hold
// whole folders, so its folders must not be emptied before the restore.
const QStringList sourceMarkers{QStringLiteral("///+"), QStringLiteral("///-"), QStringLiteral("///D"),
                                QStringLiteral("///R")};
// Every how many lines the test shows its progress and lets the window work.
constexpr int testPumpInterval = 20;

QString text(const char* czechText)
{
    return getLang(QString::fromUtf8(czechText));
}

} // namespace

ArchiveBrowser::ArchiveBrowser(Host& host, ArchiveBrowserControls& controls, IniStore& config,
                               RunState& runState, ArchiveState& archiveState, Destination& destination)
    : m_host(host), m_controls(controls), m_config(config), m_runState(runState),
      m_archiveState(archiveState), m_destination(destination), m_runner(runState, host)
{
}

QString ArchiveBrowser::recoveryListPath()
{
    return platform::programFile(recoveryListName);
}

QString ArchiveBrowser::tmpFolder() const
{
    return platform::programFile(QStringLiteral("tmp"));
}

ArchiveBrowser::RestoreOptions ArchiveBrowser::loadOptions(const IniStore& config)
{
    RestoreOptions options;
    options.folder = config.readString(ConfigKeys::RECOVERY_DIR, QString());
    const int destination = config.readInt(ConfigKeys::RECOVERY_DEST, 0);
    options.destination = destination >= 0 && destination <= 2 ? destination : 0;
    return options;
}

ArchiveBrowser::Connection ArchiveBrowser::connectionAfterNo()
{
    if (m_destination.kind() == DestinationKind::Dir || m_destination.keepAlive())
        return Connection::Answers;
    m_destination.reconnect();
    if (!m_destination.keepAlive())
        return Connection::Gone;
    // Whatever was remembered came from the connection that broke.
    m_destination.clearCaches();
    return Connection::Reconnected;
}

void ArchiveBrowser::endConnectionLost()
{
    storage::odstran_dir(tmpFolder());
    info2(m_host, text("Obnova přerušena, FTP spojení ??"));
    m_controls.setSetListEnabled(true);
}

bool ArchiveBrowser::destinationPresent()
{
    switch (m_destination.kind()) {
    case DestinationKind::Dir:
    case DestinationKind::Ftp:
        return m_destination.isOnline() && m_destination.folderExists(QString());
    case DestinationKind::Skyvra:
        return true;
    }
    return true;
}

bool ArchiveBrowser::listArchiveSets()
{
    m_destination.clearCaches();
    m_archiveState.archiveColorCache.clear();

    bool present = destinationPresent();
    if (!present && connectionAfterNo() == Connection::Reconnected)
        present = destinationPresent();
    QStringList folders;
    if (present) {
        folders = m_destination.listSetFolders();
        // A listing that failed looks empty too; only the destination's own answer counts.
        if (folders.isEmpty()) {
            switch (connectionAfterNo()) {
            case Connection::Answers:
                break;
            case Connection::Reconnected:
                folders = m_destination.listSetFolders();
                break;
            case Connection::Gone:
                present = false;
                break;
            }
        }
    }
    if (!present) {
        if (m_destination.kind() != DestinationKind::Dir)
            m_controls.setSetList({});
        m_controls.enableRestoreControls(false);
        m_controls.setRestoreEnabled(false);
        m_controls.setRefreshEnabled(true);
        return false;
    }
    m_controls.enableRestoreControls(true);

    const bool colored = m_controls.coloredListing();
    ArchiveSettings settings;
    settings.passwordEnabled = m_controls.passwordEnabled();
    settings.archivePassword = m_controls.archivePassword();
    ArchiveSetChecks checks(m_destination, m_runner, m_host, m_archiveState, settings);
    QStringList entries;
    for (const QString& folder : std::as_const(folders)) {
        if (!folder.startsWith(setPrefix))
            continue;
        if (colored) {
            QString transferError;
            quint32 color = checks.getColorFromArchiv(folder, &transferError);
            if (!transferError.isEmpty() && connectionAfterNo() == Connection::Reconnected) {
                transferError.clear();
                color = checks.getColorFromArchiv(folder, &transferError);
            }
            if (!transferError.isEmpty()) {
                // A download that failed ends the list where it got to, with the server's word.
                entries.sort();
                m_controls.setSetList(entries);
                info2(m_host, transferError);
                return false;
            }
            m_archiveState.archiveColorCache.insert(folder, color);
        }
        entries.append(folder.mid(setPrefix.size()));
    }
    entries.sort();
    m_controls.setSetList(entries);

    m_controls.setSetButtonsEnabled(false);
    m_controls.setRestoreEnabled(false);
    m_controls.setTestResult(QStringLiteral("...."));
    m_controls.setSetListEnabled(true);
    info2(m_host, text("Vyberte archiv"));
    return true;
}

bool ArchiveBrowser::chooseArchiveSet()
{
    const QString entry = m_controls.selectedEntry();
    if (entry.isEmpty())
        return false;
    Choice choice = chooseOnce(setPrefix + entry);
    // A connection that broke on the way was opened again: the set is prepared once more.
    if (choice == Choice::Reconnected)
        choice = chooseOnce(setPrefix + entry);
    if (choice == Choice::Reconnected || choice == Choice::ConnectionLost) {
        endConnectionLost();
        return false;
    }
    return choice == Choice::Ready;
}

ArchiveBrowser::Choice ArchiveBrowser::failedStep()
{
    switch (connectionAfterNo()) {
    case Connection::Answers:
        return Choice::Failed;
    case Connection::Reconnected:
        return Choice::Reconnected;
    case Connection::Gone:
        break;
    }
    return Choice::ConnectionLost;
}

ArchiveBrowser::Choice ArchiveBrowser::chooseOnce(const QString& name)
{
    for (const QStringView side :
         {SetLayout::logFile, SetLayout::catalogFile, SetLayout::sourcesFile, SetLayout::configFile}) {
        if (!ArchiveSetChecks::testarchiv(m_destination, name, side.toString(), plainNo)) {
            if (const Choice failed = failedStep(); failed != Choice::Failed)
                return failed;
            info2(m_host, text("Neúplný archiv - pravděpodobně nebyl dokončen"));
            return Choice::Failed;
        }
    }

    m_controls.setSetButtonsEnabled(false);
    m_controls.setRestoreEnabled(false);
    m_controls.setSetListEnabled(false);
    m_host.pump();
    m_destination.clearCaches();

    if (!m_destination.folderExists(name)) {
        if (const Choice failed = failedStep(); failed != Choice::Failed)
            return failed;
        listArchiveSets();
        return Choice::Failed;
    }

    info2(m_host, text("Načítání archivu..."));
    const QString tmp = tmpFolder();
    QDir().mkpath(tmp);

    ArchiveSettings settings;
    settings.passwordEnabled = m_controls.passwordEnabled();
    settings.archivePassword = m_controls.archivePassword();
    ArchiveSetChecks checks(m_destination, m_runner, m_host, m_archiveState, settings);
    if (!checks.lze_odemknout(name)) {
        // A catalog that could not be fetched is no wrong password.
        if (const Choice failed = failedStep(); failed != Choice::Failed)
            return failed;
        info2(m_host, text("Tento archiv je ZAHESLOVÁN, nastavte správné heslo"));
        storage::odstran_dir(tmp);
        m_controls.setPasswordControlsEnabled(true);
        m_controls.setSetListEnabled(true);
        return Choice::Failed;
    }

    m_exactStateBlocked = false;
    if (m_controls.restoreToOriginal())
        m_controls.setExactStateEnabled(true);
    m_controls.setLogText(QString());

    Extractor extractor(m_destination, m_runner, m_host, nullptr, m_archiveState, settings);
    if (!extractor.dearchivovat(name, SetLayout::logFile.toString(), tmp, plainNo))
        return endDamaged();
    const TextFile::ReadResult log =
        TextFile::readLines(tmp + QLatin1Char('/') + SetLayout::logFile.toString());
    m_controls.setLogText(log.lines.join(QLatin1Char('\n')));
    if (log.lines.size() > 2)
        blockExactState();

    if (!extractor.dearchivovat(name, SetLayout::sourcesFile.toString(), tmp, plainNo))
        return endDamaged();
    const TextFile::ReadResult sources =
        TextFile::readLines(tmp + QLatin1Char('/') + SetLayout::sourcesFile.toString());
    const QString sourcesText = sources.lines.join(QLatin1Char('\n'));
    for (const QString& marker : sourceMarkers) {
        if (sourcesText.contains(marker)) {
            blockExactState();
            break;
        }
    }

    // The catalog is unpacked in the private tmp folder and only then becomes the work list: the
    // program folder's own archivlist.csv may be the catalog of an unfinished backup, which an
    // extraction there would overwrite.
    const QString list = recoveryListPath();
    QFile::remove(list);
    const QString unpacked = tmp + QLatin1Char('/') + SetLayout::catalogFile.toString();
    const bool listMade = extractor.dearchivovat(name, SetLayout::catalogFile.toString(), tmp, plainNo) &&
                          QFile::rename(unpacked, list);
    if (!listMade)
        return endDamaged();
    storage::odstran_dir(tmp);

    m_controls.setSetButtonsEnabled(true);
    m_controls.setRestoreEnabled(true);
    m_controls.setTestResult(QStringLiteral("...."));
    m_controls.setSetListEnabled(true);
    info2(m_host, text("Obnova CELÉHO ARCHIVU začne od začátku"));
    m_host.pump();
    m_controls.markTreeForRebuild();
    return Choice::Ready;
}

ArchiveBrowser::Choice ArchiveBrowser::endDamaged()
{
    storage::odstran_dir(tmpFolder());
    // A download cut off by a lost connection says nothing about the set.
    if (const Choice failed = failedStep(); failed != Choice::Failed)
        return failed;
    info2(m_host, text("Poškozený archiv - pravděpodobně nebyl dokončen"));
    return Choice::Failed;
}

void ArchiveBrowser::blockExactState()
{
    m_controls.setExactStateEnabled(false);
    m_exactStateBlocked = true;
    m_controls.selectKeepUnarchived();
}

void ArchiveBrowser::testkondice()
{
    if (m_testing) {
        m_runState.stopRequested = true;
        return;
    }
    m_runState.stopRequested = false;
    m_testing = true;
    m_controls.setTestCaption(QStringLiteral("stop"));
    m_controls.setRestoreEnabled(false);
    m_controls.enableRestoreControls(false);
    m_controls.setTestEnabled(true);
    runTest();
    m_controls.enableRestoreControls(true);
    m_controls.setRestoreEnabled(true);
    m_controls.setTestCaption(QStringLiteral("test"));
    m_testing = false;
}

void ArchiveBrowser::runTest()
{
    const QString entry = m_controls.selectedEntry();
    if (entry.isEmpty())
        return;
    const QString name = setPrefix + entry;
    if (m_destination.kind() != DestinationKind::Dir)
        m_destination.clearCaches();

    QStringList report{QStringLiteral("Archiv: ") + name};
    m_controls.setLogText(report.first());

    ArchiveSettings settings;
    settings.passwordEnabled = m_controls.passwordEnabled();
    settings.archivePassword = m_controls.archivePassword();
    Extractor extractor(m_destination, m_runner, m_host, nullptr, m_archiveState, settings);
    const QString tmp = tmpFolder();
    QDir().mkpath(tmp);
    bool extracted = extractor.dearchivovat(name, SetLayout::catalogFile.toString(), tmp, plainNo);
    bool connectionLost = false;
    if (!extracted) {
        switch (connectionAfterNo()) {
        case Connection::Answers:
            break;
        case Connection::Reconnected:
            extracted = extractor.dearchivovat(name, SetLayout::catalogFile.toString(), tmp, plainNo);
            break;
        case Connection::Gone:
            connectionLost = true;
            break;
        }
    }
    if (!extracted) {
        m_controls.setTestResult(QStringLiteral("FAIL"));
    } else {
        const CatalogFile::ReadResult catalog =
            CatalogFile::read(tmp + QLatin1Char('/') + SetLayout::catalogFile.toString());
        storage::odstran_dir(tmp);
        const QStringList& lines = catalog.lines;
        const int maximum = qMax(0, int(lines.size()) - 1);
        m_controls.setTestProgress(maximum, 0);
        const QString missingLabel = text("Chybějících soub.:") + QLatin1Char(' ');
        qsizetype found = 0;
        for (qsizetype i = 0; i < lines.size() && !m_runState.stopRequested; ++i) {
            if (i % testPumpInterval == 0) {
                m_controls.setTestProgress(maximum, int(i));
                m_host.pump();
            }
            const QString& line = lines.at(i);
            const QString path = catalogField(line, CatalogLine::Path);
            const QString set = catalogField(line, CatalogLine::Set);
            const QString plainCopy = catalogField(line, CatalogLine::PlainCopy);
            bool present = ArchiveSetChecks::testarchiv(m_destination, set, path, plainCopy);
            if (!present) {
                // Only the destination's own answer makes a file lost, never a broken connection.
                switch (connectionAfterNo()) {
                case Connection::Answers:
                    break;
                case Connection::Reconnected:
                    present = ArchiveSetChecks::testarchiv(m_destination, set, path, plainCopy);
                    connectionLost = !present && !m_destination.keepAlive();
                    break;
                case Connection::Gone:
                    connectionLost = true;
                    break;
                }
            }
            if (connectionLost)
                break;
            if (present) {
                ++found;
            } else {
                report.append(QStringLiteral("lost file: ") + path + QStringLiteral("; DIR: ") + set);
            }
            m_controls.setTestResult(missingLabel + QString::number(i + 1 - found));
        }
    }
    storage::odstran_dir(tmp);
    m_controls.setLogText(report.join(QLatin1Char('\n')));
    m_controls.setTestProgress(0, 0);
    if (connectionLost) {
        // The count so far says nothing about the set: the test did not get through it.
        m_controls.setTestResult(QStringLiteral("FAIL"));
        info2(m_host, text("Obnova přerušena, FTP spojení ??"));
        return;
    }
    if (report.size() > 1) {
        // While a backup is unfinished, log.txt is that run's log: it is reloaded at the next
        // start and finally stored in its set, so the report must not take its place then.
        const bool backupUnfinished =
            !m_config.readBool(ConfigKeys::LAST_BACKUP_DONE, true) &&
            !m_config.readString(ConfigKeys::LAST_ARCHIV_NAME, QString()).trimmed().isEmpty();
        if (!backupUnfinished) {
            TextFile::writeAtomically(platform::programFile(SetLayout::logFile.toString()),
                                      TextFile::encodeUtf8Bom(report));
        }
        m_controls.showLogModal();
    }
}

void ArchiveBrowser::setRestoreToOriginal(bool ticked)
{
    if (ticked) {
        m_controls.setFolderEnabled(false);
        m_controls.setExactStateEnabled(!m_exactStateBlocked);
        m_controls.setKeepEnabled(true);
        m_config.writeInt(ConfigKeys::RECOVERY_DEST, m_controls.exactStateSelected() ? 1 : 2);
    } else {
        m_controls.setFolderEnabled(true);
        m_controls.setExactStateEnabled(false);
        m_controls.setKeepEnabled(false);
        m_config.writeInt(ConfigKeys::RECOVERY_DEST, 0);
    }
    m_controls.refreshFileSystemWarning();
}

void ArchiveBrowser::setExactState()
{
    if (m_controls.restoreToOriginal())
        m_config.writeInt(ConfigKeys::RECOVERY_DEST, 1);
}

void ArchiveBrowser::setKeepUnarchived()
{
    if (m_controls.restoreToOriginal())
        m_config.writeInt(ConfigKeys::RECOVERY_DEST, 2);
}

void ArchiveBrowser::setRestoreFolder(const QString& folder)
{
    m_config.writeString(ConfigKeys::RECOVERY_DIR, folder);
    m_controls.refreshFileSystemWarning();
}

} // namespace ombrix
