#include "ui/mainwindow/StatusLine.h"

namespace ombrix::ui {

StatusLine::StatusLine(const QString& objectName, QWidget* parent) : QLabel(parent)
{
    setObjectName(objectName);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setMinimumHeight(fontMetrics().height() + 10);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
}

} // namespace ombrix::ui
