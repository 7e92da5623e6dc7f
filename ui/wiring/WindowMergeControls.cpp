#include "ui/wiring/WindowMergeControls.h"

#include "core/app/ExitCode.h"
#include "merge/MergeSetList.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/MergePage.h"
#include "ui/wiring/WindowBackupControls.h"

#include <QListWidget>
#include <QPushButton>

namespace ombrix::ui {

WindowMergeControls::WindowMergeControls(MainWindow* window, WindowBackupControls& backupControls)
    : m_window(window), m_backupControls(backupControls)
{
}

QListWidget* WindowMergeControls::list() const
{
    return m_window->mergePage()->setList();
}

QPushButton* WindowMergeControls::sizeButton() const
{
    return m_window->mergePage()->sizeButton();
}

QPushButton* WindowMergeControls::mergeButton() const
{
    return m_window->mergePage()->runButton();
}

QStringList WindowMergeControls::mergeEntries() const
{
    QStringList entries;
    for (int q = 0; q < list()->count(); ++q)
        entries << list()->item(q)->text();
    return entries;
}

QList<int> WindowMergeControls::selectedPositions() const
{
    QList<int> positions;
    for (int q = 0; q < list()->count(); ++q) {
        if (list()->item(q)->isSelected())
            positions << q;
    }
    return positions;
}

void WindowMergeControls::enableMergeList(bool on)
{
    list()->setEnabled(on);
    sizeButton()->setEnabled(on);
}

void WindowMergeControls::setMergeEnabled(bool enabled)
{
    mergeButton()->setEnabled(enabled);
}

void WindowMergeControls::setMergeCaption(const QString& caption)
{
    mergeButton()->setText(caption);
}

void WindowMergeControls::setPagesEnabled(bool enabled, int keepIndex)
{
    m_backupControls.setPagesEnabled(enabled, keepIndex);
}

void WindowMergeControls::setMergeEntry(int position, const QString& text)
{
    if (QListWidgetItem* item = list()->item(position))
        item->setText(text);
}

void WindowMergeControls::selectOnly(int position)
{
    list()->clearSelection();
    if (QListWidgetItem* item = list()->item(position)) {
        item->setSelected(true);
        list()->scrollToItem(item);
    }
}

void WindowMergeControls::selectMergeRange()
{
    if (m_setList)
        m_setList->selectMergeRange();
}

void WindowMergeControls::listMergeSets()
{
    if (m_setList)
        m_setList->listMergeSets();
}

void WindowMergeControls::clearRestoreListLoaded()
{
    m_backupControls.clearRestoreListLoaded();
}

void WindowMergeControls::xExit()
{
    if (!m_exitDeferred)
        m_backupControls.endUnattendedRun(m_exitCode ? m_exitCode() : app::ExitCode::NotCompleted);
}

bool WindowMergeControls::passwordEnabled() const
{
    return m_backupControls.passwordEnabled();
}

QString WindowMergeControls::archivePassword() const
{
    return m_backupControls.archivePassword();
}

void WindowMergeControls::setMergeEntries(const QStringList& entries)
{
    list()->clear();
    list()->addItems(entries);
}

void WindowMergeControls::insertMergeEntry(int position, const QString& text)
{
    list()->insertItem(position, text);
}

void WindowMergeControls::removeMergeEntry(int position)
{
    delete list()->takeItem(position);
}

void WindowMergeControls::clearMergeSelection()
{
    list()->clearSelection();
}

void WindowMergeControls::setMergeEntrySelected(int position, bool selected)
{
    if (QListWidgetItem* item = list()->item(position))
        item->setSelected(selected);
}

void WindowMergeControls::setSizeEnabled(bool enabled)
{
    sizeButton()->setEnabled(enabled);
}

QString WindowMergeControls::sizeCaption() const
{
    return sizeButton()->text();
}

void WindowMergeControls::setSizeCaption(const QString& caption)
{
    sizeButton()->setText(caption);
}

} // namespace ombrix::ui
