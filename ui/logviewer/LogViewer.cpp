#include "ui/logviewer/LogViewer.h"

#include "core/text/TextFile.h"

#include <QFont>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScreen>

namespace ombrix::ui {

LogViewer::LogViewer(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("logForm"));
    setWindowTitle(QStringLiteral("LOG.TXT"));
    setSizeGripEnabled(true);
    setModal(true);

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setReadOnly(true);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    m_memo->setFont(font);

    resize(initialWidth, initialHeight);
    m_memo->setGeometry(rect());
}

void LogViewer::setLogText(const QString& text)
{
    m_memo->setPlainText(text);
}

bool LogViewer::loadFile(const QString& path)
{
    const TextFile::ReadResult read = TextFile::readLines(path);
    setLogText(read.ok ? read.lines.join(QLatin1Char('\n')) : QString());
    return read.ok;
}

QString LogViewer::logText() const
{
    return m_memo->toPlainText();
}

void LogViewer::showModal()
{
    centreOnScreen();
    exec();
}

// The text area follows every change of the window's size so that it always fills the client
// area inside the frame.
void LogViewer::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    m_memo->setGeometry(0, 0, event->size().width(), event->size().height());
}

void LogViewer::centreOnScreen()
{
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

} // namespace ombrix::ui
