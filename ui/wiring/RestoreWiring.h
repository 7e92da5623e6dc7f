#pragma once

#include <QObject>

namespace ombrix::ui {

class BackupWiring;
class ProgramShell;

// Connects the restore engines to the restore page "Obnova", to the selective restore tree and to
// the restore reset of the settings page (CheckBox5/Button12). The engines work on the
// configuration store of the backup wiring's current generation.
class RestoreWiring : public QObject
{
    Q_OBJECT

  public:
    RestoreWiring(ProgramShell& shell, BackupWiring& backup, QObject* parent = nullptr);
    ~RestoreWiring() override;

    // Called by the start-up readiness check: offers a pending restore for continuation.
    void resumeRestoreAtStart();

  private:
    ProgramShell& m_shell;
    BackupWiring& m_backup;
};

} // namespace ombrix::ui
