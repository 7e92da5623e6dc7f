#pragma once

#include "backup/BackupControls.h"
#include "backup/ReadinessControls.h"

#include <functional>
#include <QString>

class QWidget;

namespace ombrix {
class IniStore;
}

namespace ombrix::ui {

class LogViewer;
class MainWindow;
class RunController;
class WindowHost;

// The backup run's and the readiness check's view of the main window: every control is found
// by its designer name (BitBtn1, Button21, CheckBox7, Edit1, ...), so the pages that own them
// need to know nothing about the engines. Options are read from the live controls at the moment
// the engine asks.
class WindowBackupControls : public BackupControls, public ReadinessControls
{
  public:
    WindowBackupControls(MainWindow* window, RunController* controller, WindowHost* host,
                         LogViewer* logViewer);

    // The store of the current readiness pass: the pages load their settings from it and write
    // their changes to it.
    void setConfigStore(IniStore* store);
    // How the log viewer is shown modally. The default shows it when a person sits at the
    // window (a window nobody can close must not stop the program); tests replace it.
    void setModalShower(std::function<void(LogViewer&)> shower) { m_showModal = std::move(shower); }
    // The restore and merge wiring take over the start-up checks of their runs and the fixed
    // archive count a completed backup asks for, the notify wiring the report e-mail; an empty
    // hook does nothing.
    struct RunHooks
    {
        std::function<void()> resumeRestoreAtStart;
        std::function<void()> resumeMergeAtStart;
        std::function<void(int count)> fixedArchiveCount;
        std::function<void(const QString& subject, const QString& text, const QString& attachment)> emailSend;
    };
    void setRunHooks(RunHooks hooks) { m_runHooks = std::move(hooks); }
    // restoreListLoaded: the restore page has listed the sets since the last readiness pass or
    // backup run; it lists them again when it is next shown otherwise.
    bool restoreListLoaded() const { return m_restoreListLoaded; }
    void setRestoreListLoaded(bool loaded) { m_restoreListLoaded = loaded; }
    // The end of an unattended run whose outcome the caller knows (a merge continued at start);
    // xExit() takes the outcome of the backup run from the run controller's outcome source.
    void endUnattendedRun(int exitCode);

    // BackupControls
    void setStartCaption(const QString& caption, int fontSize) override;
    void setStartEnabled(bool enabled) override;
    void setSkipEnabled(bool enabled) override;
    void setResetChecked(bool checked) override;
    void setResetCheckEnabled(bool enabled) override;
    void setResetButtonEnabled(bool enabled) override;
    void setAttachEnabled(bool enabled) override;
    void setAttachListEnabled(bool enabled) override;
    void setPasswordCheckEnabled(bool enabled) override;
    void setPasswordFieldEnabled(bool enabled) override;
    void setPagesEnabled(bool enabled, int keepIndex) override;
    bool runBeforeBackup() const override;
    QString programBefore() const override;
    bool runAfterBackup() const override;
    QString programAfter() const override;
    bool highCompression() const override;
    bool verifyArchives() const override;
    bool passwordEnabled() const override;
    QString archivePassword() const override;
    bool autoStart() const override;
    bool skipInvalidSources() const override;
    bool powerOffAfterBackup() const override;
    QString destinationFolder() const override;
    bool emailReport() const override;
    bool isUnattended() const override;
    bool isScheduledRun() const override;
    void disableAutoStart() override;
    void xExit() override;
    bool WindowsExit(int rebootParam) override;
    void loadLog(const QString& path) override;
    void showLogModal() override;
    void clearRestoreListLoaded() override { m_restoreListLoaded = false; }
    void fixuj_pocet_archivu(int count) override;
    void email_send(const QString& subject, const QString& text, const QString& attachment) override;

    // ReadinessControls
    void showStoredSettings(const StoredSettings& settings) override;
    void reloadSourceList() override;
    void resumeRestoreAtStart() override;
    void resumeMergeAtStart() override;

  private:
    template <typename T> T* control(const char* name) const;
    bool checked(const char* name) const;
    QString text(const char* name) const;
    void setEnabled(const char* name, bool enabled);

    MainWindow* m_window;
    RunController* m_controller;
    WindowHost* m_host;
    LogViewer* m_logViewer;
    IniStore* m_store = nullptr;
    std::function<void(LogViewer&)> m_showModal;
    RunHooks m_runHooks;
    bool m_restoreListLoaded = false;
};

} // namespace ombrix::ui
