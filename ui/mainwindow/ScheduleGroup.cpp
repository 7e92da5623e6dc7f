#include "ui/mainwindow/ScheduleGroup.h"

#include "core/config/IniStore.h"
#include "core/lang/Translator.h"
#include "platform/UserSchedule.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTime>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace ombrix::ui {

namespace {

QRadioButton* makeRadio(QWidget* parent, const char* name, const char* caption)
{
    auto* radio = new QRadioButton(QString::fromUtf8(caption), parent);
    radio->setObjectName(QLatin1String(name));
    return radio;
}

QLabel* makeCaption(QWidget* parent, const char* name, const char* caption)
{
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

// The name of a day, 1 Monday ... 7 Sunday, in the current language.
QString dayName(int day)
{
    switch (day) {
    case 1:
        return getLang(QStringLiteral("pondělí"));
    case 2:
        return getLang(QStringLiteral("úterý"));
    case 3:
        return getLang(QStringLiteral("středa"));
    case 4:
        return getLang(QStringLiteral("čtvrtek"));
    case 5:
        return getLang(QStringLiteral("pátek"));
    case 6:
        return getLang(QStringLiteral("sobota"));
    case 7:
        return getLang(QStringLiteral("neděle"));
    }
    return QString();
}

} // namespace

ScheduleGroup::ScheduleGroup(QWidget* parent) : QGroupBox(QString::fromUtf8("Plánované zálohování"), parent)
{
    setObjectName(QStringLiteral("GroupBoxSchedule"));
    m_off = makeRadio(this, "RadioScheduleOff", "Vypnuto");
    m_daily = makeRadio(this, "RadioScheduleDaily", "Denně");
    m_weekly = makeRadio(this, "RadioScheduleWeekly", "Jednou týdně");
    m_off->setChecked(true);

    m_dayCaption = makeCaption(this, "LabelScheduleDay", "Den:");
    m_day = new QComboBox(this);
    m_day->setObjectName(QStringLiteral("ComboScheduleDay"));
    m_day->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    fillDays();
    m_dayCaption->setBuddy(m_day);

    m_timeCaption = makeCaption(this, "LabelScheduleTime", "Čas:");
    m_time = new QTimeEdit(this);
    m_time->setObjectName(QStringLiteral("TimeSchedule"));
    m_time->setDisplayFormat(QStringLiteral("HH:mm"));
    m_time->setTime(QTime(BackupSchedule::defaultHour, BackupSchedule::defaultMinute));
    m_timeCaption->setBuddy(m_time);

    m_apply = new QPushButton(QString::fromUtf8("Použij"), this);
    m_apply->setObjectName(QStringLiteral("ButtonScheduleApply"));

    // What the last apply did; empty until then.
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("LabelScheduleState"));
    m_state->setTextFormat(Qt::PlainText);
    m_state->setWordWrap(true);
    m_state->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_state->setVisible(false);
    // The crontab line for a system without a user service manager, to copy from.
    m_crontab = new QLineEdit(this);
    m_crontab->setObjectName(QStringLiteral("EditScheduleCrontab"));
    m_crontab->setReadOnly(true);
    m_crontab->setVisible(false);

    auto* choiceRow = new QHBoxLayout;
    choiceRow->addWidget(m_off);
    choiceRow->addWidget(m_daily);
    choiceRow->addWidget(m_weekly);
    choiceRow->addSpacing(16);
    choiceRow->addWidget(m_dayCaption);
    choiceRow->addWidget(m_day);
    choiceRow->addSpacing(8);
    choiceRow->addWidget(m_timeCaption);
    choiceRow->addWidget(m_time);
    choiceRow->addStretch(1);
    choiceRow->addWidget(m_apply);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choiceRow);
    layout->addWidget(m_state);
    layout->addWidget(m_crontab);

    for (QRadioButton* radio : {m_off, m_daily, m_weekly})
        connect(radio, &QRadioButton::toggled, this, &ScheduleGroup::updateEnabled);
    connect(m_apply, &QPushButton::clicked, this, [this] { Q_EMIT applyRequested(chosenSchedule()); });
    updateEnabled();
}

