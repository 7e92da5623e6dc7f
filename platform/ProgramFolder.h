#pragma once

#include <QString>

namespace ombrix::platform {

// The folder that holds config.ini, sources.txt, log.txt and the work files: OMBRIX_HOME when
// set, otherwise the folder of the running executable.
QString programFolder();
// A file of the program folder by its bare name.
QString programFile(const QString& name);
// The folder of the running executable (where ombrixcopy and ombrixftp are looked up first).
QString executableFolder();
// A helper program beside the executable, or the bare name (found through PATH) when absent.
QString siblingProgram(const QString& name);

} // namespace ombrix::platform
