#pragma once

#include "backup/BackupControls.h"
#include "backup/ReadinessControls.h"
#include "backup/StoredSettings.h"

namespace ombrix::test {

// The backup page of an unattended run reduced to what the engines read: the stored settings as
// the readiness check loaded them. Nothing is shown, mailed, powered off or ended.
class WorkerControls : public BackupControls, public ReadinessControls
{
  public:
    void setStartCaption(const QString&, int) override {}
    void setStartEnabled(bool) override {}
    void setSkipEnabled(bool) override {}
    void setResetChecked(bool) override {}
    void setResetCheckEnabled(bool) override {}
    void setResetButtonEnabled(bool) override {}
    void setAttachEnabled(bool) override {}
    void setAttachListEnabled(bool) override {}
    void setPasswordCheckEnabled(bool) override {}
    void setPasswordFieldEnabled(bool) override {}
    void setPagesEnabled(bool, int) override {}
    bool runBeforeBackup() const override { return m_settings.runBeforeBackup; }
    QString programBefore() const override { return m_settings.programBefore; }
    bool runAfterBackup() const override { return m_settings.runAfterBackup; }
    QString programAfter() const override { return m_settings.programAfter; }
    bool highCompression() const override { return m_settings.highCompression; }
    bool verifyArchives() const override { return m_settings.verifyLastArchive; }
    bool passwordEnabled() const override { return m_settings.passwordSet; }
    QString archivePassword() const override { return m_settings.archivePassword; }
    bool autoStart() const override { return true; }
    bool skipInvalidSources() const override { return m_settings.sourceErrorSkip; }
    bool powerOffAfterBackup() const override { return false; }
    QString destinationFolder() const override { return m_settings.backupDir; }
    bool emailReport() const override { return false; }
    bool isUnattended() const override { return true; }
    bool isScheduledRun() const override { return true; }
    void disableAutoStart() override {}
    void xExit() override {}
    bool WindowsExit(int) override { return false; }
    void loadLog(const QString&) override {}
    void showLogModal() override {}
    void clearRestoreListLoaded() override {}
    void email_send(const QString&, const QString&, const QString&) override {}
    void fixuj_pocet_archivu(int) override {}
    void showStoredSettings(const StoredSettings& settings) override { m_settings = settings; }

  private:
    StoredSettings m_settings;
};

} // namespace ombrix::test