void ScheduleGroup::fillDays()
{
    const int chosen = m_day->currentIndex() >= 0 ? m_day->currentData().toInt() : BackupSchedule::defaultDay;
    const QSignalBlocker quiet(m_day);
    m_day->clear();
    for (int day = 1; day <= 7; ++day)
        m_day->addItem(dayName(day), day);
    m_day->setCurrentIndex(m_day->findData(chosen));
}

void ScheduleGroup::showEvent(QShowEvent* event)
{
    QGroupBox::showEvent(event);
    fillDays();
}

void ScheduleGroup::updateEnabled()
{
    const bool weekly = m_weekly->isChecked();
    const bool timed = weekly || m_daily->isChecked();
    m_dayCaption->setEnabled(weekly);
    m_day->setEnabled(weekly);
    m_timeCaption->setEnabled(timed);
    m_time->setEnabled(timed);
}

void ScheduleGroup::loadSchedule(const IniStore& store)
{
    showSchedule(BackupSchedule::fromConfig(store));
}

void ScheduleGroup::showSchedule(const BackupSchedule& schedule)
{
    m_off->setChecked(schedule.frequency == BackupSchedule::Frequency::Off);
    m_daily->setChecked(schedule.frequency == BackupSchedule::Frequency::Daily);
    m_weekly->setChecked(schedule.frequency == BackupSchedule::Frequency::Weekly);
    m_time->setTime(QTime(schedule.hour, schedule.minute));
    const int index = m_day->findData(schedule.dayOfWeek);
    m_day->setCurrentIndex(index >= 0 ? index : 0);
    updateEnabled();
}

BackupSchedule ScheduleGroup::chosenSchedule() const
{
    BackupSchedule schedule;
    if (m_daily->isChecked())
        schedule.frequency = BackupSchedule::Frequency::Daily;
    else if (m_weekly->isChecked())
        schedule.frequency = BackupSchedule::Frequency::Weekly;
    const QTime time = m_time->time();
    schedule.hour = time.hour();
    schedule.minute = time.minute();
    if (m_day->currentIndex() >= 0)
        schedule.dayOfWeek = m_day->currentData().toInt();
    return schedule;
}

void ScheduleGroup::showOutcome(const BackupSchedule& schedule, const platform::ScheduleOutcome& outcome)
{
    using State = platform::ScheduleOutcome::State;
    QString text;
    switch (outcome.state) {
    case State::Enabled:
        if (schedule.frequency == BackupSchedule::Frequency::Weekly) {
            text = getLang(QStringLiteral("Plánované zálohování je zapnuto: týdně, %1 v %2"))
                       .arg(dayName(schedule.dayOfWeek), schedule.timeText());
        } else {
            text = getLang(QStringLiteral("Plánované zálohování je zapnuto: denně v %1"))
                       .arg(schedule.timeText());
        }
        break;
    case State::Disabled:
        text = getLang(QStringLiteral("Plánované zálohování je vypnuto"));
        break;
    case State::NoUserManager:
        text = getLang(QStringLiteral("Správce služeb systemd pro tohoto uživatele neodpovídá, plán nebyl "
                                      "nastaven. Totéž zajistí tento řádek v crontab -e:"));
        break;
    case State::Failed:
        text = getLang(QStringLiteral("Plán nelze nastavit: %1")).arg(outcome.detail);
        break;
    }
    m_state->setText(text);
    m_state->setVisible(!text.isEmpty());
    m_crontab->setText(outcome.crontabLine);
    m_crontab->setVisible(!outcome.crontabLine.isEmpty());
    m_crontab->setCursorPosition(0);
}

} // namespace ombrix::ui
