#include "ui/mainwindow/TrayIcon.h"

#include "ui/mainwindow/TrayMessage.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace ombrix::ui {

namespace {

QIcon programIcon()
{
    if (!QApplication::windowIcon().isNull())
        return QApplication::windowIcon();
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(30, 110, 200));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(2, 2, 28, 28));
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(18);
    painter.setFont(font);
    painter.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("O"));
    return QIcon(pixmap);
}

} // namespace

TrayIcon::TrayIcon(QObject* parent) : QObject(parent)
{
    m_menu = new QMenu;
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* showAction = m_menu->addAction(QStringLiteral("Show"));
    showAction->setObjectName(QStringLiteral("Show1"));
    QAction* exitAction = m_menu->addAction(QStringLiteral("Exit"));
    exitAction->setObjectName(QStringLiteral("Exit1"));
    connect(showAction, &QAction::triggered, this, &TrayIcon::showRequested);
    connect(exitAction, &QAction::triggered, this, &TrayIcon::exitRequested);

    m_icon = new QSystemTrayIcon(programIcon(), this);
    m_icon->setToolTip(QStringLiteral("Ombrix"));
    m_icon->setContextMenu(m_menu);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
            Q_EMIT showRequested();
    });
}

TrayIcon::~TrayIcon()
{
    m_icon->hide();
    delete m_menu;
}

bool TrayIcon::isAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::show()
{
    m_icon->show();
}

void TrayIcon::hide()
{
    m_icon->hide();
}

bool TrayIcon::isVisible() const
{
    return m_icon->isVisible();
}

void TrayIcon::showMessage(const TrayMessage& message, int milliseconds)
{
    QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information;
    switch (message.icon) {
    case TrayMessage::Icon::Information:
        break;
    case TrayMessage::Icon::Warning:
        icon = QSystemTrayIcon::Warning;
        break;
    case TrayMessage::Icon::Critical:
        icon = QSystemTrayIcon::Critical;
        break;
    }
    m_icon->showMessage(message.title, message.text, icon, milliseconds);
}

} // namespace ombrix::ui
