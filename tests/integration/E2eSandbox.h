#pragma once

#include <memory>
#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ombrix::test {

// One installation of the program seen from outside: a program folder (config.ini,
// sources.txt), a destination folder and a source folder, all below one temporary folder that
// is removed at the end. The real `ombrix` is started on it as a scheduler would start it
// (`ombrix -start`, OMBRIX_HOME naming the program folder, no display), with the pauses of an
// unattended run shortened through the environment.
//
// OMBRIX_E2E_ENGINE=1 runs the backup engine in the test worker program instead of the program;
// that path exists for working on the harness itself.
class E2eSandbox
{
  public:
    E2eSandbox();
    ~E2eSandbox();
    E2eSandbox(const E2eSandbox&) = delete;
    E2eSandbox& operator=(const E2eSandbox&) = delete;

    bool isValid() const { return m_root.isValid(); }
    QString root() const { return m_root.path(); }
    QString programFolder() const { return m_root.filePath(QStringLiteral("program")); }
    QString destination() const { return m_root.filePath(QStringLiteral("dest")); }
    QString sourceRoot() const { return m_root.filePath(QStringLiteral("src")); }

    // A fresh default config.ini pointing at the destination folder, and sources.txt naming
    // the given entries (the source folder when empty).
    bool install(const QStringList& sourceEntries = {});
    // Stores the archive password scrambled, as the settings page stores it; empty clears it.
    bool setPassword(const QString& plain);
    QString configValue(const QString& section, const QString& key) const;
    bool setConfigValue(const QString& section, const QString& key, const QString& value);

    // Starts one unattended run, with extra environment variables (an empty value removes one).
    // Standard output and error go to a file in the root folder.
    std::unique_ptr<QProcess> start(const QMap<QString, QString>& extraEnvironment = {}) const;
    // Starts a run and waits for it to end by itself; false when it did not end within the
    // time or ended abnormally (the process is then killed).
    bool runToEnd(int timeoutMs = 120000) const;
    // The last lines the runs wrote to standard output and error, for failure messages.
    QString programOutput() const;

    // The OMX_ folders of the destination, in order.
    QStringList sets() const;
    // Files ending in ".tmp" in the program folder or anywhere below the destination.
    QStringList leftoverTmpFiles() const;
    // The run log as the program keeps it: log.txt in the program folder, or the log archived
    // into the given set when there is no local one.
    QString logText(const QString& set = {}, const QString& password = {}) const;

    // Whether this sandbox drives the real program (true) or the engine worker.
    static bool usesProgram();

  private:
    QTemporaryDir m_root;
};

} // namespace ombrix::test
