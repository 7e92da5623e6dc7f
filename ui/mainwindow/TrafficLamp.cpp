#include "ui/mainwindow/TrafficLamp.h"

#include <QPainter>

namespace ombrix::ui {

TrafficLamp::TrafficLamp(const QColor& litColor, QWidget* parent) : QWidget(parent), m_litColor(litColor)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TrafficLamp::setLit(bool lit)
{
    if (m_lit == lit)
        return;
    m_lit = lit;
    update();
}

QSize TrafficLamp::sizeHint() const
{
    const int side = fontMetrics().height() * 3 / 2;
    return {side, side};
}

QSize TrafficLamp::minimumSizeHint() const
{
    return sizeHint();
}

void TrafficLamp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height()) - 2;
    const QRectF circle((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    const QColor fill = m_lit ? m_litColor : QColor(60, 60, 60);
    painter.setPen(QPen(fill.darker(160), 1));
    painter.setBrush(fill);
    painter.drawEllipse(circle);
}

} // namespace ombrix::ui
