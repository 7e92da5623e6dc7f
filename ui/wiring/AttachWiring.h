#pragma once

#include <functional>
#include <QObject>
#include <QString>

namespace ombrix::ui {

class BackupWiring;
class ProgramShell;

// The attach controls of the backup page: the set list ComboBox1, filled from the destination
// whenever the page is entered, and the button Button11 "Navázat", enabled once a set is chosen.
// Its click attaches to the chosen set (ChainAttach) and, when that worked, starts the program
// afresh: restart.sh is started, the configuration flushed and the main window closed.
class AttachWiring : public QObject
{
    Q_OBJECT

  public:
    AttachWiring(ProgramShell& shell, BackupWiring& backup, QObject* parent = nullptr);

    // The page was entered: the list shows the sets of the destination, none chosen.
    void fillAttachList();
    void Button11Click();

    // Test seam: what starts the new program; true when it runs. The default writes and starts
    // restart.sh for the running executable.
    void setRestarter(std::function<bool()> restarter) { m_restarter = std::move(restarter); }

  private:
    ProgramShell& m_shell;
    BackupWiring& m_backup;
    std::function<bool()> m_restarter;
};

} // namespace ombrix::ui
