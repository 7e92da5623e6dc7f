#pragma once

#include <QString>

namespace ombrix {

// Everything the backup run and the readiness check do to or read from the window. Options are
// read at the moment they are used, so a change on the settings page during a run counts from
// the next file on. The window's wiring implements it; tests use a recording implementation.
class BackupControls
{
  public:
    virtual ~BackupControls() = default;

    // START (BitBtn1): caption with its font size, and whether it can be pressed.
    virtual void setStartCaption(const QString& caption, int fontSize) = 0;
    virtual void setStartEnabled(bool enabled) = 0;
    // "Přeskočit" (Button21), enabled only while files are being archived.
    virtual void setSkipEnabled(bool enabled) = 0;
    // The reset check box CheckBox2 (checked state and enabled state) and its button Button5.
    virtual void setResetChecked(bool checked) = 0;
    virtual void setResetCheckEnabled(bool enabled) = 0;
    virtual void setResetButtonEnabled(bool enabled) = 0;
    // Attaching to a chain: the button Button11 and the set list ComboBox1.
    virtual void setAttachEnabled(bool enabled) = 0;
    virtual void setAttachListEnabled(bool enabled) = 0;
    // The password controls: check box CheckBox9 and field Edit12.
    virtual void setPasswordCheckEnabled(bool enabled) = 0;
    virtual void setPasswordFieldEnabled(bool enabled) = 0;
    void setPasswordControlsEnabled(bool enabled)
    {
        setPasswordCheckEnabled(enabled);
        setPasswordFieldEnabled(enabled);
    }
    // Every page but keepIndex enabled or disabled.
    virtual void setPagesEnabled(bool enabled, int keepIndex) = 0;

    // Live option values.
    virtual bool runBeforeBackup() const = 0;  // CheckBox1
    virtual QString programBefore() const = 0; // Edit6
    virtual bool runAfterBackup() const = 0;   // CheckBox3
    virtual QString programAfter() const = 0;  // Edit7
    virtual bool highCompression() const = 0;  // CheckBox6
    virtual bool verifyArchives() const = 0;   // CheckBox7
    virtual bool passwordEnabled() const = 0;  // CheckBox9
    virtual QString archivePassword() const = 0;
    virtual bool autoStart() const = 0;            // CheckBox14
    virtual bool skipInvalidSources() const = 0;   // CheckBox15
    virtual bool powerOffAfterBackup() const = 0;  // CheckBox17
    virtual QString destinationFolder() const = 0; // Edit1
    virtual bool emailReport() const = 0;          // CheckBox11 (EMAIL)

    // A scheduled run (first argument "-start"), or the auto-start check box ticked now.
    virtual bool isUnattended() const = 0;
    // The first argument is "-start".
    virtual bool isScheduledRun() const = 0;
    // Disarms the auto-start timer Timer1.
    virtual void disableAutoStart() = 0;
    // The end of an unattended run (does nothing in an interactive one).
    virtual void xExit() = 0;
    // Switches the computer off; true when the system accepted.
    virtual bool WindowsExit(int rebootParam) = 0;

    // The log viewer: loadLog takes the file's text now (the file may be gone by the time the
    // viewer is shown); showLogModal shows what was loaded and returns when it is closed.
    virtual void loadLog(const QString& path) = 0;
    virtual void showLogModal() = 0;

    // The restore page lists the sets again the next time it is shown.
    virtual void clearRestoreListLoaded() = 0;

    // The report e-mail and the fixed archive count; filled in by their own parts.
    virtual void email_send(const QString& subject, const QString& text, const QString& attachment)
    {
        Q_UNUSED(subject);
        Q_UNUSED(text);
        Q_UNUSED(attachment);
    }
    virtual void fixuj_pocet_archivu(int count) { Q_UNUSED(count); }
};

} // namespace ombrix
