#include "core/app/CommandLineHelp.h"

#include "core/app/ProgramVersion.h"

#include <cstdio>

namespace ombrix::app {

CommandLineHelp::Request CommandLineHelp::requestFromArguments(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return Request::None;
    const QString& first = arguments.at(1);
    if (first == QLatin1String("--help"))
        return Request::Help;
    if (first == QLatin1String("--version"))
        return Request::Version;
    return Request::None;
}

QString CommandLineHelp::helpText()
{
    return QStringLiteral(
        "Usage: ombrix [-start | -checklang]\n"
        "       ombrix --help | --version\n"
        "\n"
        "Ombrix backs up the folders and files listed in sources.txt into archive sets of\n"
        "per-file 7-Zip archives in a folder, on an FTP server or on a network disk, and\n"
        "restores and merges those sets.\n"
        "\n"
        "  (none)       open the window\n"
        "  -start       scheduled run: the window stays hidden, the backup starts by itself\n"
        "               and the program ends when it is over, printing its last status line\n"
        "  -checklang   rewrite lang/cz.txt of the program folder from the program's texts\n"
        "  --help       show this text\n"
        "  --version    show the version\n"
        "\n"
        "Program folder (config.ini, sources.txt, log.txt and work files):\n"
        "  $OMBRIX_HOME when set; else the program's own folder when it holds a config.ini\n"
        "  (a portable installation); else $XDG_CONFIG_HOME/ombrix (~/.config/ombrix).\n"
        "\n"
        "Environment:\n"
        "  OMBRIX_HOME                the program folder\n"
        "  OMBRIX_AUTOSTART_DELAY_MS  delay before an unattended run presses START (5000)\n"
        "  OMBRIX_EXIT_DELAY_MS       pause after an unattended run before the end (10000)\n");
}

QString CommandLineHelp::versionText()
{
    return QStringLiteral("ombrix ") + programVersion() + QLatin1Char('\n');
}

bool CommandLineHelp::printIfRequested(int argc, char** argv)
{
    // No Qt application exists yet: the arguments are taken as the locale encodes them.
    QStringList arguments;
    for (int i = 0; i < argc && i < 2; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QString text;
    switch (requestFromArguments(arguments)) {
    case Request::None:
        return false;
    case Request::Help:
        text = helpText();
        break;
    case Request::Version:
        text = versionText();
        break;
    }
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    return true;
}

} // namespace ombrix::app
