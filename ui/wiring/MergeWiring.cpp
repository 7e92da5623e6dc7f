#include "ui/wiring/MergeWiring.h"

#include "core/app/ExitCode.h"
#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/lang/Translator.h"
#include "core/log/RunLog.h"
#include "merge/ArchiveCountKeeper.h"
#include "merge/MergeRun.h"
#include "merge/MergeSetList.h"
#include "storage/ProgramDestination.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/MergePage.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/SettingsPage.h"
#include "ui/mainwindow/WindowHost.h"
#include "ui/setlists/SetEntryDelegate.h"
#include "ui/wiring/BackupEngines.h"
#include "ui/wiring/BackupWiring.h"
#include "ui/wiring/WindowBackupControls.h"
#include "ui/wiring/WindowMergeControls.h"

#include <QCheckBox>
#include <QEvent>
#include <QListWidget>
#include <QPushButton>

namespace ombrix::ui {

namespace {

// Log lines of an unattended start that found SUM_DONE 0 but could not continue the merge.
const QString destinationMissingLog = QStringLiteral("merge not continued, destination not reachable");
const QString rangeLostLog = QStringLiteral("merge not continued, its range is gone, last set: ");
const QString restorePendingLog =
    QStringLiteral("no unfinished merge; backup not started, a restore is unfinished");

} // namespace

// One generation of the merge engines, on one configuration store and one destination folder. It
// holds the backup generation that owns the store, which therefore goes only after them.
struct MergeWiring::Engines
{
    Engines(ProgramShell& shell, BackupWiring& backup, WindowMergeControls& controls,
            std::shared_ptr<BackupEngines> owner)
        : generation(std::move(owner)), config(&generation->config()),
          destination(generation->destination().destination()),
          setList(*shell.host(), controls, *config, shell.runState(), destination),
          run(*shell.host(), controls, *config, shell.runLog(), shell.runState(), backup.archiveState(),
              destination),
          keeper(*config, destination, setList, controls, run,
                 [&shell](int page) { shell.window()->showPage(page); })
    {
    }

    std::shared_ptr<BackupEngines> generation;
    IniStore* config;
    Destination& destination;
    MergeSetList setList;
    MergeRun run;
    ArchiveCountKeeper keeper;
};

MergeWiring::MergeWiring(ProgramShell& shell, BackupWiring& backup, QObject* parent)
    : QObject(parent), m_shell(shell), m_backup(backup),
      m_controls(std::make_unique<WindowMergeControls>(shell.window(), backup.controls()))
{
    MainWindow* window = m_shell.window();
    MergePage* page = window->mergePage();
    connect(page->runButton(), &QPushButton::clicked, this, &MergeWiring::BitBtn4Click);
    connect(page->sizeButton(), &QPushButton::clicked, this, &MergeWiring::Button15Click);
    connect(page->setList(), &QListWidget::itemClicked, this,
            [this, page](QListWidgetItem* item) { ListBox4Click(page->setList()->row(item)); });
    // Every showing of the page lists the sets: a switch to its tab, and a window shown with the
    // page already current.
    page->installEventFilter(this);
    connect(window->settingsPage(), &SettingsPage::coloredListsChanged, this, &MergeWiring::applyColoring);
    m_controls->setExitCode([this] { return unattendedExitCode(); });
}

MergeWiring::~MergeWiring()
{
    m_controls->setSetList(nullptr);
    m_engines.reset();
}

// A merge that finished (SUM_DONE back at 1, not refused) completed the run, with warnings when
// files had to stay in their old sets; a refused, stopped or halted merge did not.
int MergeWiring::unattendedExitCode() const
{
    if (!m_engines || m_engines->run.refused() || m_engines->config->readInt(ConfigKeys::SUM_DONE, 0) != 1)
        return app::ExitCode::NotCompleted;
    return m_engines->run.unmovedFiles().isEmpty() ? app::ExitCode::Completed : app::ExitCode::Warnings;
}

bool MergeWiring::busy() const
{
    return m_mergeDepth > 0 || m_pickDepth > 0 || m_measureDepth > 0 ||
           (m_engines && m_engines->setList.measuring());
}

void MergeWiring::operationEnded()
{
    if (m_resumePending && !busy())
        resumeMergeAtStart();
}

bool MergeWiring::ensureEngines()
{
    std::shared_ptr<BackupEngines> generation = m_backup.shareEngines();
    if (!generation)
        return m_engines != nullptr;
    // The destination is the one of the readiness pass, so the list and the merge always work on
    // the same destination, whatever is typed into the destination page meanwhile.
    if (m_engines && (busy() || m_engines->generation == generation))
        return true;
    m_controls->setSetList(nullptr);
    m_engines.reset();
    m_engines = std::make_unique<Engines>(m_shell, m_backup, *m_controls, std::move(generation));
    m_controls->setSetList(&m_engines->setList);
    // A new generation follows the stored settings, coloured drawing of the set list among them.
    applyColoring(m_shell.window()->settingsPage()->colorListsBox()->isChecked());
    // A list on show came from the previous generation's destination.
    if (m_shell.window()->mergePage()->isVisible())
        m_engines->setList.listMergeSets();
    return true;
}

MergeSetList* MergeWiring::setList()
{
    return ensureEngines() ? &m_engines->setList : nullptr;
}

MergeRun* MergeWiring::mergeRun()
{
    return ensureEngines() ? &m_engines->run : nullptr;
}

void MergeWiring::applyColoring(bool on)
{
    SetEntryDelegate::setColored(m_shell.window()->mergePage()->setList(),
                                 m_backup.archiveState().archiveColorCache, on);
}

bool MergeWiring::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched == m_shell.window()->mergePage() && !busy() &&
        ensureEngines())
        m_engines->setList.listMergeSets();
    return QObject::eventFilter(watched, event);
}

