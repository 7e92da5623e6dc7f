#pragma once

#include <QString>
#include <QStringList>

namespace ombrix::app {

// "ombrix --help" and "ombrix --version": answered on standard output before anything else of the
// program runs (no window, no lock, no program folder), so they work on any machine and from any
// folder. Like the run modes, only the first argument counts and it is compared exactly.
class CommandLineHelp
{
  public:
    enum class Request
    {
        None, // a run: interactive, -start or -checklang
        Help,
        Version,
    };

    // The request in the program's arguments (the program itself first).
    static Request requestFromArguments(const QStringList& arguments);
    // Usage, run modes, the program folder rule and the environment variables.
    static QString helpText();
    // "ombrix " and the four-part version, one line.
    static QString versionText();

    // Prints the help or version text when the first argument asks for it; true then, and the
    // caller ends the process with code 0.
    static bool printIfRequested(int argc, char** argv);
};

} // namespace ombrix::app
