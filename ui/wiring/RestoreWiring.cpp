#include "ui/wiring/RestoreWiring.h"

#include "ui/mainwindow/ProgramShell.h"
#include "ui/wiring/BackupWiring.h"

namespace ombrix::ui {

RestoreWiring::RestoreWiring(ProgramShell& shell, BackupWiring& backup, QObject* parent)
    : QObject(parent), m_shell(shell), m_backup(backup)
{
}

RestoreWiring::~RestoreWiring() = default;

void RestoreWiring::resumeRestoreAtStart() {}

} // namespace ombrix::ui
