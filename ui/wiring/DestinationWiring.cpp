#include "ui/wiring/DestinationWiring.h"

#include "core/app/SkyvraService.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/config/Scrambling.h"
#include "core/lang/Translator.h"
#include "notify/SkyvraInfo.h"
#include "platform/ProgramFolder.h"
#include "storage/ftp/FtpConnection.h"
#include "storage/ftp/FtpDestination.h"
#include "storage/ProgramDestination.h"
#include "ui/mainwindow/DestinationPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/WindowHost.h"
#include "ui/wiring/BackupEngines.h"
#include "ui/wiring/BackupWiring.h"

#include <QLineEdit>

namespace ombrix::ui {

DestinationWiring::DestinationWiring(ProgramShell& shell, BackupWiring& backup, QObject* parent)
    : QObject(parent), m_shell(shell), m_backup(backup)
{
    DestinationPage* page = shell.window()->destinationPage();
    connect(page, &DestinationPage::ftpApplyRequested, this, &DestinationWiring::applyFtp);
    connect(page, &DestinationPage::skyvraApplyRequested, this, &DestinationWiring::applySkyvra);
    connect(page, &DestinationPage::pageShown, this, &DestinationWiring::refreshAccountInfo);
    m_keepAlive.setInterval(FtpConnection::keepAlivePeriodMs);
    connect(&m_keepAlive, &QTimer::timeout, this, &DestinationWiring::ftp_connectingTimer);
    m_keepAlive.start();
}

void DestinationWiring::tell(const QString& text)
{
    m_shell.host()->ask(AskKind::Information, text);
}

void DestinationWiring::applyFtp()
{
    using namespace ConfigKeys;
    const IniStore config(platform::programFile(QStringLiteral("config.ini")));
    FtpSettings settings;
    settings.kind = DestinationKind::Ftp;
    settings.hostField = config.readString(BACKUP_FTP_HOST, QString());
    settings.user = config.readString(BACKUP_FTP_USER, QString());
    settings.password = desifruj(config.readString(BACKUP_FTP_PASS, QString()));
    settings.passive = config.readBool(FTP_PASSIVE, true);
    settings.binary = config.readBool(FTP_BINARY, true);
    const QString remoteFolder = config.readString(BACKUP_FTP_DIR, QString());

    FtpConnection probe(settings);
    if (!probe.open()) {
        tell(getLang(QStringLiteral("FTP spojení NEFUNGUJE")));
        m_backup.readinessCheck();
        return;
    }
    FtpDestination destination(DestinationKind::Ftp, remoteFolder, probe, *m_shell.host(), m_shell.runState(),
                               nullptr);
    const bool folderThere = remoteFolder.trimmed().isEmpty() || destination.folderExists(QString());
    probe.disconnect();
    if (folderThere)
        tell(getLang(QStringLiteral("FTP spojení funguje správně")));
    else
        tell(getLang(QStringLiteral("FTP spojení funguje, vzdálený adresář bude vytvořen")));
    m_backup.readinessCheck();
    Q_EMIT m_shell.window()->destinationPage()->restoreListStale();
}

void DestinationWiring::applySkyvra()
{
    using namespace ConfigKeys;
    DestinationPage* page = m_shell.window()->destinationPage();
    const IniStore config(platform::programFile(QStringLiteral("config.ini")));
    FtpSettings settings;
    settings.kind = DestinationKind::Skyvra;
    settings.hostField = app::skyvraFtpHost();
    settings.user = page->skyvraUserEdit()->text();
    // The field stored what was typed (scrambled) before this click; the asterisk row is never
    // stored, so an untouched field keeps the stored password.
    settings.password = desifruj(config.readString(SKYVRA_PASSW, QString()));
    settings.passive = config.readBool(FTP_PASSIVE, true);
    settings.binary = config.readBool(FTP_BINARY, true);

    // A connection of its own, so the account typed now is what logs in, whatever the program's
    // connection holds; the readiness pass below opens that one on the stored keys.
    FtpConnection probe(settings);
    probe.ftpReconect();
    const bool works = probe.isConnected() && probe.ftpOnline();
    probe.disconnect();
    if (works)
        tell(getLang(QStringLiteral("Vzdálený síťový disk funguje správně")));
    else
        tell(getLang(QStringLiteral("Vzdálený síťový disk NEFUNGUJE")));
    page->setAccountInfo(get_skyvra_info(settings.user, settings.password));
    m_backup.readinessCheck();
}

void DestinationWiring::refreshAccountInfo()
{
    BackupEngines* engines = m_backup.engines();
    if (!engines || engines->destination().kind() != DestinationKind::Skyvra)
        return;
    const FtpConnection* connection = engines->destination().connection();
    if (!connection)
        return;
    m_shell.window()->destinationPage()->setAccountInfo(
        get_skyvra_info(connection->user(), connection->password()));
}

void DestinationWiring::ftp_connectingTimer()
{
    BackupEngines* engines = m_backup.engines();
    if (!engines)
        return;
    if (FtpConnection* connection = engines->destination().connection())
        connection->keepAliveTick();
}

} // namespace ombrix::ui
