#include "ui/mainwindow/MainWindow.h"

#include "core/app/ProgramVersion.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/DestinationPage.h"
#include "ui/mainwindow/IntroPage.h"
#include "ui/mainwindow/MergePage.h"
#include "ui/mainwindow/RestorePage.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/mainwindow/SourcesPage.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <QTabWidget>

namespace ombrix::ui {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(app::windowCaption());

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_intro = new IntroPage;
    m_sources = new SourcesPage;
    m_destination = new DestinationPage;
    m_backup = new BackupPage;
    m_restore = new RestorePage;
    m_merge = new MergePage;
    m_settings = new SettingsPage;
    const struct
    {
        QWidget* page;
        const char* name;
        const char* caption;
    } pages[] = {
        {m_intro, "TabSheet1", "Úvod"},
        {m_sources, "TabSheet2", "Co zálohovat"},
        {m_destination, "TabSheet3", "Kam zálohovat"},
        {m_backup, "TabSheet4", "Zálohování"},
        {m_restore, "TabSheet5", "Obnova"},
        {m_merge, "TabSheet6", "Sloučení archivů"},
        {m_settings, "TabSheet7", "Nastavení"},
    };
    for (const auto& page : pages) {
        page.page->setObjectName(QLatin1String(page.name));
        m_pages->addTab(page.page, QString::fromUtf8(page.caption));
    }
    setCentralWidget(m_pages);
    resize(900, 640);
}

void MainWindow::setPagesEnabled(bool enabled, int keepIndex)
{
    for (int i = 0; i < m_pages->count(); ++i) {
        if (i != keepIndex)
            m_pages->setTabEnabled(i, enabled);
    }
}

void MainWindow::showPage(int index)
{
    m_pages->setCurrentIndex(index);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeHides) {
        event->ignore();
        hide();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        Q_EMIT shown();
}

} // namespace ombrix::ui
