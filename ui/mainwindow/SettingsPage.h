#pragma once

#include <QWidget>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ombrix::ui {

// Page 6 "Nastavení": the user options. Each control is the live setting; the key writes and the
// loading of stored values are connected by the configuration wiring. The page itself only keeps
// the controls consistent with each other (Reset needs its check box, the password field its
// switch).
class SettingsPage : public QWidget
{
    Q_OBJECT

  public:
    explicit SettingsPage(QWidget* parent = nullptr);

    QCheckBox* runBeforeBox() const { return m_runBefore; }        // CheckBox1
    QLineEdit* runBeforeEdit() const { return m_runBeforeEdit; }   // Edit6
    QPushButton* runBeforePick() const { return m_runBeforePick; } // Button6
    QCheckBox* runAfterBox() const { return m_runAfter; }          // CheckBox3
    QLineEdit* runAfterEdit() const { return m_runAfterEdit; }     // Edit7
    QPushButton* runAfterPick() const { return m_runAfterPick; }   // Button7
    QCheckBox* resetBox() const { return m_reset; }                // CheckBox2
    QPushButton* resetButton() const { return m_resetButton; }     // Button5
    QCheckBox* highCompressionBox() const { return m_high; }       // CheckBox6
    QCheckBox* verifyBox() const { return m_verify; }              // CheckBox7
    QCheckBox* passwordBox() const { return m_password; }          // CheckBox9
    QLineEdit* passwordEdit() const { return m_passwordEdit; }     // Edit12
    QCheckBox* autoStartBox() const { return m_autoStart; }        // CheckBox14
    QCheckBox* skipInvalidBox() const { return m_skipInvalid; }    // CheckBox15
    QCheckBox* powerOffBox() const { return m_powerOff; }          // CheckBox17

  private:
    QCheckBox* addBox(QGridLayout* grid, const char* name, const char* caption, int row);

    QCheckBox* m_runBefore;
    QLineEdit* m_runBeforeEdit;
    QPushButton* m_runBeforePick;
    QCheckBox* m_runAfter;
    QLineEdit* m_runAfterEdit;
    QPushButton* m_runAfterPick;
    QCheckBox* m_reset;
    QPushButton* m_resetButton;
    QCheckBox* m_high;
    QCheckBox* m_verify;
    QCheckBox* m_password;
    QLineEdit* m_passwordEdit;
    QLabel* m_passwordHint;
    QCheckBox* m_autoStart;
    QCheckBox* m_skipInvalid;
    QCheckBox* m_powerOff;
};

} // namespace ombrix::ui
