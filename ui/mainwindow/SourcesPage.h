#pragma once

#include <QWidget>

namespace ombrix::ui {

// Page 1 "Co zálohovat": the source list. Its editor is added by the sources page.
class SourcesPage : public QWidget
{
    Q_OBJECT

  public:
    explicit SourcesPage(QWidget* parent = nullptr);
};

} // namespace ombrix::ui
