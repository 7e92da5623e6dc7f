#pragma once

#include <QWidget>

namespace ombrix::ui {

// Page 0 "Úvod": the program's name and version.
class IntroPage : public QWidget
{
    Q_OBJECT

  public:
    explicit IntroPage(QWidget* parent = nullptr);
};

} // namespace ombrix::ui
