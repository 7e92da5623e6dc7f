#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ombrix::test {

// One of the Python test servers of this folder (smtp_server.py, https_server.py), started with
// /usr/bin/python3 in a temporary folder of its own on 127.0.0.1 and a free port, and stopped
// when the object goes. The script prints "PORT <n>" once it listens and writes its own log to
// log.txt in its folder (log() reads it, for failure messages); it ends by itself should this
// process die first.
class PythonServer
{
  public:
    // script: a file name in tests/support; arguments come after those every server takes
    // (--port 0 --log ... --parent-pid ...).
    PythonServer(const QString& script, const QStringList& arguments);
    ~PythonServer();
    PythonServer(const PythonServer&) = delete;
    PythonServer& operator=(const PythonServer&) = delete;

    // Starts the server and waits until it listens; false with the reason in *error.
    bool start(QString* error);
    void stop();

    int port() const { return m_port; }
    // The server's own temporary folder.
    QString folder() const { return m_folder.path(); }
    QString file(const QString& name) const { return m_folder.filePath(name); }
    // What the server logged, and what it printed.
    QString log() const;

  private:
    QTemporaryDir m_folder;
    QString m_script;
    QStringList m_arguments;
    QProcess m_process;
    QByteArray m_output;
    int m_port = 0;
};

} // namespace ombrix::test
