#include "archive/Archiver.h"

#include "archive/ArchiveChecks.h"
#include "archive/ArchiverRunner.h"
#include "archive/FileCopy.h"
#include "archive/SetLocation.h"
#include "archive/SevenZipHeader.h"
#include "archive/TemporaryFiles.h"
#include "core/archiver/ArchiverCommands.h"
#include "core/host/Host.h"
#include "core/log/LogLines.h"
#include "core/log/RunLog.h"
#include "platform/DurableFiles.h"
#include "platform/FileReplace.h"
#include "platform/ProgramFolder.h"
#include "storage/Destination.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <sys/stat.h>
#include <system_error>

namespace ombrix {

namespace {

QString lowerAsciiLetters(QString text)
{
    for (QChar& c : text) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return text;
}

// Shows the transfer indicator for as long as it lives and lets the window catch up.
class TransferIndicator
{
  public:
    explicit TransferIndicator(Host& host) : m_host(host)
    {
        m_host.setTransferActivity(true);
        m_host.pump();
    }
    ~TransferIndicator() { m_host.setTransferActivity(false); }
    TransferIndicator(const TransferIndicator&) = delete;
    TransferIndicator& operator=(const TransferIndicator&) = delete;

  private:
    Host& m_host;
};

} // namespace

Archiver::Archiver(Destination& destination, ArchiverRunner& runner, Host& host, RunLog* runLog,
                   ArchiveSettings settings)
    : m_destination(destination), m_runner(runner), m_host(host), m_runLog(runLog),
      m_settings(std::move(settings))
{
}

QString Archiver::compressionLevel(const QString& filename, const ArchiveSettings& settings)
{
    if (settings.highCompression)
        return QStringLiteral("5");
    const QString name = SetLocation::fileNameOf(filename);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        const QString extension = lowerAsciiLetters(name.mid(dot));
        if (settings.noCompressExtensions.contains(extension))
            return QStringLiteral("0");
    }
    return QStringLiteral("1");
}

QString Archiver::sourcePath(const QString& filename)
{
    if (!filename.contains(QLatin1Char('/')))
        return platform::programFile(filename);
    return filename;
}

