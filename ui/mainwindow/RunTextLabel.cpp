#include "ui/mainwindow/RunTextLabel.h"

namespace ombrix::ui {

RunTextLabel::RunTextLabel(Role role, const QString& objectName, QWidget* parent)
    : QLabel(parent), m_role(role)
{
    setObjectName(objectName);
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (role == Role::ProgressDetail) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setMinimumHeight(fontMetrics().height() + 4);
    } else {
        setWordWrap(true);
        setVisible(false);
    }
}

void RunTextLabel::showText(const QString& text)
{
    setText(text);
    if (m_role == Role::Summary)
        setVisible(!text.isEmpty());
}

} // namespace ombrix::ui
