#include "ui/mainwindow/TrafficLight.h"

#include "ui/mainwindow/TrafficLamp.h"

#include <QGridLayout>
#include <QLabel>

namespace ombrix::ui {

TrafficLight::TrafficLight(QWidget* parent) : QWidget(parent)
{
    struct Row
    {
        const char* lampName;
        QColor color;
        const char* labelName;
        const char* caption;
    };
    const Row rows[3] = {
        {"imgStartc", QColor(220, 50, 40), "Label12", "Provede se nová plná záloha"},
        {"imgIncrementc", QColor(40, 180, 60), "Label13", "Provede se nová přírůstková záloha"},
        {"imgPrerusenic", QColor(240, 170, 20), "Label14", "Bude se pokračovat"},
    };
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 3; ++i) {
        m_lamps[i] = new TrafficLamp(rows[i].color, this);
        m_lamps[i]->setObjectName(QLatin1String(rows[i].lampName));
        m_labels[i] = new QLabel(QString::fromUtf8(rows[i].caption), this);
        m_labels[i]->setObjectName(QLatin1String(rows[i].labelName));
        m_labels[i]->setEnabled(false);
        layout->addWidget(m_lamps[i], i, 0);
        layout->addWidget(m_labels[i], i, 1);
    }
    layout->setColumnStretch(1, 1);
}

void TrafficLight::setState(int stav)
{
    for (int i = 0; i < 3; ++i) {
        m_lamps[i]->setLit(false);
        m_labels[i]->setEnabled(false);
    }
    m_state = (stav >= 1 && stav <= 3) ? stav : 0;
    if (m_state == 0)
        return;
    m_lamps[m_state - 1]->setLit(true);
    m_labels[m_state - 1]->setEnabled(true);
}

TrafficLamp* TrafficLight::lamp(int stav) const
{
    return (stav >= 1 && stav <= 3) ? m_lamps[stav - 1] : nullptr;
}

QLabel* TrafficLight::label(int stav) const
{
    return (stav >= 1 && stav <= 3) ? m_labels[stav - 1] : nullptr;
}

} // namespace ombrix::ui
