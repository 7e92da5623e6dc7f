#pragma once

#include <functional>
#include <QString>

namespace ombrix::ui {

// The points where the program shell hands over to parts that are wired in from outside (the
// self-update, the readiness check, translation, the language check, child processes). An empty
// hook is skipped, so the shell runs on its own in tests.
struct EngineHooks
{
    // Start-up step 1: installs an update waiting in the program folder; true when it did and
    // this process is to end.
    std::function<bool()> installPendingUpdate;
    // The start-up readiness check (inicializace): opens the configuration, loads the languages,
    // fills the controls and decides what START will do.
    std::function<void()> readinessCheck;
    // Each showing of the window: translate its captions, then start the update check.
    std::function<void()> translateWindow;
    std::function<void()> startUpdateCheck;
    // "-checklang": checks the language files; the process ends right after it.
    std::function<void()> checkLanguages;
    // The translation of one Czech text; the text itself when empty.
    std::function<QString(const QString& text)> getLang;
};

} // namespace ombrix::ui
