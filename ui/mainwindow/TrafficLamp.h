#pragma once

#include <QColor>
#include <QWidget>

namespace ombrix::ui {

// One lamp of the backup page's traffic light: a circle in its colour when lit, dark otherwise.
class TrafficLamp : public QWidget
{
    Q_OBJECT

  public:
    TrafficLamp(const QColor& litColor, QWidget* parent = nullptr);

    bool isLit() const { return m_lit; }
    void setLit(bool lit);
    QColor litColor() const { return m_litColor; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor m_litColor;
    bool m_lit = false;
};

} // namespace ombrix::ui
