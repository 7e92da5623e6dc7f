#pragma once

#include <QStringList>

namespace ombrix::app {

// How this process was started, decided once from the first command-line argument.
enum class RunMode
{
    Interactive, // anything else, or no argument: window shown, closing it ends the program
    Scheduled,   // "-start": window hidden, tray icon, ends by itself after the run
    CheckLang,   // "-checklang": window shown, the language files are checked, then the end
};

// The run mode from the program's arguments as QCoreApplication::arguments() gives them (the
// program itself first). Only the first real argument counts, compared exactly: "-START" or
// "-start " is an interactive start, and anything after the first argument is ignored.
RunMode runModeFromArguments(const QStringList& arguments);

// An unattended run starts the backup by itself and ends the process when it is over: a
// scheduled run, or any run while the auto-start check box is ticked (its live state).
bool isUnattended(RunMode mode, bool autoStartChecked);

} // namespace ombrix::app
