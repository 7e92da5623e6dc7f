#pragma once

#include <QString>

namespace ombrix::platform {

// The ISO 639 name of the language the user's session asks for ("cs", "en", ...), from the
// locale settings (LANGUAGE, LC_ALL, LC_MESSAGES, LANG); empty when none is set.
QString systemLanguageName();
// The program's code for that language ("CZ", "EN", ...); empty for a language it does not know.
QString systemLanguageCode();
// The folder of the language files: "lang" in the program folder, else beside the executable,
// else in ../share/ombrix relative to the executable's folder (languageSearchFolders).
QString languageFolder();

} // namespace ombrix::platform