void MergeWiring::runMergeGuarded()
{
    ++m_mergeDepth;
    m_engines->run.runMerge();
    --m_mergeDepth;
}

void MergeWiring::BitBtn4Click()
{
    if (!ensureEngines())
        return;
    if (m_mergeDepth > 0) {
        // The button reads "STOP": only the stop flag is set; the running merge ends itself.
        m_engines->run.runMerge();
        return;
    }
    runMergeGuarded();
    const bool finished =
        !m_engines->run.refused() && m_engines->config->readInt(ConfigKeys::SUM_DONE, 0) == 1;
    operationEnded();
    // A merge that finished in a scheduled run ends the program, as the scheduled run would.
    if (finished && m_backup.controls().isScheduledRun())
        m_controls->xExit();
}

void MergeWiring::Button15Click()
{
    // A click while the measurement runs (the button reads "STOP") arrives inside it and stops it.
    if (!ensureEngines())
        return;
    ++m_measureDepth;
    m_engines->setList.measureSelectedSets();
    --m_measureDepth;
    operationEnded();
}

void MergeWiring::ListBox4Click(int position)
{
    if (!ensureEngines())
        return;
    // The pick lets pending events run; the engines must stay as they are meanwhile.
    ++m_pickDepth;
    m_engines->setList.pickMergeBoundary(position);
    --m_pickDepth;
    operationEnded();
}

void MergeWiring::resumeMergeAtStart()
{
    if (!ensureEngines())
        return;
    // An operation keeps its engines; this step follows when it has ended, on the new store.
    if (busy()) {
        m_resumePending = true;
        return;
    }
    m_resumePending = false;
    m_engines->run.resumeMergeAtStart();
    if (m_engines->config->readInt(ConfigKeys::SUM_DONE, 1) != 0)
        return;
    m_shell.window()->showPage(MainWindow::MergeIndex);
    // Showing the page lists the sets; listing again also covers a page that was already shown.
    m_engines->setList.listMergeSets();
}

void MergeWiring::fixuj_pocet_archivu(int pocet_archivu_max)
{
    if (!ensureEngines() || busy())
        return;
    const bool firstWithSecond = m_shell.window()->settingsPage()->mergeFirstBox()->isChecked();
    ++m_mergeDepth;
    m_controls->setExitDeferred(true);
    m_engines->keeper.fixuj_pocet_archivu(pocet_archivu_max, firstWithSecond);
    m_controls->setExitDeferred(false);
    --m_mergeDepth;
    operationEnded();
}

void MergeWiring::continueUnfinishedMerge()
{
    if (!ensureEngines()) {
        m_controls->xExit();
        return;
    }
    if (busy())
        return;
    IniStore& config = *m_engines->config;
    RunLog& runLog = m_shell.runLog();
    const QString to = config.readString(ConfigKeys::SUM_TO, QString());
    if (to.isEmpty()) {
        // No range was ever stored (a configuration without SUM_DONE reads as unfinished): no merge
        // is pending. The run goes on as the auto-start timer would have gone on.
        config.writeInt(ConfigKeys::SUM_DONE, 1);
        config.writeString(ConfigKeys::SUM_FROM, QString());
        if (config.readBool(ConfigKeys::RECOVERY_DONE, false)) {
            m_shell.window()->showPage(MainWindow::BackupIndex);
            m_backup.BitBtn1Click();
        } else {
            // Neither a merge nor the backup ran: the scheduled run did not do its work.
            runLog.dologu(restorePendingLog);
            m_backup.controls().endUnattendedRun(app::ExitCode::NotCompleted);
        }
        return;
    }

    m_shell.window()->showPage(MainWindow::MergeIndex);
    switch (m_engines->setList.listMergeSets()) {
    case MergeSetList::Listing::RangeRestored:
        if (m_controls->selectedPositions().size() < 2) {
            // Only the target is left of the range: the merged sets were all deleted already.
            config.writeInt(ConfigKeys::SUM_DONE, 1);
            config.writeString(ConfigKeys::SUM_FROM, QString());
            config.writeString(ConfigKeys::SUM_TO, QString());
            m_controls->setMergeCaption(getLang(QStringLiteral("SLOUČIT")));
            m_controls->setPagesEnabled(true, MainWindow::MergeIndex);
            m_engines->setList.listMergeSets();
        } else {
            runMergeGuarded();
        }
        break;
    case MergeSetList::Listing::NoDestination:
        // SUM_DONE stays 0: the merge continues when the destination is back.
        runLog.dologu(destinationMissingLog);
        break;
    case MergeSetList::Listing::Listed:
    case MergeSetList::Listing::Busy:
        break;
    case MergeSetList::Listing::RangeLost:
        // The target set is gone: nothing is left to merge into.
        runLog.dologu(rangeLostLog + SetName::prefix.toString() + to);
        config.writeInt(ConfigKeys::SUM_DONE, 1);
        m_controls->setMergeCaption(getLang(QStringLiteral("SLOUČIT")));
        m_controls->setPagesEnabled(true, MainWindow::MergeIndex);
        break;
    }
    m_controls->xExit();
}

} // namespace ombrix::ui
