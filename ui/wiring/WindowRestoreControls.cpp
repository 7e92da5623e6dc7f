#include "ui/wiring/WindowRestoreControls.h"

#include "ui/logviewer/LogViewer.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/RestorePage.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/wiring/WindowBackupControls.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace ombrix::ui {

namespace {

const QString setPrefix = QStringLiteral("OMX_");

} // namespace

WindowRestoreControls::WindowRestoreControls(MainWindow* window, WindowBackupControls& backupControls,
                                             LogViewer* logViewer)
    : m_window(window), m_backupControls(backupControls), m_logViewer(logViewer)
{
}

RestorePage* WindowRestoreControls::page() const
{
    return m_window->restorePage();
}

// ---------------------------------------------------------------------------------------------
// Both interfaces

void WindowRestoreControls::setRestoreEnabled(bool enabled)
{
    page()->runButton()->setEnabled(enabled);
}

void WindowRestoreControls::enableRestoreControls(bool on)
{
    RestorePage* p = page();
    p->setList()->setEnabled(on);
    p->testButton()->setEnabled(on);
    p->refreshButton()->setEnabled(on);
    p->originalPlaceBox()->setEnabled(on);
    p->treeButton()->setEnabled(on);
    p->logButton()->setEnabled(on);
    // The folder field belongs to restoring elsewhere: it stays disabled while the original
    // place is chosen, whatever the other controls do.
    p->setFolderEnabled(on && !p->originalPlaceBox()->isChecked());
    const bool modes = on && p->originalPlaceBox()->isChecked();
    const bool blocked = m_hooks.exactStateBlocked && m_hooks.exactStateBlocked();
    p->exactStateChoice()->setEnabled(modes && !blocked);
    p->keepChoice()->setEnabled(modes);
}

void WindowRestoreControls::setPasswordControlsEnabled(bool enabled)
{
    m_window->settingsPage()->setPasswordChangeAllowed(enabled);
}

bool WindowRestoreControls::restoreToOriginal() const
{
    return page()->originalPlaceBox()->isChecked();
}

bool WindowRestoreControls::passwordEnabled() const
{
    return m_backupControls.passwordEnabled();
}

QString WindowRestoreControls::archivePassword() const
{
    return m_backupControls.archivePassword();
}

// ---------------------------------------------------------------------------------------------
// RestoreControls

void WindowRestoreControls::setRestoreCaption(const QString& caption)
{
    page()->runButton()->setText(caption);
}

void WindowRestoreControls::setPagesEnabled(bool enabled, int keepIndex)
{
    m_window->setPagesEnabled(enabled, keepIndex);
}

QString WindowRestoreControls::restoreFolder() const
{
    return page()->folderEdit()->text();
}

bool WindowRestoreControls::exactState() const
{
    return page()->exactStateChoice()->isChecked();
}

QString WindowRestoreControls::chosenSet() const
{
    return m_preparedSet;
}

void WindowRestoreControls::selectSet(const QString& fullName)
{
    QListWidget* list = page()->setList();
    for (int row = 0; row < list->count(); ++row) {
        if (setPrefix + list->item(row)->text() == fullName) {
            list->setCurrentRow(row);
            m_preparedSet = fullName;
            return;
        }
    }
}

void WindowRestoreControls::refreshSetList()
{
    if (m_hooks.refreshSetList)
        m_hooks.refreshSetList();
}

void WindowRestoreControls::clearResetControls()
{
    SettingsPage* settings = m_window->settingsPage();
    settings->restoreResetBox()->setChecked(false);
    settings->restoreResetButton()->setEnabled(false);
}

// ---------------------------------------------------------------------------------------------
// ArchiveBrowserControls

void WindowRestoreControls::setSetList(const QStringList& entries)
{
    QListWidget* list = page()->setList();
    m_preparedSet.clear();
    list->clear();
    list->addItems(entries);
    list->setCurrentRow(-1);
    list->clearSelection();
}

QString WindowRestoreControls::selectedEntry() const
{
    const QListWidgetItem* item = page()->setList()->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void WindowRestoreControls::setSetListEnabled(bool enabled)
{
    page()->setList()->setEnabled(enabled);
}

void WindowRestoreControls::setRefreshEnabled(bool enabled)
{
    page()->refreshButton()->setEnabled(enabled);
}

void WindowRestoreControls::setSetButtonsEnabled(bool enabled)
{
    page()->testButton()->setEnabled(enabled);
    page()->treeButton()->setEnabled(enabled);
    page()->logButton()->setEnabled(enabled);
}

bool WindowRestoreControls::coloredListing() const
{
    return m_window->settingsPage()->colorListsBox()->isChecked();
}

void WindowRestoreControls::setTestCaption(const QString& caption)
{
    page()->testButton()->setText(caption);
}

void WindowRestoreControls::setTestEnabled(bool enabled)
{
    page()->testButton()->setEnabled(enabled);
}

void WindowRestoreControls::setTestResult(const QString& text)
{
    page()->testResult()->setText(text);
}

void WindowRestoreControls::setTestProgress(int maximum, int position)
{
    QProgressBar* bar = page()->testProgress();
    bar->setRange(0, qMax(1, maximum));
    bar->setValue(qBound(0, position, qMax(1, maximum)));
}

bool WindowRestoreControls::exactStateSelected() const
{
    return page()->exactStateChoice()->isChecked();
}

void WindowRestoreControls::setFolderEnabled(bool enabled)
{
    page()->setFolderEnabled(enabled);
}

void WindowRestoreControls::setExactStateEnabled(bool enabled)
{
    page()->exactStateChoice()->setEnabled(enabled);
}

void WindowRestoreControls::setKeepEnabled(bool enabled)
{
    page()->keepChoice()->setEnabled(enabled);
}

void WindowRestoreControls::selectKeepUnarchived()
{
    page()->keepChoice()->setChecked(true);
}

void WindowRestoreControls::refreshFileSystemWarning()
{
    if (m_hooks.refreshFileSystemWarning)
        m_hooks.refreshFileSystemWarning();
}

void WindowRestoreControls::setLogText(const QString& text)
{
    m_logViewer->setLogText(text);
}

QString WindowRestoreControls::logText() const
{
    return m_logViewer->logText();
}

void WindowRestoreControls::showLogModal()
{
    m_backupControls.showLogModal();
}

void WindowRestoreControls::markTreeForRebuild()
{
    if (m_hooks.markTreeForRebuild)
        m_hooks.markTreeForRebuild();
}

} // namespace ombrix::ui
