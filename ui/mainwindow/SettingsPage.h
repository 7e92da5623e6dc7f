#pragma once

#include "core/config/ConfigKeys.h"

#include <functional>
#include <QWidget>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace ombrix {
class Host;
class IniStore;
} // namespace ombrix

namespace ombrix::ui {

class ScheduleGroup;

// Page 6 "Nastavení": the user options. Each control is the live setting: the operations that
// use an option read the control, the control's action writes its key at once, and the readiness
// pass loads every key back (loadSettings). Nothing is saved when the program closes.
class SettingsPage : public QWidget
{
    Q_OBJECT

  public:
    explicit SettingsPage(QWidget* parent = nullptr);

    // The store the controls write to (iniConfig); nothing is written while it is null.
    void setConfigStore(IniStore* store) { m_store = store; }
    // Where the slow-destination warning is shown.
    void setHost(Host* host) { m_host = host; }
    void setTranslator(std::function<QString(const QString&)> getLang) { m_getLang = std::move(getLang); }
    // How long, in milliseconds, one existence probe of a missing set takes on the destination
    // (destFolderSpeed); measured when the coloured lists are switched on. Unset: not measured.
    void setSpeedProbe(std::function<qint64()> probe) { m_speedProbe = std::move(probe); }

    // The readiness pass's loading of the options shown here. Boxes are also cleared when their
    // key is off, so a later pass never leaves a stale tick. Nothing is written back.
    void loadSettings(const IniStore& store);
    // Inside an existing archive chain the password cannot change: false disables CheckBox9 and
    // Edit12; true enables the switch again, and the field when the switch is ticked.
    void setPasswordChangeAllowed(bool allowed);

    // archivePassword: the unscrambled archive password, as loaded or last typed.
    const QString& archivePassword() const { return m_archivePassword; }

    QCheckBox* runBeforeBox() const { return m_runBefore; }                  // CheckBox1
    QLineEdit* runBeforeEdit() const { return m_runBeforeEdit; }             // Edit6
    QPushButton* runBeforePick() const { return m_runBeforePick; }           // Button6
    QCheckBox* runAfterBox() const { return m_runAfter; }                    // CheckBox3
    QLineEdit* runAfterEdit() const { return m_runAfterEdit; }               // Edit7
    QPushButton* runAfterPick() const { return m_runAfterPick; }             // Button7
    QCheckBox* resetBox() const { return m_reset; }                          // CheckBox2
    QPushButton* resetButton() const { return m_resetButton; }               // Button5
    QCheckBox* restoreResetBox() const { return m_restoreReset; }            // CheckBox5
    QPushButton* restoreResetButton() const { return m_restoreResetButton; } // Button12
    QCheckBox* highCompressionBox() const { return m_high; }                 // CheckBox6
    QCheckBox* verifyBox() const { return m_verify; }                        // CheckBox7
    QCheckBox* fixedCountBox() const { return m_fixedCount; }                // CheckBox8
    QSpinBox* fixedCountEdit() const { return m_fixedCountEdit; }            // SpinEdit1
    QCheckBox* mergeFirstBox() const { return m_mergeFirst; }                // CheckBox13
    QCheckBox* passwordBox() const { return m_password; }                    // CheckBox9
    QLineEdit* passwordEdit() const { return m_passwordEdit; }               // Edit12
    QCheckBox* colorListsBox() const { return m_colorLists; }                // CheckBox10
    QCheckBox* emailBox() const { return m_email; }                          // CheckBox11
    QPushButton* emailSettingsButton() const { return m_emailSettings; }     // Button20
    QCheckBox* delayedWritesBox() const { return m_delayedWrites; }          // CheckBox12
    QCheckBox* autoStartBox() const { return m_autoStart; }                  // CheckBox14
    QCheckBox* skipInvalidBox() const { return m_skipInvalid; }              // CheckBox15
    QCheckBox* autoUpdateBox() const { return m_autoUpdate; }                // CheckBox16
    QCheckBox* powerOffBox() const { return m_powerOff; }                    // CheckBox17
    // The backup schedule (GroupBoxSchedule); applied through its applyRequested signal.
    ScheduleGroup* scheduleGroup() const { return m_schedule; }

  Q_SIGNALS:
    // CheckBox10 was switched: on, the restore and merge set lists are drawn by the program with
    // colours, the destination caches are cleared and the restore list is marked stale; off,
    // both lists are drawn the standard way again.
    void coloredListsChanged(bool on);
    // Button20: open the e-mail settings dialog.
    void emailSettingsRequested();
    // Edit12 was changed to a new password, or the switch emptied it.
    void archivePasswordChanged(const QString& password);

  private:
    QCheckBox* addBox(QGridLayout* grid, const char* name, const char* caption, int row);
    void storeBoolOnClick(QCheckBox* box, const ConfigKey& key);
    void storeCommandLine(QLineEdit* edit, const ConfigKey& key);
    void pickProgram(QLineEdit* edit, QCheckBox* box, const ConfigKey& programKey, const ConfigKey& runKey);
    void switchPassword(bool on);
    void passwordEdited(const QString& text);
    void switchFixedCount(bool on);
    void switchColoredLists(bool on);
    bool canWrite() const { return m_store && !m_loading; }
    QString tr_(const QString& text) const;

    IniStore* m_store = nullptr;
    Host* m_host = nullptr;
    std::function<QString(const QString&)> m_getLang;
    std::function<qint64()> m_speedProbe;
    bool m_loading = false;
    bool m_passwordChangeAllowed = true;
    bool m_delayedWritesShown = false;
    QString m_archivePassword;

    QCheckBox* m_runBefore;
    QLineEdit* m_runBeforeEdit;
    QPushButton* m_runBeforePick;
    QCheckBox* m_runAfter;
    QLineEdit* m_runAfterEdit;
    QPushButton* m_runAfterPick;
    QCheckBox* m_reset;
    QPushButton* m_resetButton;
    QCheckBox* m_restoreReset;
    QPushButton* m_restoreResetButton;
    QCheckBox* m_high;
    QCheckBox* m_verify;
    QCheckBox* m_fixedCount;
    QSpinBox* m_fixedCountEdit;
    QCheckBox* m_mergeFirst;
    QCheckBox* m_password;
    QLineEdit* m_passwordEdit;
    QLabel* m_passwordHint;
    QCheckBox* m_colorLists;
    QCheckBox* m_email;
    QPushButton* m_emailSettings;
    QCheckBox* m_delayedWrites;
    QCheckBox* m_autoStart;
    QCheckBox* m_skipInvalid;
    QCheckBox* m_autoUpdate;
    QCheckBox* m_powerOff;
    ScheduleGroup* m_schedule;
};

} // namespace ombrix::ui
