#include "ui/wiring/WindowBackupControls.h"

#include "core/app/RunMode.h"
#include "core/config/IniStore.h"
#include "platform/PowerOff.h"
#include "ui/logviewer/LogViewer.h"
#include "ui/mainwindow/DestinationPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/RunController.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/mainwindow/SourcesPage.h"
#include "ui/mainwindow/WindowHost.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace ombrix::ui {

WindowBackupControls::WindowBackupControls(MainWindow* window, RunController* controller, WindowHost* host,
                                           LogViewer* logViewer)
    : m_window(window), m_controller(controller), m_host(host), m_logViewer(logViewer)
{
    m_showModal = [this](LogViewer& viewer) {
        if (m_host->personPresent())
            viewer.showModal();
    };
}

template <typename T> T* WindowBackupControls::control(const char* name) const
{
    return m_window->findChild<T*>(QLatin1String(name));
}

bool WindowBackupControls::checked(const char* name) const
{
    const auto* box = control<QAbstractButton>(name);
    return box && box->isChecked();
}

QString WindowBackupControls::text(const char* name) const
{
    const auto* edit = control<QLineEdit>(name);
    return edit ? edit->text() : QString();
}

void WindowBackupControls::setEnabled(const char* name, bool enabled)
{
    if (auto* widget = control<QWidget>(name))
        widget->setEnabled(enabled);
}

void WindowBackupControls::setConfigStore(IniStore* store)
{
    m_store = store;
    m_window->destinationPage()->setConfigStore(store);
    m_window->settingsPage()->setConfigStore(store);
}

// ---------------------------------------------------------------------------------------------
// What the engines set

void WindowBackupControls::setStartCaption(const QString& caption, int fontSize)
{
    auto* start = control<QPushButton>("BitBtn1");
    if (!start)
        return;
    start->setText(caption);
    QFont font = start->font();
    font.setPointSize(fontSize);
    start->setFont(font);
}

void WindowBackupControls::setStartEnabled(bool enabled)
{
    setEnabled("BitBtn1", enabled);
}

void WindowBackupControls::setSkipEnabled(bool enabled)
{
    setEnabled("Button21", enabled);
}

void WindowBackupControls::setResetChecked(bool isChecked)
{
    if (auto* box = control<QCheckBox>("CheckBox2"))
        box->setChecked(isChecked);
}

void WindowBackupControls::setResetCheckEnabled(bool enabled)
{
    setEnabled("CheckBox2", enabled);
}

void WindowBackupControls::setResetButtonEnabled(bool enabled)
{
    setEnabled("Button5", enabled);
}

void WindowBackupControls::setAttachEnabled(bool enabled)
{
    setEnabled("Button11", enabled);
}

void WindowBackupControls::setAttachListEnabled(bool enabled)
{
    setEnabled("ComboBox1", enabled);
}

void WindowBackupControls::setPasswordCheckEnabled(bool enabled)
{
    // The settings page keeps the rule "Edit12 only while CheckBox9 is ticked" itself.
    m_window->settingsPage()->setPasswordChangeAllowed(enabled);
    setEnabled("CheckBox9", enabled);
}

void WindowBackupControls::setPasswordFieldEnabled(bool enabled)
{
    setEnabled("Edit12", enabled);
}

void WindowBackupControls::setPagesEnabled(bool enabled, int keepIndex)
{
    m_window->setPagesEnabled(enabled, keepIndex);
}

// ---------------------------------------------------------------------------------------------
// Live options

bool WindowBackupControls::runBeforeBackup() const
{
    return checked("CheckBox1");
}

QString WindowBackupControls::programBefore() const
{
    return text("Edit6");
}

bool WindowBackupControls::runAfterBackup() const
{
    return checked("CheckBox3");
}

QString WindowBackupControls::programAfter() const
{
    return text("Edit7");
}

bool WindowBackupControls::highCompression() const
{
    return checked("CheckBox6");
}

bool WindowBackupControls::verifyArchives() const
{
    return checked("CheckBox7");
}

bool WindowBackupControls::passwordEnabled() const
{
    return checked("CheckBox9");
}

QString WindowBackupControls::archivePassword() const
{
    return m_window->settingsPage()->archivePassword();
}

bool WindowBackupControls::autoStart() const
{
    return checked("CheckBox14");
}

bool WindowBackupControls::skipInvalidSources() const
{
    return checked("CheckBox15");
}

bool WindowBackupControls::powerOffAfterBackup() const
{
    return checked("CheckBox17");
}

QString WindowBackupControls::destinationFolder() const
{
    return text("Edit1");
}

bool WindowBackupControls::emailReport() const
{
    return checked("CheckBox11");
}

// ---------------------------------------------------------------------------------------------
// Run mode and the end of the process

bool WindowBackupControls::isUnattended() const
{
    return m_controller->isUnattended();
}

bool WindowBackupControls::isScheduledRun() const
{
    return m_controller->mode() == app::RunMode::Scheduled;
}

void WindowBackupControls::disableAutoStart()
{
    m_controller->autoStartTimer()->stop();
}

void WindowBackupControls::xExit()
{
    m_controller->xExit();
}

void WindowBackupControls::endUnattendedRun(int exitCode)
{
    m_controller->xExit(exitCode);
}

bool WindowBackupControls::WindowsExit(int rebootParam)
{
    return platform::WindowsExit(rebootParam);
}

void WindowBackupControls::loadLog(const QString& path)
{
    m_logViewer->loadFile(path);
}

void WindowBackupControls::showLogModal()
{
    if (m_showModal)
        m_showModal(*m_logViewer);
}

// ---------------------------------------------------------------------------------------------
// The readiness pass

void WindowBackupControls::showStoredSettings(const StoredSettings& settings)
{
    if (m_store) {
        m_window->destinationPage()->loadSettings(*m_store);
        m_window->settingsPage()->loadSettings(*m_store);
    }
    if (settings.tabIndex >= 0 && settings.tabIndex < MainWindow::PageCount)
        m_window->showPage(settings.tabIndex);
}

void WindowBackupControls::reloadSourceList()
{
    m_window->sourcesPage()->reloadFromFile();
}

void WindowBackupControls::fixuj_pocet_archivu(int count)
{
    if (m_runHooks.fixedArchiveCount)
        m_runHooks.fixedArchiveCount(count);
}

void WindowBackupControls::email_send(const QString& subject, const QString& text, const QString& attachment)
{
    if (m_runHooks.emailSend)
        m_runHooks.emailSend(subject, text, attachment);
}

void WindowBackupControls::resumeRestoreAtStart()
{
    if (m_runHooks.resumeRestoreAtStart)
        m_runHooks.resumeRestoreAtStart();
}

void WindowBackupControls::resumeMergeAtStart()
{
    if (m_runHooks.resumeMergeAtStart)
        m_runHooks.resumeMergeAtStart();
}

} // namespace ombrix::ui
