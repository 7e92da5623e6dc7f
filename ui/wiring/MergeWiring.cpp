#include "ui/wiring/MergeWiring.h"

#include "ui/mainwindow/ProgramShell.h"
#include "ui/wiring/BackupWiring.h"

namespace ombrix::ui {

MergeWiring::MergeWiring(ProgramShell& shell, BackupWiring& backup, QObject* parent)
    : QObject(parent), m_shell(shell), m_backup(backup)
{
}

MergeWiring::~MergeWiring() = default;

void MergeWiring::resumeMergeAtStart() {}

void MergeWiring::fixuj_pocet_archivu(int pocet_archivu_max)
{
    Q_UNUSED(pocet_archivu_max);
}

void MergeWiring::continueUnfinishedMerge() {}

} // namespace ombrix::ui
