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

void StatusLine::showStatus(const QString& shownText, const QString& fullText)
{
    setText(shownText);
    m_fullText = fullText;
    m_shownWithFull = shownText;
    updateToolTip();
}

void StatusLine::setHint(const QString& hint)
{
    m_hint = hint;
    updateToolTip();
}

QString StatusLine::fullText() const
{
    if (!m_fullText.isEmpty() && text() == m_shownWithFull)
        return m_fullText;
    return text().trimmed();
}

void StatusLine::updateToolTip()
{
    if (!m_hint.isEmpty()) {
        setToolTip(m_hint);
        return;
    }
    // Only a line whose text was cut needs the tooltip; a whole one would just repeat itself.
    const bool shortened =
        !m_fullText.isEmpty() && text() == m_shownWithFull && text().trimmed() != m_fullText.trimmed();
    setToolTip(shortened ? m_fullText : QString());
}

} // namespace ombrix::ui
