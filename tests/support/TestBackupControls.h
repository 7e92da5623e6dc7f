#pragma once

#include "backup/BackupControls.h"
#include "backup/ReadinessControls.h"

#include <QString>
#include <QStringList>

namespace ombrix::test {

// The backup page and settings page as plain fields: what the engines set is remembered, what
// they read is whatever the test put there. The stored settings the readiness check loads are
// taken over into the live option fields as the window would show them.
class TestBackupControls : public BackupControls, public ReadinessControls
{
  public:
    // BackupControls
    void setStartCaption(const QString& caption, int fontSize) override
    {
        startCaption = caption;
        startFontSize = fontSize;
    }
    void setStartEnabled(bool enabled) override { startEnabled = enabled; }
    void setSkipEnabled(bool enabled) override { skipEnabled = enabled; }
    void setResetChecked(bool checked) override { resetChecked = checked; }
    void setResetCheckEnabled(bool enabled) override { resetCheckEnabled = enabled; }
    void setResetButtonEnabled(bool enabled) override { resetButtonEnabled = enabled; }
    void setAttachEnabled(bool enabled) override { attachEnabled = enabled; }
    void setAttachListEnabled(bool enabled) override { attachListEnabled = enabled; }
    void setPasswordCheckEnabled(bool enabled) override { passwordCheckEnabled = enabled; }
    void setPasswordFieldEnabled(bool enabled) override { passwordFieldEnabled = enabled; }
    void setPagesEnabled(bool enabled, int keepIndex) override
    {
        pagesEnabled = enabled;
        pagesKeepIndex = keepIndex;
    }
    bool runBeforeBackup() const override { return checkBox1; }
    QString programBefore() const override { return edit6; }
    bool runAfterBackup() const override { return checkBox3; }
    QString programAfter() const override { return edit7; }
    bool highCompression() const override { return checkBox6; }
    bool verifyArchives() const override { return checkBox7; }
    bool passwordEnabled() const override { return checkBox9; }
    QString archivePassword() const override { return password; }
    bool autoStart() const override { return checkBox14; }
    bool skipInvalidSources() const override { return checkBox15; }
    bool powerOffAfterBackup() const override { return checkBox17; }
    QString destinationFolder() const override { return edit1; }
    bool emailReport() const override { return checkBox11; }
    bool isUnattended() const override { return scheduled || checkBox14; }
    bool isScheduledRun() const override { return scheduled; }
    void disableAutoStart() override { ++autoStartDisabled; }
    void xExit() override { ++xExitCalls; }
    bool WindowsExit(int rebootParam) override
    {
        powerOffRequests.append(rebootParam);
        return true;
    }
    void loadLog(const QString& path) override;
    void showLogModal() override { ++logShownModal; }
    void clearRestoreListLoaded() override { ++restoreListCleared; }
    void email_send(const QString& subject, const QString& text, const QString& attachment) override
    {
        mails.append(subject + QLatin1Char('|') + text + QLatin1Char('|') + attachment);
    }
    void fixuj_pocet_archivu(int count) override { fixedCounts.append(count); }

    // ReadinessControls
    void showStoredSettings(const StoredSettings& settings) override;
    void resumeRestoreAtStart() override { ++restoreResumeCalls; }
    void resumeMergeAtStart() override { ++mergeResumeCalls; }

    // What the engines set.
    QString startCaption;
    int startFontSize = 0;
    bool startEnabled = true;
    bool skipEnabled = false;
    bool resetChecked = false;
    bool resetCheckEnabled = false;
    bool resetButtonEnabled = true;
    bool attachEnabled = true;
    bool attachListEnabled = true;
    bool passwordCheckEnabled = true;
    bool passwordFieldEnabled = true;
    bool pagesEnabled = true;
    int pagesKeepIndex = -1;
    int autoStartDisabled = 0;
    int xExitCalls = 0;
    QList<int> powerOffRequests;
    QString loadedLog;
    int logShownModal = 0;
    int restoreListCleared = 0;
    QStringList mails;
    QList<int> fixedCounts;
    int restoreResumeCalls = 0;
    int mergeResumeCalls = 0;
    StoredSettings stored;

    // What the engines read.
    bool checkBox1 = false;
    QString edit6;
    bool checkBox3 = false;
    QString edit7;
    bool checkBox6 = false;
    bool checkBox7 = false;
    bool checkBox9 = false;
    QString password;
    bool checkBox11 = false;
    bool checkBox14 = false;
    bool checkBox15 = false;
    bool checkBox17 = false;
    QString edit1;
    bool scheduled = false;
};

} // namespace ombrix::test
