#pragma once

#include <QString>
#include <QStringList>

namespace ombrix {

// Everything the archive browser (the restore page "Obnova") does to or reads from the window.
// The window's wiring implements it on the real controls; tests use plain fields.
class ArchiveBrowserControls
{
  public:
    virtual ~ArchiveBrowserControls() = default;

    // The set list ListBox2: replaced by entries (set names without "OMX_"), nothing selected.
    virtual void setSetList(const QStringList& entries) = 0;
    // The selected entry's text; empty when none is selected.
    virtual QString selectedEntry() const = 0;
    virtual void setSetListEnabled(bool enabled) = 0;
    // The "Obnovit seznam" button (Button8).
    virtual void setRefreshEnabled(bool enabled) = 0;
    // The buttons that need a chosen set: test (Button10), tree (BitBtn3) and log (Button18).
    virtual void setSetButtonsEnabled(bool enabled) = 0;
    // The restore button BitBtn2.
    virtual void setRestoreEnabled(bool enabled) = 0;
    // The restore page's working controls together, as the restore run switches them.
    virtual void enableRestoreControls(bool on) = 0;
    // Coloured listing (COLOR_ARCHIVES, CheckBox10) is on.
    virtual bool coloredListing() const = 0;

    // The test: its button's caption ("test"/"stop") and enablement, the result label Label21 and
    // the test's own progress bar.
    virtual void setTestCaption(const QString& caption) = 0;
    virtual void setTestEnabled(bool enabled) = 0;
    virtual void setTestResult(const QString& text) = 0;
    virtual void setTestProgress(int maximum, int position) = 0;

    // The restore place: CheckBox4, the folder field Edit8 with its browse button Button9, and the
    // mode choices RadioButton3 (exact state) and RadioButton4 (keep unarchived files).
    virtual bool restoreToOriginal() const = 0;
    virtual bool exactStateSelected() const = 0;
    virtual void setFolderEnabled(bool enabled) = 0;
    virtual void setExactStateEnabled(bool enabled) = 0;
    virtual void setKeepEnabled(bool enabled) = 0;
    // Selects the keep choice (RadioButton4) without any other effect.
    virtual void selectKeepUnarchived() = 0;
    // The file-system warning of the page (check_filesystems) is decided again.
    virtual void refreshFileSystemWarning() = 0;

    // The password check box and field of the settings page (CheckBox9, Edit12).
    virtual void setPasswordControlsEnabled(bool enabled) = 0;
    virtual bool passwordEnabled() const = 0;
    virtual QString archivePassword() const = 0;

    // The log window's text, and its modal showing (only when a person can close it).
    virtual void setLogText(const QString& text) = 0;
    virtual QString logText() const = 0;
    virtual void showLogModal() = 0;

    // The selective tree is built again the next time it opens.
    virtual void markTreeForRebuild() = 0;
};

} // namespace ombrix
