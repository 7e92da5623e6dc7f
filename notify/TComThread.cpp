#include "notify/TComThread.h"

#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/util/FileCrc32.h"
#include "core/util/VersionCompare.h"
#include "notify/UpdateServer.h"

#include <cstdio>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace ombrix {

namespace {

// The first line of an answer, without a byte-order mark, line end and surrounding blanks.
QString firstLine(const QByteArray& answer)
{
    QString text = QString::fromUtf8(answer);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const qsizetype end = text.indexOf(u'\n');
    if (end >= 0)
        text.truncate(end);
    return text.trimmed();
}

} // namespace

TComThread::TComThread(Settings settings, QObject* parent) : QThread(parent), m_settings(std::move(settings))
{
}

bool TComThread::isVersionText(const QString& text)
{
    static const QRegularExpression dotted(QStringLiteral("^[0-9]{1,9}(\\.[0-9]{1,9})*$"));
    return dotted.match(text).hasMatch();
}

QString TComThread::noticeStep(const QString& requestWord, bool autoUpdate)
{
    m_FSekce = requestWord;
    m_autoUpdate = autoUpdate;
    if (m_FAkce != novaverze)
        return QString();
    m_FAkce.clear();
    return m_FNovaVerze;
}

void TComThread::run()
{
    // Nothing may escape the thread; a check that fails in any way simply ends.
    try {
        check();
    } catch (...) {
    }
}

void TComThread::check()
{
    // 1. The notice step with no action only takes the window's request word.
    Q_EMIT synchronize();
    // 2.
    if (m_FSekce != novaverze)
        return;

    // 3. The newest version, then its checksum; what was read before a failure stays.
    const UpdateHttpClient client(m_settings.server, m_settings.timeoutMs);
    const QString destination =
        IniStore(m_settings.configPath)
            .readString(ConfigKeys::BACKUP_DESTINATION, QString(ConfigKeys::DESTINATION_DIR));
    qint64 checksum = -1;
    QByteArray answer;
    if (client.get(UpdateServer::versionRequest(m_settings.runningVersion, destination), &answer)) {
        m_FNovaVerze = firstLine(answer);
        if (client.get(UpdateServer::checksumRequest(), &answer)) {
            bool ok = false;
            const qint64 value = firstLine(answer).toLongLong(&ok);
            if (ok && value >= 0 && value <= 0xFFFFFFFFLL)
                checksum = value;
        }
    }
    // A garbled or empty answer names no version: nothing to announce, nothing to fetch. A
    // program that is ending has no window left to announce it in.
    if (!isVersionText(m_FNovaVerze) || isInterruptionRequested())
        return;

    // 4. The window announces the version.
    m_FAkce = m_FSekce;
    Q_EMIT synchronize();

    // 5. Only a newer version is fetched.
    if (VersionCompare(m_settings.runningVersion, m_FNovaVerze) != -1)
        return;
    // 6. Automatic updates switched on, an installation that may replace itself, and a
    // checksum to verify the download against.
    if (!m_autoUpdate || !m_settings.maySelfUpdate || checksum < 0 || isInterruptionRequested())
        return;
    download(client, checksum);
}

void TComThread::download(const UpdateHttpClient& client, qint64 checksum)
{
    const QDir folder(m_settings.programFolder);
    const QString downloaded = folder.filePath(downloadFile);
    const QString verified = folder.filePath(versionFile);
    // 7. A failed download removes what it wrote.
    QFile::remove(downloaded);
    if (!client.download(UpdateServer::downloadRequest(m_FNovaVerze), downloaded))
        return;
    // 8. A file that does not match is never installed.
    if (QFileInfo(downloaded).size() <= 0 || qint64(fileCrc32(downloaded)) != checksum) {
        QFile::remove(downloaded);
        return;
    }
    // 9. One rename, replacing an older waiting version: the next start sees either no file or
    // a whole verified one.
    if (std::rename(QFile::encodeName(downloaded).constData(), QFile::encodeName(verified).constData()) != 0)
        QFile::remove(downloaded);
}

} // namespace ombrix
