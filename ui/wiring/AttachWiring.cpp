#include "ui/wiring/AttachWiring.h"

#include "archive/ArchiveSettings.h"
#include "backup/ChainAttach.h"
#include "core/config/IniStore.h"
#include "core/log/RunLog.h"
#include "platform/ProgramFolder.h"
#include "platform/ProgramRestart.h"
#include "storage/AttachList.h"
#include "storage/ProgramDestination.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/WindowHost.h"
#include "ui/wiring/BackupEngines.h"
#include "ui/wiring/BackupWiring.h"
#include "ui/wiring/WindowBackupControls.h"

#include <cstdio>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>

namespace ombrix::ui {

namespace {

// OMBRIX_PAUSE_PERCENT, as the backup engines take it: 0..100, else the normal length.
int pausePercentFromEnvironment()
{
    bool numeric = false;
    const int percent = qEnvironmentVariable("OMBRIX_PAUSE_PERCENT").toInt(&numeric);
    return numeric && percent >= 0 && percent <= 100 ? percent : 100;
}

} // namespace

AttachWiring::AttachWiring(ProgramShell& shell, BackupWiring& backup, QObject* parent)
    : QObject(parent), m_shell(shell), m_backup(backup)
{
    m_restarter = [] {
        platform::RestartRequest request;
        request.executable = platform::executablePath();
        request.programFolder = platform::programFolder();
        QString error;
        if (platform::restartProgram(request, &error))
            return true;
        std::fprintf(stderr, "Ombrix: the program cannot be restarted: %s\n",
                     error.toLocal8Bit().constData());
        return false;
    };

    MainWindow* window = shell.window();
    BackupPage* page = window->backupPage();
    connect(window->pages(), &QTabWidget::currentChanged, this, [this](int index) {
        if (index == MainWindow::BackupIndex)
            fillAttachList();
    });
    connect(page->attachList(), &QComboBox::currentIndexChanged, this,
            [page](int index) { page->attachButton()->setEnabled(index >= 0); });
    connect(page->attachButton(), &QPushButton::clicked, this, &AttachWiring::Button11Click);
}

void AttachWiring::fillAttachList()
{
    QComboBox* list = m_shell.window()->backupPage()->attachList();
    list->clear();
    BackupEngines* engines = m_backup.engines();
    if (!engines)
        return;
    // The destination's listing lets events run; the generation must outlive it.
    const std::shared_ptr<BackupEngines> generation = m_backup.shareEngines();
    const QStringList entries = attachListEntries(generation->destination().destination());
    list->addItems(entries);
    // A set is chosen by the person; until then the button stays off.
    list->setCurrentIndex(-1);
}

void AttachWiring::Button11Click()
{
    BackupPage* page = m_shell.window()->backupPage();
    const QString entry = page->attachList()->currentText();
    if (entry.isEmpty() || !m_backup.engines())
        return;
    // Kept alive while the attach lets events run (a readiness pass would replace it).
    const std::shared_ptr<BackupEngines> generation = m_backup.shareEngines();
    ProgramDestination& destination = generation->destination();

    ArchiveSettings settings;
    settings.passwordEnabled = m_backup.controls().passwordEnabled();
    settings.archivePassword = m_backup.controls().archivePassword();
    ChainAttach attach(*m_shell.host(), m_shell.runState(), m_backup.archiveState(),
                       destination.destination(), settings);
    attach.setPausePercent(pausePercentFromEnvironment());

    // The destination in use now stays: the kind that runs, the rest as the pages stored it.
    ChainAttach::DestinationKeys keys = ChainAttach::DestinationKeys::fromConfig(generation->config());
    keys.kind = destination.kind();
    page->attachButton()->setEnabled(false);
    const ChainAttach::Outcome outcome = attach.attach(entry, keys);
    if (outcome != ChainAttach::Outcome::Attached) {
        if (!attach.lastFailure().isEmpty())
            std::fprintf(stderr, "Ombrix: attaching failed: %s\n",
                         attach.lastFailure().toLocal8Bit().constData());
        page->attachButton()->setEnabled(page->attachList()->currentIndex() >= 0);
        return;
    }
    // The old run log is gone with log.txt; nothing of it may be written back.
    m_shell.runLog().clear();
    if (!m_restarter())
        return;
    generation->config().flush();
    m_shell.window()->close();
}

} // namespace ombrix::ui
