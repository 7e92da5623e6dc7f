#include "ui/mainwindow/DestinationPage.h"

#include <QVBoxLayout>

namespace ombrix::ui {

DestinationPage::DestinationPage(QWidget* parent) : QWidget(parent)
{
    new QVBoxLayout(this);
}

} // namespace ombrix::ui
