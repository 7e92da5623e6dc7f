#pragma once

#include <QString>
#include <QStringList>

namespace ombrix::platform {

// The folder that holds config.ini, sources.txt, log.txt and the work files:
// 1. OMBRIX_HOME when set;
// 2. else the folder of the running executable when it already holds a config.ini (a portable
//    installation: unpacked somewhere and started from there);
// 3. else this user's own folder, $XDG_CONFIG_HOME/ombrix (~/.config/ombrix), which is created
//    with mode 0700 (and any missing folder above it the same way) the first time it is chosen.
// Whether a folder can be written decides nothing: root can write /usr/bin, and an installed
// program must still keep its files in the user's folder.
QString programFolder();
// The rule above on given inputs, without creating anything: homeVariable is OMBRIX_HOME's value.
QString resolveProgramFolder(const QString& homeVariable, const QString& executableFolder,
                             const QString& userConfigFolder);
// A file of the program folder by its bare name.
QString programFile(const QString& name);
// $XDG_CONFIG_HOME when it is set to an absolute path, else ~/.config.
QString userConfigFolder();
// The folder of the running executable (where ombrixcopy and ombrixftp are looked up first).
QString executableFolder();
// The running executable itself, links resolved.
QString executablePath();
// The folders whose "lang" subfolder may hold the language files, in the order they are tried:
// the program folder, the executable's folder, and ../share/ombrix beside the executable's
// folder (where the package installs them: /usr/bin/ombrix finds /usr/share/ombrix/lang).
QStringList languageSearchFolders(const QString& programFolder, const QString& executableFolder);
// A helper program beside the executable, or the bare name (found through PATH) when absent.
QString siblingProgram(const QString& name);

} // namespace ombrix::platform
