#include "ui/wiring/NotifyWiring.h"

#include "core/app/ProgramVersion.h"
#include "core/app/RunMode.h"
#include "core/lang/Translator.h"
#include "core/util/VersionCompare.h"
#include "notify/EmailReport.h"
#include "notify/UpdateInstaller.h"
#include "notify/UpdateServer.h"
#include "platform/ProgramFolder.h"
#include "ui/dialogs/EmailDialog.h"
#include "ui/lang/LanguageWindows.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RunController.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/mainwindow/UpdateNotice.h"
#include "ui/mainwindow/WindowHost.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>

namespace ombrix::ui {

namespace {

QString configFile()
{
    return platform::programFile(QStringLiteral("config.ini"));
}

QString runningExecutable()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
}

} // namespace

NotifyWiring::NotifyWiring(ProgramShell& shell, QObject* parent) : QObject(parent), m_shell(shell)
{
    // The language check collects the dialog's captions even when nobody opened it.
    LanguageWindows::instance().setCheckFactory(LanguageWindows::EmailRole, [] { return new EmailDialog; });
    connect(shell.window()->settingsPage(), &SettingsPage::emailSettingsRequested, this,
            &NotifyWiring::openEmailSettings);
}

// A check still running when the program ends is waited for: the end of the process tears down
// the TLS library the check's thread may be using. While it waits, the window's part of a check
// that asks for it is answered, so the two never wait for each other.
NotifyWiring::~NotifyWiring()
{
    if (!m_updateCheck)
        return;
    m_updateCheck->requestInterruption();
    disconnect(m_updateCheck.get(), &TComThread::synchronize, this, nullptr);
    while (!m_updateCheck->wait(20))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool NotifyWiring::installPendingUpdate()
{
    UpdateInstaller::Request request;
    request.executable = runningExecutable();
    request.programFolder = platform::programFolder();
    request.scheduled = m_shell.controller()->mode() == app::RunMode::Scheduled;
    request.awaitPid = QCoreApplication::applicationPid();
    return UpdateInstaller::autoupdate(request);
}

TComThread::Settings NotifyWiring::programUpdateSettings() const
{
    TComThread::Settings settings;
    settings.server = UpdateServer::address();
    settings.programFolder = platform::programFolder();
    settings.configPath = configFile();
    settings.runningVersion = app::programVersion();
    settings.maySelfUpdate = UpdateInstaller::maySelfUpdate(runningExecutable(), settings.programFolder);
    return settings;
}

void NotifyWiring::startUpdateCheck()
{
    m_requestWord = TComThread::novaverze;
    if (m_updateStarted)
        return;
    m_updateStarted = true;
    if (!m_updateSettings)
        m_updateSettings = programUpdateSettings();
    m_updateCheck = std::make_unique<TComThread>(*m_updateSettings);
    TComThread* check = m_updateCheck.get();
    // The check waits while the window runs the notice step.
    connect(
        check, &TComThread::synchronize, this, [this, check] { noticeStep(*check); },
        Qt::BlockingQueuedConnection);
    check->start(QThread::LowestPriority);
}

void NotifyWiring::noticeStep(TComThread& check)
{
    const bool autoUpdate = m_shell.window()->settingsPage()->autoUpdateBox()->isChecked();
    const QString version = check.noticeStep(m_requestWord, autoUpdate);
    if (version.isEmpty())
        return;
    UpdateNotice* label = notice();
    if (!label)
        return;
    label->setNotice(
        getLang(QStringLiteral("Novější verze programu je k dispozici ke stažení na webu výrobce:")) + u' ' +
        version);
    const QString running = m_updateSettings ? m_updateSettings->runningVersion : app::programVersion();
    if (VersionCompare(running, version) == -1)
        label->show();
}

UpdateNotice* NotifyWiring::notice() const
{
    if (m_notice)
        return m_notice;
    return m_shell.window()->findChild<UpdateNotice*>(QStringLiteral("Label35"));
}

EmailReport& NotifyWiring::emailReport()
{
    if (!m_email)
        m_email = std::make_unique<EmailReport>(configFile(), m_shell.runLog());
    return *m_email;
}

bool NotifyWiring::email_send(const QString& subject, const QString& text, const QString& attachment)
{
    return emailReport().email_send(subject, text, attachment);
}

EmailDialog* NotifyWiring::emailDialog()
{
    if (!m_dialog) {
        m_dialog = new EmailDialog(m_shell.window());
        m_dialog->setConfigPath(configFile());
        m_dialog->setHost(m_shell.host());
        m_dialog->setSender([this](const QString& subject, const QString& text, const QString& attachment) {
            return email_send(subject, text, attachment);
        });
    }
    return m_dialog;
}

void NotifyWiring::openEmailSettings()
{
    emailDialog()->openDialog();
}

} // namespace ombrix::ui
