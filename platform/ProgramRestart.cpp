#include "platform/ProgramRestart.h"

#include "platform/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace ombrix::platform {

namespace {

// A word for sh in single quotes; a single quote inside becomes '\''.
QString shellQuoted(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

QString restartScript(const RestartRequest& request)
{
    const QString program = shellQuoted(request.executable);
    const int tenths = qMax(0, request.keepSeconds) * 10;
    QStringList lines;
    lines << QStringLiteral("#!/bin/sh")
          << QStringLiteral("# Starts ombrix again on the configuration it was attached to, then removes "
                            "itself.")
          << QStringLiteral("cd ") + shellQuoted(request.programFolder) + QStringLiteral(" || exit 1")
          // Its own session: the new program outlives this script and whatever started it.
          << QStringLiteral("if command -v setsid >/dev/null 2>&1; then")
          << QStringLiteral("    setsid ") + program + QStringLiteral(" </dev/null &")
          << QStringLiteral("else") << QStringLiteral("    ") + program + QStringLiteral(" </dev/null &")
          << QStringLiteral("fi")
          // The new program tells a restart by this script's presence and deletes it at start-up.
          << QStringLiteral("n=0")
          << QStringLiteral("while [ -f ") + restartScriptName + QStringLiteral(" ] && [ \"$n\" -lt ") +
                 QString::number(tenths) + QStringLiteral(" ]; do")
          << QStringLiteral("    sleep 0.1") << QStringLiteral("    n=$((n + 1))") << QStringLiteral("done")
          << QStringLiteral("rm -f ") + restartScriptName;
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool restartProgram(const RestartRequest& request, QString* error)
{
    const QString script = QDir(request.programFolder).filePath(restartScriptName);
    QSaveFile file(script);
    if (!file.open(QIODevice::WriteOnly) || file.write(restartScript(request).toLocal8Bit()) < 0 ||
        !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    ChildRequest child;
    child.program = QStringLiteral("/bin/sh");
    child.arguments = {script};
    child.workingDirectory = request.programFolder;
    // The new program writes where this one does.
    child.hidden = false;
    QString startError;
    if (!startDetached(child, &startError)) {
        QFile::remove(script);
        if (error)
            *error = startError;
        return false;
    }
    return true;
}

} // namespace ombrix::platform
