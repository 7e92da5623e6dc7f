#include "core/archiver/ArchiverCommands.h"

#include <QRegularExpression>

namespace ombrix {

namespace {

const QString endOfSwitches = QStringLiteral("--");
const QString literalNames = QStringLiteral("-spd");

// A password on standard input: nothing on the command line when there is one to feed.
void givePassword(ArchiverCommand& command, const QString& password, int times)
{
    if (!password.isEmpty())
        command.standardInput = ArchiverCommands::passwordInput(password, times);
}

} // namespace

QByteArray ArchiverCommands::passwordInput(const QString& password, int times)
{
    QString line = password;
    const qsizetype lineBreak = line.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    if (lineBreak >= 0)
        line.truncate(lineBreak);
    const QByteArray answer = line.toUtf8() + '\n';
    return answer.repeated(times);
}

ArchiverCommand ArchiverCommands::addFile(const QString& archive, const QString& source, const QString& level,
                                          const QString& workFolder, const QString& password)
{
    ArchiverCommand command;
    command.arguments = {QStringLiteral("a"),    QStringLiteral("-mx") + level,     QStringLiteral("-ssw"),
                         QStringLiteral("-mmt"), QStringLiteral("-w") + workFolder, literalNames};
    if (!password.isEmpty())
        command.arguments << QStringLiteral("-p");
    command.arguments << endOfSwitches << archive << source;
    givePassword(command, password, 2);
    return command;
}

ArchiverCommand ArchiverCommands::listForTest(const QString& archive, const QString& password)
{
    ArchiverCommand command;
    command.arguments = {QStringLiteral("l"), literalNames, endOfSwitches, archive};
    command.outputFile = testZipOutput;
    givePassword(command, password, 1);
    return command;
}

ArchiverCommand ArchiverCommands::extractAll(const QString& archive, const QString& targetFolder,
                                             const QString& password)
{
    ArchiverCommand command;
    command.arguments = {QStringLiteral("e"), QStringLiteral("-y"), QStringLiteral("-o") + targetFolder,
                         literalNames,        endOfSwitches,        archive};
    givePassword(command, password, 1);
    return command;
}

ArchiverCommand ArchiverCommands::catalogListing(const QString& archive)
{
    ArchiverCommand command;
    command.arguments = {QStringLiteral("l"), QStringLiteral("-slt"), literalNames, endOfSwitches, archive};
    command.outputFile = passwordOutput;
    command.includeErrors = true;
    return command;
}

ArchiverCommand ArchiverCommands::passwordTest(const QString& archive, const QString& password)
{
    ArchiverCommand command;
    command.arguments = {QStringLiteral("t"), literalNames};
    if (password.isEmpty())
        command.arguments << QStringLiteral("-p");
    command.arguments << endOfSwitches << archive;
    command.outputFile = passwordOutput;
    command.includeErrors = true;
    givePassword(command, password, 1);
    return command;
}

ArchiverCommand ArchiverCommands::runLogListing(const QString& archive)
{
    ArchiverCommand command = catalogListing(archive);
    command.outputFile = runLogOutput;
    return command;
}

} // namespace ombrix
