#pragma once

#include <QWidget>

class QLabel;

namespace ombrix::ui {

class TrafficLamp;

// The three-lamp light of the backup page that tells what START will do: 1 a new full backup
// (imgStartc, Label12), 2 a new incremental backup (imgIncrementc, Label13), 3 continuing an
// interrupted one (imgPrerusenic, Label14). Every other state leaves all lamps dark and all labels
// disabled.
class TrafficLight : public QWidget
{
    Q_OBJECT

  public:
    explicit TrafficLight(QWidget* parent = nullptr);

    void setState(int stav);
    int state() const { return m_state; }

    TrafficLamp* lamp(int stav) const;
    QLabel* label(int stav) const;

  private:
    TrafficLamp* m_lamps[3] = {};
    QLabel* m_labels[3] = {};
    int m_state = 0;
};

} // namespace ombrix::ui
