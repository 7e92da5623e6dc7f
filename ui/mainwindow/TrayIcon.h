#pragma once

#include <QObject>

class QMenu;
class QSystemTrayIcon;

namespace ombrix::ui {

struct TrayMessage;

// The notification-area icon of a scheduled run, with its menu "Show" and "Exit"; a double
// click shows the window as "Show" does.
class TrayIcon : public QObject
{
    Q_OBJECT

  public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    static bool isAvailable();
    void show();
    void hide();
    bool isVisible() const;
    // A balloon (desktop notification) from the icon, shown for the given time.
    void showMessage(const TrayMessage& message, int milliseconds = 10000);
    QMenu* menu() const { return m_menu; }

  Q_SIGNALS:
    void showRequested();
    void exitRequested();

  private:
    QSystemTrayIcon* m_icon;
    QMenu* m_menu;
};

} // namespace ombrix::ui
