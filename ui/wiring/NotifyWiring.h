#pragma once

#include "notify/TComThread.h"
#include "ui/mainwindow/UpdateNotice.h"

#include <memory>
#include <optional>
#include <QObject>
#include <QPointer>
#include <QString>

namespace ombrix {
class EmailReport;
}

namespace ombrix::ui {

class EmailDialog;
class ProgramShell;

// The report e-mail and the self-update in the program: the e-mail settings dialog behind
// "Nastavení" (Button20), the sending the backup run asks for, the installation of a waiting
// update at the very start, and the update check the first showing of the window starts, whose
// notice appears in Label35 of the backup page.
class NotifyWiring : public QObject
{
    Q_OBJECT

  public:
    explicit NotifyWiring(ProgramShell& shell, QObject* parent = nullptr);
    ~NotifyWiring() override;

    // Start-up step 1 (EngineHooks::installPendingUpdate): a portable installation with a verified
    // update beside its executable starts restart.sh, which replaces the executable once this
    // process has ended and starts it again in the same run mode. True when this process is to
    // end now; false when the start goes on (no update, or an installation that does not update
    // itself).
    bool installPendingUpdate();
    // Each showing of the window (EngineHooks::startUpdateCheck): sets the request word; the
    // first showing also starts the update check, later ones never start another.
    void startUpdateCheck();

    // The backup run's report e-mail (and the dialog's test mail): false after a logged failure.
    bool email_send(const QString& subject, const QString& text, const QString& attachment);
    // Button20: the e-mail settings dialog, loaded anew and shown window-modal.
    void openEmailSettings();

    EmailReport& emailReport();
    // The dialog (made on first use, owned by the main window).
    EmailDialog* emailDialog();
    // The notice label; without one set, Label35 of the main window is used when it exists.
    void setNotice(UpdateNotice* notice) { m_notice = notice; }
    // What the update check uses; without settings of its own the program's are taken when
    // the check starts (update server, program folder, config.ini, running version, whether
    // this installation may replace its executable).
    void setUpdateSettings(const TComThread::Settings& settings) { m_updateSettings = settings; }
    // The running update check; null before the first showing and once it has ended.
    TComThread* updateCheck() const
    {
        return m_updateCheck && !m_updateCheck->isFinished() ? m_updateCheck.get() : nullptr;
    }

  private:
    // The notice step, on the window's thread while the check waits.
    void noticeStep(TComThread& check);
    UpdateNotice* notice() const;
    TComThread::Settings programUpdateSettings() const;

    ProgramShell& m_shell;
    std::unique_ptr<EmailReport> m_email;
    QPointer<EmailDialog> m_dialog;
    QPointer<UpdateNotice> m_notice;
    std::optional<TComThread::Settings> m_updateSettings;
    std::unique_ptr<TComThread> m_updateCheck;
    QString m_requestWord;
    bool m_updateStarted = false;
};

} // namespace ombrix::ui
