#pragma once

#include "restore/RestoreControls.h"

#include <QString>

namespace ombrix::test {

// The restore page as plain fields.
class TestRestoreControls : public RestoreControls
{
  public:
    void setRestoreCaption(const QString& text) override { caption = text; }
    void setRestoreEnabled(bool enabled) override { restoreEnabled = enabled; }
    void enableRestoreControls(bool on) override { controlsEnabled = on; }
    void setPagesEnabled(bool enabled, int keepIndex) override
    {
        pagesEnabled = enabled;
        keptPage = keepIndex;
    }
    void setPasswordControlsEnabled(bool enabled) override { passwordControlsEnabled = enabled; }
    bool restoreToOriginal() const override { return toOriginal; }
    QString restoreFolder() const override { return folder; }
    bool exactState() const override { return exact; }
    QString chosenSet() const override { return set; }
    void selectSet(const QString& fullName) override { set = fullName; }
    void refreshSetList() override
    {
        ++refreshes;
        set.clear();
    }
    void clearResetControls() override { resetCleared = true; }
    bool passwordEnabled() const override { return !password.isEmpty(); }
    QString archivePassword() const override { return password; }

    QString caption;
    bool restoreEnabled = true;
    bool controlsEnabled = true;
    bool pagesEnabled = true;
    int keptPage = -1;
    bool passwordControlsEnabled = true;
    bool toOriginal = false;
    QString folder;
    bool exact = false;
    QString set;
    int refreshes = 0;
    bool resetCleared = false;
    QString password;
};

} // namespace ombrix::test
