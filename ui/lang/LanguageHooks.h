#pragma once

#include "ui/mainwindow/EngineHooks.h"

namespace ombrix::ui {

// Plugs the languages into the program shell: loading the language lists at the start of the
// readiness check, translating the windows at each showing of the main window, the lookup for the
// shell's own messages, and the language check of -checklang.
class LanguageHooks
{
  public:
    // Sets translateWindow, checkLanguages and getLang, and runs loadLanguages before the
    // readiness check already in hooks (if any).
    static void install(EngineHooks& hooks);

    // The language check: the captions of the translated windows and the lookup texts of the
    // sources in the working directory, marked against its lang/cz.txt and written to lang/cz.txt
    // of the program folder. False (reported on stderr) when the list could not be written.
    static bool checkLanguages();
    // Loads the languages for the main window (found among the open windows).
    static void loadLanguages();
};

} // namespace ombrix::ui
