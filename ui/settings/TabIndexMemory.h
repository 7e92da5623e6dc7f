#pragma once

#include <functional>

class QTabWidget;

namespace ombrix {
class IniStore;
}

namespace ombrix::ui {

// Remembers the page shown: every change of page writes TAB_INDEX with the index of the page now
// shown (0 "Úvod" ... 6 "Nastavení"), through the store the function returns at that moment (the
// readiness pass replaces iniConfig, so the store is looked up at each change; null: not stored).
void rememberShownPage(QTabWidget* pages, std::function<IniStore*()> store);

} // namespace ombrix::ui