namespace {

// Catalog times have two-second steps; a second more covers the coarse timestamps some file
// systems keep.
constexpr qint64 timeStepMs = 2000;
constexpr qint64 timeSlackMs = 1000;

struct SourceState
{
    qint64 size = -1;
    qint64 modifiedNs = 0;
    bool operator==(const SourceState&) const = default;
};

SourceState stateOf(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {qint64(info.st_size), qint64(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}

} // namespace

bool Archiver::archivovat(const QString& filename, const QString& nekompr)
{
    return archivovatFrom(filename, sourcePath(filename), nekompr);
}

bool Archiver::archivovatFrom(const QString& filename, const QString& source, const QString& nekompr)
{
    m_lastReading = {};
    if (!TestFile(source, 0))
        return false;
    // File times are the system's own, whatever clock the run names its sets by.
    const qint64 readStartMs = QDateTime::currentMSecsSinceEpoch();
    const SourceState before = stateOf(source);
    const bool stored = store(filename, source, nekompr);
    const SourceState after = stateOf(source);
    m_lastReading.changedWhileRead = !(before == after);
    const qint64 modifiedMs = after.modifiedNs / 1000000;
    const qint64 stepStartMs = modifiedMs - modifiedMs % timeStepMs;
    m_lastReading.recentlyModified = readStartMs < stepStartMs + timeStepMs + timeSlackMs;
    return stored;
}

bool Archiver::store(const QString& filename, const QString& source, const QString& nekompr)
{
    deleteTemporaryFiles();
    const QString level = compressionLevel(filename, m_settings);

    const SetLocation location = SetLocation::of(m_settings.targetArchiveName, filename);
    if (!location.valid())
        return false;
    if (!m_destination.folderExists(location.folder()) && !m_destination.makeFolders(location.folder()))
        return false;

    const bool plainCopy = nekompr == QLatin1String("1");
    const QString entry = location.entry(plainCopy);
    const QString local = m_destination.localPath(entry);
    if (!local.isEmpty())
        return plainCopy ? copyInPlace(source, local) : archiveInPlace(source, local, level);
    return plainCopy ? uploadPlainCopy(filename, source, entry)
                     : archiveAndUpload(filename, source, entry, location.name(), level);
}

namespace {

// A free hidden name in folder for a file that is made there and then renamed into place. Short,
// so helper files named after it (".tmp" of the archiver and the copier) always fit.
QString scratchName(const QString& folder, const QString& suffix)
{
    QTemporaryFile reserve(folder + QStringLiteral("/.ombrix-XXXXXX") + suffix);
    if (!reserve.open())
        return {};
    return reserve.fileName();
}

// Puts a checked scratch file in its place: readable by the user alone (a private file must not
// become readable to others through its backup), on stable storage before its name points to it,
// and the name itself on stable storage before anyone records the file as stored.
bool placeScratch(const QString& scratch, const QString& target)
{
    return QFile::setPermissions(scratch, QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
           platform::syncFile(scratch) && platform::replaceByRename(scratch, target) &&
           platform::syncFolder(QFileInfo(target).absolutePath());
}

} // namespace

// Both in-place writers make the new file under a scratch name beside its place, check it and
// only then rename it over the old one: the archiver would add to an archive that exists, a
// failed run leaves the old file as it was, and the helpers' own work files stay short enough
// for a file name that is already near the file system's limit.
bool Archiver::archiveInPlace(const QString& source, const QString& archive, const QString& level)
{
    const QFileInfo target(archive);
    if (target.isDir() && !target.isSymLink())
        return false;
    const QString scratch = scratchName(target.absolutePath(), QStringLiteral(".7z"));
    if (scratch.isEmpty())
        return false;
    const QString password = m_settings.encryptsNewArchives() ? m_settings.archivePassword : QString();
    const qint64 sizeBefore = QFileInfo(source).size();
    m_runner.run(ArchiverCommands::addFile(scratch, QFileInfo(source).absoluteFilePath(), level,
                                           platform::programFolder(), password));
    const bool result =
        holdsWrittenFile(scratch, source, sizeBefore, password) && placeScratch(scratch, archive);
    QFile::remove(scratch);
    return result;
}

// An archive written without a password is checked from its header in this process: one file,
// under the source's bare name, of the size the source had (unless the source changed while it
// was read: such a file is archived again by the next run, and its archive holds whatever was
// read). That spares an archiver start per file. Encrypted archives are listed by the archiver
// with the password, which also proves the password opens them.
bool Archiver::holdsWrittenFile(const QString& archive, const QString& source, qint64 sizeBefore,
                                const QString& password)
{
    if (!password.isEmpty() || !m_settings.archivePassword.isEmpty())
        return testZip(m_runner, archive, m_settings.archivePassword);
    const SevenZipHeader::Result header = SevenZipHeader::read(archive, 2);
    if (!header.readable || header.moreEntries || header.entries.size() != 1)
        return false;
    const SevenZipHeader::Entry& entry = header.entries.first();
    if (!entry.isFile || entry.encrypted || entry.name != QFileInfo(source).fileName())
        return false;
    const qint64 sizeNow = QFileInfo(source).size();
    return sizeNow != sizeBefore || entry.size == sizeNow;
}

bool Archiver::copyInPlace(const QString& source, const QString& target)
{
    const QFileInfo targetInfo(target);
    if (targetInfo.isDir() && !targetInfo.isSymLink())
        return false;
    const QString scratch = scratchName(targetInfo.absolutePath(), QString());
    if (scratch.isEmpty())
        return false;
    const bool copied = CopyFileExternal(
        QFileInfo(source).absoluteFilePath(), scratch, m_settings.internalCopy, m_runner.runState(),
        [this] { m_runner.pump(); }, [this](const QString& text) { m_host.ask(AskKind::Error, text); });
    const bool result =
        copied && QFileInfo(scratch).size() == QFileInfo(source).size() && placeScratch(scratch, target);
    QFile::remove(scratch);
    return result;
}

bool Archiver::archiveAndUpload(const QString& filename, const QString& source, const QString& entry,
                                const QString& name, const QString& level)
{
    const QString temporary = platform::programFile(name + QStringLiteral(".7z.tmp"));
    QFile::remove(temporary);
    const QString password = m_settings.encryptsNewArchives() ? m_settings.archivePassword : QString();
    const qint64 sizeBefore = QFileInfo(source).size();
    m_runner.run(ArchiverCommands::addFile(temporary, QFileInfo(source).absoluteFilePath(), level,
                                           platform::programFolder(), password));
    // A broken archive is never uploaded: the test runs on the local archive before the transfer.
    bool result = holdsWrittenFile(temporary, source, sizeBefore, password);
    if (result) {
        TransferIndicator indicator(m_host);
        if (m_destination.fileExists(entry))
            m_destination.deleteFile(entry);
        const TransferResult upload = m_destination.storeFile(temporary, entry);
        if (!upload.error.isEmpty())
            logTransferError(upload.error, filename);
        // A size that differs leaves the partial upload for the next attempt to replace.
        result = upload.ok;
    }
    QFile::remove(temporary);
    return result;
}

bool Archiver::uploadPlainCopy(const QString& filename, const QString& source, const QString& entry)
{
    TransferIndicator indicator(m_host);
    if (m_destination.fileExists(entry))
        m_destination.deleteFile(entry);
    const TransferResult upload = m_destination.storeFile(source, entry);
    if (!upload.error.isEmpty()) {
        logTransferError(upload.error, filename);
        return false;
    }
    if (!upload.ok)
        m_destination.deleteFile(entry);
    return upload.ok;
}

void Archiver::logTransferError(const QString& error, const QString& filename)
{
    if (m_runLog)
        m_runLog->dologu(logline::ftpUploadError(error, filename));
}

} // namespace ombrix
