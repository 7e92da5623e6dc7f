#include "ui/settings/LinkLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace ombrix::ui {

namespace {

LinkLabel::Opener& opener()
{
    static LinkLabel::Opener current;
    return current;
}

} // namespace

LinkLabel::LinkLabel(const QString& text, const QUrl& url, QWidget* parent) : QLabel(text, parent), m_url(url)
{
    setCursor(Qt::PointingHandCursor);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Link));
    setPalette(colours);
}

void LinkLabel::setOpener(Opener newOpener)
{
    opener() = std::move(newOpener);
}

void LinkLabel::enterEvent(QEnterEvent* event)
{
    setUnderlined(true);
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event)
{
    setUnderlined(false);
    QLabel::leaveEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    if (opener())
        opener()(m_url);
    else
        QDesktopServices::openUrl(m_url);
    Q_EMIT opened(m_url);
}

void LinkLabel::setUnderlined(bool underlined)
{
    QFont underlinedFont = font();
    underlinedFont.setUnderline(underlined);
    setFont(underlinedFont);
}

} // namespace ombrix::ui
