#pragma once

#include <QWidget>

namespace ombrix::ui {

// Page 2 "Kam zálohovat": the destination. Its controls are added by the destination page.
class DestinationPage : public QWidget
{
    Q_OBJECT

  public:
    explicit DestinationPage(QWidget* parent = nullptr);
};

} // namespace ombrix::ui
