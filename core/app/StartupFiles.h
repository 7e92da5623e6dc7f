#pragma once

#include <QString>

namespace ombrix::app {

// The files the start-up sequence clears away or creates in the program folder, each step on
// its own so the sequence can run them in its order.
class StartupFiles
{
  public:
    explicit StartupFiles(QString folder);

    // Makes the program folder the working directory, so bare file names mean files there.
    bool enterFolder() const;
    // Removes the left-over archiver plug-in of an old installation.
    void removeLeftoverPlugin() const;
    // Removes the restart script of an earlier attach or update.
    void removeRestartScript() const;
    // The restart script lies in the folder: this start was made by it, and the instance that
    // wrote it may still be closing.
    bool restartScriptPresent() const;
    // Removes every "*.tmp" file of the folder (files only, no subfolders); returns how many.
    int removeTempFiles() const;
    // Creates an empty sources.txt when there is none; false when it cannot be written.
    bool ensureSourceList() const;
    // Writes the default config.ini (mode 0600: it will hold the scrambled passwords) when there
    // is none; false when it cannot be written.
    bool ensureConfig() const;

    QString file(const QString& name) const;

  private:
    QString m_folder;
};

} // namespace ombrix::app
