#pragma once

#include <QLabel>

namespace ombrix::ui {

// A page's one-line status field: framed, bold, showing its text exactly as given (the two
// leading blanks included) and never widening the window for a long text.
class StatusLine : public QLabel
{
    Q_OBJECT

  public:
    explicit StatusLine(const QString& objectName, QWidget* parent = nullptr);
};

} // namespace ombrix::ui
