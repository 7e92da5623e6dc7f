#include "ui/wiring/RestoreWiring.h"

#include "archive/ArchiverRunner.h"
#include "archive/ArchiveSetChecks.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/lang/Translator.h"
#include "core/log/Status.h"
#include "platform/ProgramFolder.h"
#include "restore/ArchiveBrowser.h"
#include "restore/RestoreRun.h"
#include "storage/local/FileSystemWarning.h"
#include "storage/ProgramDestination.h"
#include "ui/dialogs/FileDialogs.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/DestinationPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RestorePage.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/mainwindow/WindowHost.h"
#include "ui/restoretree/TreeWindow.h"
#include "ui/setlists/SetEntryDelegate.h"
#include "ui/wiring/BackupEngines.h"
#include "ui/wiring/BackupWiring.h"
#include "ui/wiring/WindowBackupControls.h"
#include "ui/wiring/WindowRestoreControls.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace ombrix::ui {

class RestoreWiring::OperationScope
{
  public:
    explicit OperationScope(RestoreWiring& wiring) : m_wiring(wiring) { ++m_wiring.m_operationDepth; }
    ~OperationScope()
    {
        if (--m_wiring.m_operationDepth == 0 && m_wiring.m_resumePending && !m_wiring.busy()) {
            m_wiring.m_resumePending = false;
            m_wiring.resumeRestoreAtStart();
        }
    }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

  private:
    RestoreWiring& m_wiring;
};

RestoreWiring::RestoreWiring(ProgramShell& shell, BackupWiring& backup, QObject* parent)
    : QObject(parent), m_shell(shell), m_backup(backup)
{
    MainWindow* window = shell.window();
    RestorePage* page = window->restorePage();
    SettingsPage* settings = window->settingsPage();

    m_controls = std::make_unique<WindowRestoreControls>(window, backup.controls(), backup.logViewer());
    WindowRestoreControls::Hooks hooks;
    hooks.refreshSetList = [this] { listArchiveSets(); };
    hooks.markTreeForRebuild = [this] { markTreeForRebuild(); };
    hooks.refreshFileSystemWarning = [this] { refreshFileSystemWarning(); };
    hooks.exactStateBlocked = [this] { return m_browser && m_browser->exactStateBlocked(); };
    m_controls->setHooks(std::move(hooks));

    connect(window->pages(), &QTabWidget::currentChanged, this, [this](int index) {
        if (index == MainWindow::RestoreIndex)
            showRestorePage();
    });
    connect(window->backupPage(), &BackupPage::shown, this, &RestoreWiring::refreshFileSystemWarning);
    connect(page->refreshButton(), &QPushButton::clicked, this, &RestoreWiring::listArchiveSets);
    connect(page->setList(), &QListWidget::itemClicked, this, &RestoreWiring::chooseArchiveSet);
    connect(page->testButton(), &QPushButton::clicked, this, &RestoreWiring::testkondice);
    connect(page->browseButton(), &QPushButton::clicked, this, &RestoreWiring::browseRestoreFolder);
    connect(page->treeButton(), &QPushButton::clicked, this, &RestoreWiring::openSelectiveTree);
    connect(page->logButton(), &QPushButton::clicked, this, &RestoreWiring::showSetLog);
    connect(page->runButton(), &QPushButton::clicked, this, &RestoreWiring::runRestore);
    connect(page->originalPlaceBox(), &QCheckBox::toggled, this, &RestoreWiring::originalPlaceToggled);
    connect(page->exactStateChoice(), &QRadioButton::toggled, this, [this](bool checked) {
        if (checked && !m_loading && ensureEngines())
            m_browser->setExactState();
    });
    connect(page->keepChoice(), &QRadioButton::toggled, this, [this](bool checked) {
        if (checked && !m_loading && ensureEngines())
            m_browser->setKeepUnarchived();
    });
    connect(page->folderEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_loading && ensureEngines())
            m_browser->setRestoreFolder(text);
    });
    connect(settings->restoreResetButton(), &QPushButton::clicked, this, &RestoreWiring::resetRestore);
    connect(settings, &SettingsPage::coloredListsChanged, this, &RestoreWiring::setColoredLists);
    settings->setSpeedProbe([this]() -> qint64 {
        if (!ensureEngines())
            return 0;
        const OperationScope operation(*this);
        ArchiverRunner runner(m_shell.runState(), *m_shell.host());
        ArchiveSetChecks checks(m_generation->destination().destination(), runner, *m_shell.host(),
                                m_backup.archiveState(), {});
        return checks.destFolderSpeed();
    });
}

