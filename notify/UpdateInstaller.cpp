#include "notify/UpdateInstaller.h"

#include "notify/TComThread.h"
#include "platform/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace ombrix {

namespace {

// A word for sh in single quotes; a single quote inside becomes '\''.
QString shellQuoted(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

bool isPackageManaged(const QString& path)
{
    if (path.startsWith(QLatin1String("/usr/local/")))
        return false;
    static const QStringList owned = {
        QStringLiteral("/usr/"),  QStringLiteral("/bin/"),       QStringLiteral("/sbin/"),
        QStringLiteral("/lib/"),  QStringLiteral("/lib32/"),     QStringLiteral("/lib64/"),
        QStringLiteral("/snap/"), QStringLiteral("/nix/store/"),
    };
    for (const QString& prefix : owned) {
        if (path.startsWith(prefix))
            return true;
    }
    return false;
}

} // namespace

bool UpdateInstaller::maySelfUpdate(const QString& executable, const QString& programFolder)
{
    const QFileInfo program(QFileInfo(executable).canonicalFilePath());
    const QString folder = QFileInfo(programFolder).canonicalFilePath();
    if (program.filePath().isEmpty() || folder.isEmpty() || !program.isFile())
        return false;
    if (program.absolutePath() != folder || isPackageManaged(program.filePath()))
        return false;
    return QFileInfo(folder).isWritable() && program.isWritable();
}

QString UpdateInstaller::restartScript(const Request& request)
{
    const QString program = shellQuoted(request.executable);
    const QString update = TComThread::versionFile;
    QStringList lines;
    lines << QStringLiteral("#!/bin/sh")
          << QStringLiteral(
                 "# Installs the ombrix update that waits beside the program, then starts it again.")
          << QStringLiteral("cd ") + shellQuoted(request.programFolder) + QStringLiteral(" || exit 1");
    if (request.awaitPid > 0) {
        // The old program must be gone before its file is replaced and the new one starts (it
        // holds the single-instance lock until it ends); a minute at most.
        lines << QStringLiteral("n=0")
              << QStringLiteral("while kill -0 ") + QString::number(request.awaitPid) +
                     QStringLiteral(" 2>/dev/null && [ \"$n\" -lt 600 ]; do")
              << QStringLiteral("    sleep 0.1") << QStringLiteral("    n=$((n + 1))")
              << QStringLiteral("done");
    }
    lines << QStringLiteral("if [ -f ") + update + QStringLiteral(" ]; then")
          << QStringLiteral("    if chmod --reference=") + program + u' ' + update +
                 QStringLiteral(" && mv -f ") + update + u' ' + program + QStringLiteral("; then")
          << QStringLiteral("        :") << QStringLiteral("    else")
          << QStringLiteral("        rm -f ") + update << QStringLiteral("    fi") << QStringLiteral("fi")
          << QStringLiteral("rm -f ") + scriptName
          << QStringLiteral("exec ") + program + (request.scheduled ? QStringLiteral(" -start") : QString());
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool UpdateInstaller::autoupdate(const Request& request, QString* error)
{
    const QString folder = request.programFolder;
    if (!QFileInfo::exists(QDir(folder).filePath(TComThread::versionFile))) {
        if (error)
            *error = QStringLiteral("no update is waiting");
        return false;
    }
    if (!maySelfUpdate(request.executable, folder)) {
        if (error)
            *error = QStringLiteral("this installation does not update itself");
        return false;
    }
    const QString script = QDir(folder).filePath(scriptName);
    QSaveFile file(script);
    if (!file.open(QIODevice::WriteOnly) || file.write(restartScript(request).toUtf8()) < 0 ||
        !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    platform::ChildRequest child;
    child.program = QStringLiteral("/bin/sh");
    child.arguments = {script};
    child.workingDirectory = folder;
    // The new program writes where this one does (a scheduled run's status line included).
    child.hidden = false;
    QString startError;
    if (!platform::startDetached(child, &startError)) {
        QFile::remove(script);
        if (error)
            *error = startError;
        return false;
    }
    return true;
}

} // namespace ombrix
