#include "backup/ChainAttach.h"

#include "archive/ArchiveSetChecks.h"
#include "archive/Extractor.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/config/Scrambling.h"
#include "core/host/Host.h"
#include "core/lang/Translator.h"
#include "core/log/Status.h"
#include "platform/DurableFiles.h"
#include "platform/FileReplace.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <utility>

namespace ombrix {

namespace {

const QString setPrefix = QStringLiteral("OMX_");
const QString archiveKind = QStringLiteral("0");
// The pause after a successful attach, so the status can be read before the window closes.
constexpr int attachedPauseMs = 2000;
constexpr const char* folderNotWritable =
    "Problém s oprávněním: Nastavte oprávnění na složku programu tak, aby do ní mohl ombrix zapisovat";

QString text(const char* czechText)
{
    return getLang(QString::fromUtf8(czechText));
}

} // namespace

ChainAttach::DestinationKeys ChainAttach::DestinationKeys::fromConfig(const IniStore& config)
{
    using namespace ConfigKeys;
    DestinationKeys keys;
    keys.kind = destinationKindFromText(config.readString(BACKUP_DESTINATION, QStringLiteral("DIR")));
    keys.folder = config.readString(BACKUP_DIR, QString(BACKUP_DIR_NOT_SET));
    keys.ftpHost = config.readString(BACKUP_FTP_HOST, QString());
    keys.ftpUser = config.readString(BACKUP_FTP_USER, QString());
    keys.ftpPassword = desifruj(config.readString(BACKUP_FTP_PASS, QString()));
    keys.ftpDir = config.readString(BACKUP_FTP_DIR, QString());
    return keys;
}

ChainAttach::ChainAttach(Host& host, RunState& runState, ArchiveState& archiveState, Destination& destination,
                         ArchiveSettings settings)
    : m_host(host), m_archiveState(archiveState), m_destination(destination), m_runner(runState, host),
      m_settings(std::move(settings))
{
}

ChainAttach::Outcome ChainAttach::attach(const QString& entry, const DestinationKeys& keys)
{
    m_lastFailure.clear();
    const QString set = setPrefix + entry;
    info(m_host, text("Navazování na archiv") + QLatin1Char(' ') + entry);
    m_host.pump();

    // Both side archives first, in this order: the first one missing is named.
    m_destination.clearCaches();
    const QString sideFiles[] = {SetLayout::configFile.toString(), SetLayout::sourcesFile.toString()};
    for (const QString& side : sideFiles) {
        if (!ArchiveSetChecks::testarchiv(m_destination, set, side, archiveKind)) {
            info(m_host, text("Navázání na archiv selhalo. Chybí") + QLatin1Char(' ') + side +
                             SetLayout::archiveSuffix.toString());
            return side == sideFiles[0] ? Outcome::MissingConfig : Outcome::MissingSources;
        }
    }

    ArchiveSetChecks checks(m_destination, m_runner, m_host, m_archiveState, m_settings);
    if (!checks.lze_odemknout(set)) {
        info(m_host, text("Archiv je zaheslován. Nejprve nastavte správné heslo"));
        return Outcome::WrongPassword;
    }

    // Both files are unpacked beside each other in a private folder of the program folder, so the
    // final renames stay on one file system and nothing of the user's own is touched before both
    // are there.
    const QString folder = platform::programFolder();
    QTemporaryDir staging(QDir(folder).filePath(QStringLiteral(".ombrix-attach-XXXXXX")));
    if (!staging.isValid()) {
        m_lastFailure = QStringLiteral("nothing can be written in ") + folder;
        info(m_host, text(folderNotWritable));
        return Outcome::NotWritten;
    }
    Extractor extractor(m_destination, m_runner, m_host, nullptr, m_archiveState, m_settings);
    for (const QString& side : sideFiles) {
        if (!extractor.dearchivovat(set, side, staging.path(), archiveKind)) {
            m_lastFailure = side + QStringLiteral(": ") + extractor.lastFailure();
            info(m_host, text("Navázání na archiv selhalo. Nelze rozbalit") + QLatin1Char(' ') + side +
                             SetLayout::archiveSuffix.toString());
            return Outcome::NotExtracted;
        }
    }

    const QString stagedConfig = staging.filePath(SetLayout::configFile.toString());
    if (!writeKeys(stagedConfig, keys) || !replaceProgramFiles(staging.path(), folder)) {
        info(m_host, text(folderNotWritable));
        return Outcome::NotWritten;
    }

    info(m_host, text("Navázáno na vybraný archiv.. restart"));
    QFile::remove(QDir(folder).filePath(SetLayout::logFile.toString()));
    sleepX(m_host, int(qint64(attachedPauseMs) * m_pausePercent / 100));
    return Outcome::Attached;
}

bool ChainAttach::writeKeys(const QString& stagedConfig, const DestinationKeys& keys)
{
    using namespace ConfigKeys;
    IniStore config(stagedConfig);
    const bool written = config.writeString(BACKUP_DESTINATION, destinationKindText(keys.kind)) &&
                         config.writeString(BACKUP_DIR, keys.folder) &&
                         config.writeString(BACKUP_FTP_HOST, keys.ftpHost) &&
                         config.writeString(BACKUP_FTP_USER, keys.ftpUser) &&
                         config.writeString(BACKUP_FTP_PASS, sifruj(keys.ftpPassword)) &&
                         config.writeString(BACKUP_FTP_DIR, keys.ftpDir);
    if (!written) {
        m_lastFailure = config.lastError();
        return false;
    }
    // config.ini holds the scrambled passwords: only its owner may read it, whatever mode the
    // archiver gave the extracted file.
    if (!QFile::setPermissions(stagedConfig, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        m_lastFailure = QStringLiteral("the mode of ") + stagedConfig + QStringLiteral(" cannot be set");
        return false;
    }
    return true;
}

bool ChainAttach::replaceProgramFiles(const QString& staging, const QString& folder)
{
    const QString sourcesName = SetLayout::sourcesFile.toString();
    const QString configName = SetLayout::configFile.toString();
    const QString sources = QDir(folder).filePath(sourcesName);
    const QString config = QDir(folder).filePath(configName);

    // The current source list is kept aside until config.ini is in place too, so a failure of
    // the second rename can put it back.
    const QString previousSources = QDir(staging).filePath(QStringLiteral("previous-") + sourcesName);
    const bool hadSources = QFileInfo(sources).isFile();
    if (hadSources && !QFile::copy(sources, previousSources)) {
        m_lastFailure = QStringLiteral("the current source list cannot be kept aside");
        return false;
    }
    // Both on stable storage before their names replace the program's own, and the names after:
    // a power loss right after the restart must not leave an empty config.ini.
    if (!platform::syncFile(QDir(staging).filePath(sourcesName)) ||
        !platform::syncFile(QDir(staging).filePath(configName))) {
        m_lastFailure = QStringLiteral("the unpacked files cannot be written to disk");
        return false;
    }
    if (!platform::replaceByRename(QDir(staging).filePath(sourcesName), sources)) {
        m_lastFailure = QStringLiteral("sources.txt cannot be replaced");
        return false;
    }
    if (!platform::replaceByRename(QDir(staging).filePath(configName), config)) {
        m_lastFailure = QStringLiteral("config.ini cannot be replaced");
        if (hadSources)
            platform::replaceByRename(previousSources, sources);
        else
            QFile::remove(sources);
        return false;
    }
    // The attach has happened by now; a folder that cannot be synced changes nothing of that.
    platform::syncFolder(folder);
    return true;
}

} // namespace ombrix
