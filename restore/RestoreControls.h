#pragma once

#include <QString>

namespace ombrix {

// Everything the restore run does to or reads from the restore page and the window. Options are
// read when the run starts. The window's wiring implements it; tests use a recording one.
class RestoreControls
{
  public:
    virtual ~RestoreControls() = default;

    // The restore button BitBtn2: "OBNOVA DAT", "STOP" or "pokra čovat".
    virtual void setRestoreCaption(const QString& caption) = 0;
    virtual void setRestoreEnabled(bool enabled) = 0;
    // The restore page's working controls together (set list, test, browse, refresh, original
    // place, folder field, selective tree, log button; the mode choices follow the original-place
    // box).
    virtual void enableRestoreControls(bool on) = 0;
    // Every page but keepIndex enabled or disabled.
    virtual void setPagesEnabled(bool enabled, int keepIndex) = 0;
    // The password check box and field of the settings page (CheckBox9, Edit12).
    virtual void setPasswordControlsEnabled(bool enabled) = 0;

    // The restore options as the page shows them now.
    virtual bool restoreToOriginal() const = 0; // CheckBox4
    virtual QString restoreFolder() const = 0;  // Edit8
    virtual bool exactState() const = 0;        // RadioButton3
    // The full name (with "OMX_") of the set chosen in the list; empty when none.
    virtual QString chosenSet() const = 0;
    // Selects the list entry of a set by its full name.
    virtual void selectSet(const QString& fullName) = 0;
    // Lists the sets again as "Obnovit seznam" does; no set is chosen afterwards.
    virtual void refreshSetList() = 0;
    // The untick of the reset check box CheckBox5 and the disabling of its button Button12.
    virtual void clearResetControls() = 0;

    // The archive password of the settings page.
    virtual bool passwordEnabled() const = 0;
    virtual QString archivePassword() const = 0;
};

} // namespace ombrix
