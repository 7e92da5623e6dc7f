#include "ui/mainwindow/UpdateNotice.h"

#include "core/app/WebSite.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QUrl>

namespace ombrix::ui {

UpdateNotice::UpdateNotice(QWidget* parent) : LinkLabel(QString(), QUrl(app::webSite()), parent)
{
    setObjectName(QStringLiteral("Label35"));
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00));
    setPalette(colours);
    hide();
}

void UpdateNotice::setNotice(const QString& text)
{
    setText(text);
}

} // namespace ombrix::ui
