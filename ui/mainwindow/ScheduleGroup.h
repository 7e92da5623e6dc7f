#pragma once

#include "core/schedule/BackupSchedule.h"

#include <QGroupBox>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;

namespace ombrix {
class IniStore;
}

namespace ombrix::platform {
struct ScheduleOutcome;
}

namespace ombrix::ui {

// The schedule of the settings page: off, daily at a time, or weekly on a day at a time. The
// controls only choose; "Použij" asks for the schedule to be applied (applyRequested), and the
// outcome comes back through showOutcome: on, off, no user service manager (with the crontab
// line that does the same, ready to copy), or the failure with what went wrong.
class ScheduleGroup : public QGroupBox
{
    Q_OBJECT

  public:
    explicit ScheduleGroup(QWidget* parent = nullptr);

    // The readiness pass: SCHEDULE, SCHEDULE_TIME and SCHEDULE_DAY into the controls (defaults
    // for missing keys). Nothing is written, and the outcome of an earlier apply stays shown.
    void loadSchedule(const IniStore& store);
    void showSchedule(const BackupSchedule& schedule);
    // The schedule the controls choose now.
    BackupSchedule chosenSchedule() const;
    // What applying `schedule` did.
    void showOutcome(const BackupSchedule& schedule, const platform::ScheduleOutcome& outcome);

    QRadioButton* offChoice() const { return m_off; }       // RadioScheduleOff
    QRadioButton* dailyChoice() const { return m_daily; }   // RadioScheduleDaily
    QRadioButton* weeklyChoice() const { return m_weekly; } // RadioScheduleWeekly
    QComboBox* dayList() const { return m_day; }            // ComboScheduleDay
    QTimeEdit* timeEdit() const { return m_time; }          // TimeSchedule
    QPushButton* applyButton() const { return m_apply; }    // ButtonScheduleApply
    QLabel* stateLabel() const { return m_state; }          // LabelScheduleState
    QLineEdit* crontabEdit() const { return m_crontab; }    // EditScheduleCrontab

  Q_SIGNALS:
    // "Použij": store the schedule and make it happen (or stop it).
    void applyRequested(const BackupSchedule& schedule);

  protected:
    // The day names follow the language chosen since the group was last shown.
    void showEvent(QShowEvent* event) override;

  private:
    void fillDays();
    void updateEnabled();

    QRadioButton* m_off;
    QRadioButton* m_daily;
    QRadioButton* m_weekly;
    QLabel* m_dayCaption;
    QComboBox* m_day;
    QLabel* m_timeCaption;
    QTimeEdit* m_time;
    QPushButton* m_apply;
    QLabel* m_state;
    QLineEdit* m_crontab;
};

} // namespace ombrix::ui