RestoreWiring::~RestoreWiring()
{
    // The settings page outlives this wiring; its probe must not call into it afterwards.
    m_shell.window()->settingsPage()->setSpeedProbe({});
}

void RestoreWiring::setCompletionPausePercent(int percent)
{
    m_pausePercent = percent;
    if (m_run)
        m_run->setPausePercent(percent);
}

QString RestoreWiring::destinationFolder() const
{
    return m_shell.window()->destinationPage()->folderEdit()->text();
}

bool RestoreWiring::busy() const
{
    return m_operationDepth > 0 || (m_run && (m_run->running() || m_run->showsStop())) ||
           (m_browser && m_browser->testing());
}

bool RestoreWiring::ensureEngines()
{
    std::shared_ptr<BackupEngines> generation = m_backup.shareEngines();
    if (!generation)
        return false;
    if (m_run && (generation == m_generation || busy()))
        return true;

    // The blocked exact state belongs to the work list, which outlives the engines.
    const bool blocked = m_browser && m_browser->exactStateBlocked();
    m_browser.reset();
    m_run.reset();
    // The previous generation goes only now, after everything made on its store.
    m_generation = std::move(generation);
    IniStore* config = &m_generation->config();
    m_config = config;
    // The applied destination, as the readiness pass of this store opened it.
    Destination& destination = m_generation->destination().destination();
    Host& host = *m_shell.host();
    m_run = std::make_unique<RestoreRun>(host, *m_controls, *config, m_shell.runLog(), m_shell.runState(),
                                         m_backup.archiveState(), destination);
    m_run->setReconnect([&destination] {
        destination.reconnect();
        return destination.isOnline();
    });
    m_run->setPausePercent(m_pausePercent);
    m_browser = std::make_unique<ArchiveBrowser>(host, *m_controls, *config, m_shell.runState(),
                                                 m_backup.archiveState(), destination);
    if (blocked)
        m_browser->blockExactState();
    return true;
}

void RestoreWiring::resumeRestoreAtStart()
{
    // A running operation keeps its engines; this step follows when it has ended, on the store of
    // the pass that asked for it.
    if (busy()) {
        m_resumePending = true;
        return;
    }
    m_resumePending = false;
    if (!ensureEngines())
        return;
    loadOptions();
    SetEntryDelegate::setColored(m_shell.window()->restorePage()->setList(),
                                 m_backup.archiveState().archiveColorCache,
                                 m_shell.window()->settingsPage()->colorListsBox()->isChecked());
    m_run->resumeRestoreAtStart();
}

void RestoreWiring::loadOptions()
{
    const ArchiveBrowser::RestoreOptions options = ArchiveBrowser::loadOptions(*m_config);
    RestorePage* page = m_shell.window()->restorePage();
    m_loading = true;
    page->folderEdit()->setText(options.folder);
    if (options.destination == 1)
        page->exactStateChoice()->setChecked(true);
    else if (options.destination == 2)
        page->keepChoice()->setChecked(true);
    page->originalPlaceBox()->setChecked(options.destination != 0);
    m_loading = false;
    applyPlaceEnablement();
}

void RestoreWiring::applyPlaceEnablement()
{
    RestorePage* page = m_shell.window()->restorePage();
    const bool original = page->originalPlaceBox()->isChecked();
    const bool usable = page->originalPlaceBox()->isEnabled();
    page->setFolderEnabled(usable && !original);
    page->exactStateChoice()->setEnabled(usable && original &&
                                         !(m_browser && m_browser->exactStateBlocked()));
    page->keepChoice()->setEnabled(usable && original);
}

void RestoreWiring::originalPlaceToggled(bool ticked)
{
    if (m_loading)
        return;
    if (ensureEngines())
        m_browser->setRestoreToOriginal(ticked);
    else
        applyPlaceEnablement();
}

