#include "ui/mainwindow/SourcesPage.h"

#include <QVBoxLayout>

namespace ombrix::ui {

SourcesPage::SourcesPage(QWidget* parent) : QWidget(parent)
{
    new QVBoxLayout(this);
}

} // namespace ombrix::ui
