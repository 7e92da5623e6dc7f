#pragma once

#include <QObject>

class QSocketNotifier;

namespace ombrix::platform {

// Turns SIGTERM and SIGUSR1 into Qt signals on the user-interface thread, for a hidden run on a
// machine without a tray: SIGTERM ends the run as the tray menu's "Exit" does, SIGUSR1 shows the
// window. The handlers only write one byte into a socket pair (async-signal-safe); a socket
// notifier reads it in the event loop. One object at a time may be installed.
class UnixSignals : public QObject
{
    Q_OBJECT

  public:
    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;

    // Installs the handlers; false when the socket pair or a handler could not be set up.
    bool install();
    bool isInstalled() const { return m_notifier != nullptr; }

  Q_SIGNALS:
    void terminateRequested();
    void showRequested();

  private:
    void readPending();
    void uninstall();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace ombrix::platform
