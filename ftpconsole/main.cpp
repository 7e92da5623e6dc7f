// ombrixftp: one FTP transfer per run, started by ombrix for every upload.
//
//   ombrixftp p LOCAL-FILE REMOTE-NAME HOST[:PORT] USER PASSWORD REMOTE-FOLDER
//   ombrixftp g REMOTE-NAME LOCAL-FILE HOST[:PORT] USER PASSWORD REMOTE-FOLDER
//   ombrixftp --password-stdin p|g FILE FILE HOST[:PORT] USER REMOTE-FOLDER
//
// The program logs in (passive mode, binary transfers), changes to the remote folder and stores
// ("p") or fetches ("g") one file. It prints its two banner lines and nothing else, and ends
// with exit code 0 whatever happened: the caller judges the outcome by looking at the server.
#include "core/app/WebSite.h"
#include "core/remote/FtpAddress.h"
#include "storage/ftp/FtpClient.h"

#include <cstdio>
#include <iostream>
#include <QString>
#include <QStringList>
#include <string>

namespace {

const char usageText[] =
    "usage: ombrixftp p LOCAL-FILE REMOTE-NAME HOST[:PORT] USER PASSWORD REMOTE-FOLDER\n"
    "       ombrixftp g REMOTE-NAME LOCAL-FILE HOST[:PORT] USER PASSWORD REMOTE-FOLDER\n"
    "       ombrixftp --password-stdin p|g FILE FILE HOST[:PORT] USER REMOTE-FOLDER\n"
    "       ombrixftp --help | --version\n"
    "\n"
    "Logs in to the FTP server HOST (port 21 unless given), changes to REMOTE-FOLDER and\n"
    "transfers one file in passive mode and binary type:\n"
    "  p  stores LOCAL-FILE on the server as REMOTE-NAME (a file of that name is replaced)\n"
    "  g  fetches REMOTE-NAME into LOCAL-FILE, which must not exist yet (no resume)\n"
    "Any other operation letter connects, changes folder and transfers nothing.\n"
    "\n"
    "With --password-stdin the password is not given on the command line but read as the first\n"
    "line of standard input, so other users cannot see it in the process list; this is the form\n"
    "ombrix uses. In either form the last argument takes the rest of the command line, so a\n"
    "remote folder with spaces may also be typed unquoted.\n"
    "\n"
    "Nothing but the two banner lines is printed and the exit code is always 0: whether the\n"
    "transfer worked is seen on the server. Every connection step and every command gives up\n"
    "after 30 seconds (OMBRIX_FTP_TIMEOUT_MS sets another limit in milliseconds).\n";

void printLine(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
}

void printBanner()
{
    printLine(QStringLiteral("FTP Console for Ombrix program"));
    printLine(ombrix::app::webSite());
    std::fflush(stdout);
}

QString readPasswordLine()
{
    std::string line;
    if (!std::getline(std::cin, line))
        return {};
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromUtf8(line.data(), qsizetype(line.size()));
}

struct Transfer
{
    QString operation;
    QString first;
    QString second;
    QString host;
    QString user;
    QString password;
    QString folder;
};

// The arguments after the program name; false when some are missing.
bool parseArguments(QStringList args, Transfer& transfer)
{
    const bool passwordFromInput = !args.isEmpty() && args.first() == QLatin1String("--password-stdin");
    if (passwordFromInput)
        args.removeFirst();
    const qsizetype needed = passwordFromInput ? 6 : 7;
    if (args.size() < needed)
        return false;
    transfer.operation = args.at(0);
    transfer.first = args.at(1);
    transfer.second = args.at(2);
    transfer.host = args.at(3);
    transfer.user = args.at(4);
    // The last argument is the rest of the line, as when it was typed without quotes.
    transfer.folder = args.mid(needed - 1).join(QLatin1Char(' '));
    transfer.password = passwordFromInput ? readPasswordLine() : args.at(5);
    return true;
}

void run(const Transfer& transfer)
{
    const ombrix::FtpAddress address = ombrix::FtpAddress::parse(transfer.host);
    if (!address.valid)
        return;
    ombrix::FtpClient client;
    client.setPassive(true);
    client.setBinary(true);
    if (!client.connectTo(address.host, address.port, transfer.user, transfer.password))
        return;
    if (transfer.folder.isEmpty() || client.changeDir(transfer.folder)) {
        if (transfer.operation == QLatin1String("p"))
            client.upload(transfer.first, transfer.second);
        else if (transfer.operation == QLatin1String("g"))
            client.download(transfer.first, transfer.second);
    }
    client.disconnect();
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));

    if (!args.isEmpty() && args.first() == QLatin1String("--version")) {
        std::fputs("ombrixftp " OMBRIX_VERSION "\n", stdout);
        return 0;
    }
    printBanner();
    if (!args.isEmpty() && args.first() == QLatin1String("--help")) {
        std::fputs(usageText, stdout);
        return 0;
    }
    Transfer transfer;
    if (parseArguments(args, transfer))
        run(transfer);
    return 0;
}
