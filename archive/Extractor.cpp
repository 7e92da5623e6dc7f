#include "archive/Extractor.h"

#include "archive/ArchiverRunner.h"
#include "archive/ArchiveSetChecks.h"
#include "archive/ArchiveState.h"
#include "archive/FileCopy.h"
#include "archive/SetLocation.h"
#include "core/archiver/ArchiverCommands.h"
#include "core/host/Host.h"
#include "core/log/LogLines.h"
#include "core/log/RunLog.h"
#include "platform/FileReplace.h"
#include "platform/ProgramFolder.h"
#include "storage/Destination.h"
#include "storage/local/LocalPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace ombrix {

Extractor::Extractor(Destination& destination, ArchiverRunner& runner, Host& host, RunLog* runLog,
                     const ArchiveState& state, ArchiveSettings settings)
    : m_destination(destination), m_runner(runner), m_host(host), m_runLog(runLog), m_state(state),
      m_settings(std::move(settings))
{
}

QString Extractor::unpackInto(const QString& source, bool plainCopy, const QString& folder,
                              const QString& name)
{
    if (plainCopy) {
        // A short name in the private folder: the copier's own work file beside it must fit too.
        const QString copy = folder + QStringLiteral("/copy");
        const auto startFailed = [this](const QString& text) { m_host.ask(AskKind::Error, text); };
        const bool copied = CopyFileExternal(
            source, copy, m_settings.internalCopy, m_runner.runState(), [this] { m_runner.pump(); },
            startFailed);
        return copied && QFileInfo(copy).size() == QFileInfo(source).size() ? copy : QString();
    }
    const QString password = m_state.archiveEncrypted ? m_settings.archivePassword : QString();
    m_runner.run(ArchiverCommands::extractAll(QFileInfo(source).absoluteFilePath(), folder, password));
    // The archiver leaves the file it wrote also when the data failed its check: such a file is
    // never put in place of the user's own.
    if (m_runner.lastExitCode() >= 2)
        return QString();
    const QString extracted = folder + QLatin1Char('/') + name;
    return storage::FileExists2(extracted) ? extracted : QString();
}

bool Extractor::dearchivovat(const QString& archiv, const QString& filename, const QString& destDir,
                             const QString& nekompr)
{
    m_lastFailure.clear();
    if (!ArchiveSetChecks::testarchiv(m_destination, archiv, filename, nekompr)) {
        m_lastFailure = QStringLiteral("its archive is missing from ") + archiv;
        return false;
    }
    const SetLocation location = SetLocation::of(archiv, filename);
    const bool plainCopy = nekompr == QLatin1String("1");
    const QString entry = location.entry(plainCopy);
    const QString name = location.name();

    QString source = m_destination.localPath(entry);
    QString download;
    if (source.isEmpty()) {
        download = platform::programFile(name + QStringLiteral(".7z.tmp"));
        QFile::remove(download);
        m_host.setTransferActivity(true);
        m_host.pump();
        const TransferResult fetched = m_destination.fetchFile(entry, download);
        m_host.setTransferActivity(false);
        m_host.pump();
        if (!fetched.error.isEmpty() && m_runLog)
            m_runLog->dologu(logline::ftpError + filename);
        if (!fetched.ok || !storage::FileExists2(download)) {
            QFile::remove(download);
            m_lastFailure = QStringLiteral("its archive could not be downloaded from ") + archiv;
            return false;
        }
        source = download;
    }

    bool result = false;
    QString target = destDir;
    while (target.size() > 1 && target.endsWith(QLatin1Char('/')))
        target.chop(1);
    if (!storage::forceLocalDir(target)) {
        m_lastFailure = QStringLiteral("the folder cannot be made: ") + target;
    } else {
        QTemporaryDir staging(target + QStringLiteral("/.ombrix-extract-XXXXXX"));
        const QString unpacked =
            staging.isValid() ? unpackInto(source, plainCopy, staging.path(), name) : QString();
        if (!staging.isValid())
            m_lastFailure = QStringLiteral("nothing can be written in ") + target;
        else if (unpacked.isEmpty())
            m_lastFailure = plainCopy ? QStringLiteral("its copy could not be copied")
                                      : QStringLiteral("its archive cannot be extracted (damaged, or a "
                                                       "password that does not fit)");
        else if (platform::replaceByRename(unpacked, target + QLatin1Char('/') + name))
            result = true;
        else
            m_lastFailure = QStringLiteral("it cannot replace what is in its place");
    }
    if (!download.isEmpty())
        QFile::remove(download);
    return result;
}

} // namespace ombrix
