#pragma once

#include "notify/UpdateHttpClient.h"

#include <QString>
#include <QThread>
#include <QUrl>

namespace ombrix {

// The update check: once per program start, on a thread of its own at the lowest priority, it
// asks the update server for the newest version and its CRC-32, lets the window announce a newer
// version (the notice step), and, when automatic updates are on and this installation may
// replace its own executable, downloads the new executable to _new_download.tmp, checks its
// CRC-32 and renames it to _new_version.tmp, which the next start installs.
//
// The window's part runs on the window's thread while the check waits: connect synchronize()
// with Qt::BlockingQueuedConnection to a slot that calls noticeStep(). Without a receiver the
// check ends at once. The check touches no window itself and reads config.ini through a store of
// its own. Every failure (no connection, an HTTP error, a garbled answer, a version text that is
// not a dotted list of numbers, a bad download) ends it quietly: nothing is shown, logged or
// installed. A download whose CRC-32 does not match is removed.
class TComThread : public QThread
{
    Q_OBJECT

  public:
    // The window's request word that asks for the version check.
    static inline const QString novaverze = QStringLiteral("novaverze");
    static inline const QString downloadFile = QStringLiteral("_new_download.tmp");
    static inline const QString versionFile = QStringLiteral("_new_version.tmp");

    struct Settings
    {
        QUrl server;                // the update server (UpdateServer::address())
        QString programFolder;      // where the download lands
        QString configPath;         // config.ini, for BACKUP_DESTINATION
        QString runningVersion;     // Verze: the version of the running program
        bool maySelfUpdate = false; // a portable installation that can replace its executable
        int timeoutMs = UpdateHttpClient::defaultTimeoutMs;
    };

    explicit TComThread(Settings settings, QObject* parent = nullptr);

    // The notice step. requestWord: the window's request word; autoUpdate: CheckBox16 now.
    // Returns the version Label35 is to name (the window shows the label when that version is
    // newer than the running one), or the empty text when there is nothing to announce now.
    QString noticeStep(const QString& requestWord, bool autoUpdate);

    // A dotted list of decimal numbers ("1.8.10.0"): the only kind of version text acted on.
    static bool isVersionText(const QString& text);

    // FNovaVerze: the version the server named (empty until it answered).
    const QString& FNovaVerze() const { return m_FNovaVerze; }

  Q_SIGNALS:
    // Emitted from the check's thread: run the notice step now.
    void synchronize();

  protected:
    void run() override;

  private:
    void check();
    // Steps 7-9: download, CRC-32 check, hand-over to the next start.
    void download(const UpdateHttpClient& client, qint64 checksum);

    Settings m_settings;
    QString m_FNovaVerze; // the version named by the server
    QString m_FSekce;     // the request word taken from the window
    QString m_FAkce;      // the action handed from the check to the notice step
    bool m_autoUpdate = false;
};

} // namespace ombrix