void RestoreWiring::refreshFileSystemWarning()
{
    MainWindow* window = m_shell.window();
    RestorePage* page = window->restorePage();
    storage::FileSystemWarningInput input;
    input.destinationFolder = destinationFolder();
    input.destinationType = m_config
                                ? m_config->readString(ConfigKeys::BACKUP_DESTINATION, QStringLiteral("DIR"))
                                : QStringLiteral("DIR");
    input.folderDestinationChosen = window->destinationPage()->folderChoice()->isChecked();
    input.restoreToOriginal = page->originalPlaceBox()->isChecked();
    input.restoreFolder = page->folderEdit()->text();
    input.currentDir = QDir::currentPath();
    input.sourcesFile = platform::programFile(QStringLiteral("sources.txt"));
    const storage::FileSystemWarnings warnings = storage::check_filesystems(input, m_fileSystemQuery);
    window->backupPage()->fileSystemWarning()->setVisible(warnings.backupWarning);
    page->fileSystemWarning()->setVisible(warnings.restoreWarning);
}

bool RestoreWiring::restorePending() const
{
    return m_run && m_run->recoveryMode() == RestoreRun::Mode::pokracovat;
}

void RestoreWiring::showRestorePage()
{
    refreshFileSystemWarning();
    // A stopped or pending restore keeps its list and its locked page: listing again would
    // enable the set list, and choosing another set would replace the work list under the
    // stored position of the restore to be continued.
    if (!m_backup.controls().restoreListLoaded() && !busy() && !restorePending())
        listArchiveSets();
}

void RestoreWiring::listArchiveSets()
{
    if (!ensureEngines() || (m_browser->testing()))
        return;
    // Listing with coloured entries runs the archiver for every set.
    const OperationScope operation(*this);
    SetEntryDelegate::setColored(m_shell.window()->restorePage()->setList(),
                                 m_backup.archiveState().archiveColorCache, m_controls->coloredListing());
    if (m_browser->listArchiveSets())
        m_backup.controls().setRestoreListLoaded(true);
}

void RestoreWiring::chooseArchiveSet()
{
    if (!ensureEngines() || busy() || restorePending())
        return;
    const OperationScope operation(*this);
    const QString entry = m_controls->selectedEntry();
    m_controls->setPreparedSet(QString());
    if (!entry.isEmpty() && m_browser->chooseArchiveSet())
        m_controls->setPreparedSet(QStringLiteral("OMX_") + entry);
}

void RestoreWiring::testkondice()
{
    // A click while the test runs (the button reads "stop") arrives inside it and stops it.
    if (!ensureEngines())
        return;
    const OperationScope operation(*this);
    m_browser->testkondice();
}

void RestoreWiring::browseRestoreFolder()
{
    const QString folder = FileDialogs::instance().browseFromLastFolder(m_shell.window());
    if (!folder.isEmpty())
        m_shell.window()->restorePage()->folderEdit()->setText(folder);
}

void RestoreWiring::markTreeForRebuild()
{
    if (m_tree)
        m_tree->markForRebuild();
}

void RestoreWiring::openSelectiveTree()
{
    if (!m_treeEnabled || !ensureEngines() || busy())
        return;
    const OperationScope operation(*this);
    if (!m_tree) {
        m_tree = new TreeWindow(ArchiveBrowser::recoveryListPath(), m_shell.window());
        m_tree->setHost(m_shell.host());
        connect(m_tree, &TreeWindow::selectionApplied, this, [this] {
            info2(*m_shell.host(),
                  getLang(QString::fromUtf8("Obnova POUZE VYBRANÝCH POLOŽEK začne od začátku")));
            if (m_browser)
                m_browser->blockExactState();
        });
    }
    m_tree->exec();
}

void RestoreWiring::showSetLog()
{
    m_backup.controls().showLogModal();
}

void RestoreWiring::runRestore()
{
    // A STOP click arrives inside the run's message pumping and goes to the same engines.
    if (!ensureEngines())
        return;
    const OperationScope operation(*this);
    m_run->runRestore();
}

void RestoreWiring::resetRestore()
{
    if (!ensureEngines() || busy())
        return;
    const OperationScope operation(*this);
    m_run->resetRestore();
    // The work list is gone: the next set chosen decides the exact state afresh.
}

void RestoreWiring::setColoredLists(bool on)
{
    SetEntryDelegate::setColored(m_shell.window()->restorePage()->setList(),
                                 m_backup.archiveState().archiveColorCache, on);
    if (on) {
        if (m_generation)
            m_generation->destination().destination().clearCaches();
        m_backup.controls().setRestoreListLoaded(false);
    }
}

} // namespace ombrix::ui
