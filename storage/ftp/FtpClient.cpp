#include "storage/ftp/FtpClient.h"

#include "core/remote/ListingLine.h"

#include <algorithm>
#include <csignal>
#include <mutex>
#include <Poco/Exception.h>
#include <Poco/Net/FTPClientSession.h>
#include <Poco/Net/NetException.h>
#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/StreamSocket.h>
#include <Poco/Timespan.h>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <vector>

namespace ombrix {

namespace {

constexpr int transferBlock = 64 * 1024;
// QUIT is only a courtesy: the connection is closed after this long whatever the server does.
constexpr int quitTimeoutMs = 2000;

Poco::Timespan timespanOf(int ms)
{
    return Poco::Timespan(Poco::Timespan::TimeDiff(ms) * 1000);
}

QString fromWire(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A connection the server has closed must turn a write into an error, not end the program with
// SIGPIPE. A handler someone else installed is left in place.
void ignoreBrokenPipe()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const auto previous = std::signal(SIGPIPE, SIG_IGN);
        if (previous != SIG_DFL && previous != SIG_ERR)
            std::signal(SIGPIPE, previous);
    });
}

int timeoutFromEnvironment()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("OMBRIX_FTP_TIMEOUT_MS", &ok);
    return ok && ms > 0 ? ms : FtpClient::defaultTimeoutMs;
}

// The path of a PWD reply: the text between the first quote and its closing quote, a doubled
// quote inside standing for one. A reply without quotes gives the text after the code.
QString pathOfReply(const QString& reply)
{
    const qsizetype open = reply.indexOf(QLatin1Char('"'));
    if (open < 0)
        return reply.mid(4).trimmed();
    QString path;
    for (qsizetype i = open + 1; i < reply.size(); ++i) {
        const QChar c = reply.at(i);
        if (c == QLatin1Char('"')) {
            if (i + 1 < reply.size() && reply.at(i + 1) == QLatin1Char('"')) {
                path += c;
                ++i;
                continue;
            }
            break;
        }
        path += c;
    }
    return path;
}

} // namespace

// The library's session with the pieces it keeps to itself made reachable: commands without an
// argument, a reply read on its own (the greeting, the end of a transfer) and the data
// connection of any command (MLSD has no method of its own).
class FtpClient::Session : public Poco::Net::FTPClientSession
{
  public:
    explicit Session(const Poco::Net::StreamSocket& control) : Poco::Net::FTPClientSession(control, false) {}

    int command(const std::string& name, const std::string& argument, std::string& reply)
    {
        return argument.empty() ? sendCommand(name, reply) : sendCommand(name, argument, reply);
    }

    int readReply(std::string& reply) { return _pControlSocket->receiveStatusMessage(reply); }

    Poco::Net::StreamSocket openData(const std::string& name, const std::string& argument)
    {
        return establishDataConnection(name, argument);
    }

    void applyTimeout(const Poco::Timespan& timeout)
    {
        setTimeout(timeout);
        _pControlSocket->setReceiveTimeout(timeout);
        _pControlSocket->setSendTimeout(timeout);
    }
};

FtpClient::FtpClient() : m_timeoutMs(timeoutFromEnvironment())
{
    ignoreBrokenPipe();
}

FtpClient::~FtpClient()
{
    drop();
}

void FtpClient::setTimeoutMs(int ms)
{
    m_timeoutMs = ms > 0 ? ms : defaultTimeoutMs;
    if (m_session)
        guarded([this] {
            m_session->applyTimeout(timespanOf(m_timeoutMs));
            return true;
        });
}

void FtpClient::setPassive(bool passive)
{
    m_passive = passive;
    if (m_session)
        m_session->setPassive(passive);
}

bool FtpClient::setBinary(bool binary)
{
    m_binary = binary;
    return !m_session || sendType();
}

bool FtpClient::isOpen() const
{
    return m_session != nullptr;
}

void FtpClient::fail(int code, const QString& text)
{
    m_lastCode = code;
    m_lastError = text;
}

void FtpClient::drop()
{
    // The library's own clean-up closes the socket and swallows whatever goes wrong there.
    m_session.reset();
}

bool FtpClient::guarded(const std::function<bool()>& step)
{
    if (!m_session) {
        fail(0, QStringLiteral("not connected"));
        return false;
    }
    try {
        return step();
    } catch (const Poco::Net::FTPException& e) {
        // A command the library judged itself (the data connection's commands): the code is the
        // server's and the message ends with its reply ("RETR command failed: 550 ...").
        const std::string message = e.message().empty() ? e.displayText() : e.message();
        const std::string::size_type reply = message.find(": " + std::to_string(e.code()));
        fail(e.code(),
             fromWire(e.code() != 0 && reply != std::string::npos ? message.substr(reply + 2) : message)
                 .trimmed());
        if (e.code() == 421 || e.code() == 0)
            drop();
    } catch (const Poco::Exception& e) {
        // Timeouts and network errors leave the conversation in an unknown state.
        fail(0, QString::fromStdString(e.displayText()));
        drop();
    } catch (const std::exception& e) {
        fail(0, QString::fromLocal8Bit(e.what()));
        drop();
    } catch (...) {
        fail(0, QStringLiteral("unknown error"));
        drop();
    }
    return false;
}

bool FtpClient::judge(int code, const std::string& reply, int expectedClass)
{
    m_lastCode = code;
    if (code / 100 == expectedClass) {
        m_lastError.clear();
        return true;
    }
    if (code == 0) {
        // No status line: the server closed the connection.
        m_lastError =
            reply.empty() ? QStringLiteral("connection closed by the server") : fromWire(reply).trimmed();
        drop();
        return false;
    }
    m_lastError = fromWire(reply).trimmed();
    if (code == 421)
        drop();
    return false;
}

bool FtpClient::encodeArgument(const QString& argument, std::string& wire)
{
    for (const QChar c : argument) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.unicode() == 0) {
            // It would end the command line early and start another one.
            fail(0, QStringLiteral("invalid name: ") + argument);
            return false;
        }
    }
    wire = argument.toUtf8().toStdString();
    return true;
}

bool FtpClient::simpleCommand(const char* command, const QString& argument, int expectedClass)
{
    std::string wire;
    if (!encodeArgument(argument, wire))
        return false;
    return guarded([&] {
        std::string reply;
        const int code = m_session->command(command, wire, reply);
        return judge(code, reply, expectedClass);
    });
}

bool FtpClient::sendType()
{
    return simpleCommand("TYPE", m_binary ? QStringLiteral("I") : QStringLiteral("A"), 2);
}

bool FtpClient::announcesMlsd()
{
    std::string reply;
    bool announced = false;
    guarded([&] {
        const int code = m_session->command("FEAT", std::string(), reply);
        if (code / 100 != 2)
            return judge(code, reply, 2);
        m_lastCode = code;
        const QStringList lines = fromWire(reply).split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            const QString feature = line.trimmed().toUpper();
            if (feature.startsWith(QLatin1String("MLST")) || feature.startsWith(QLatin1String("MLSD")))
                announced = true;
        }
        return true;
    });
    return announced;
}

bool FtpClient::connectTo(const QString& host, quint16 port, const QString& user, const QString& password)
{
    drop();
    m_mlsd = false;
    std::string wireUser;
    std::string wirePassword;
    if (!encodeArgument(user, wireUser) || !encodeArgument(password, wirePassword))
        return false;
    const Poco::Timespan timeout = timespanOf(m_timeoutMs);
    try {
        const Poco::Net::SocketAddress address(Poco::Net::SocketAddress::IPv4, host.toStdString(), port);
        Poco::Net::StreamSocket control;
        control.connect(address, timeout);
        control.setReceiveTimeout(timeout);
        control.setSendTimeout(timeout);
        m_session = std::make_unique<Session>(control);
        m_session->applyTimeout(timeout);
        m_session->setPassive(m_passive);
    } catch (const Poco::Exception& e) {
        fail(0, QString::fromStdString(e.displayText()));
        drop();
        return false;
    } catch (const std::exception& e) {
        fail(0, QString::fromLocal8Bit(e.what()));
        drop();
        return false;
    }

    const bool loggedIn = guarded([&] {
        std::string reply;
        int code = m_session->readReply(reply);
        if (!judge(code, reply, 2))
            return false;
        code = m_session->command("USER", wireUser, reply);
        if (code / 100 == 3)
            code = m_session->command("PASS", wirePassword, reply);
        return judge(code, reply, 2);
    });
    if (!loggedIn || !sendType()) {
        drop();
        return false;
    }
    m_mlsd = announcesMlsd();
    if (!isOpen())
        return false;
    m_lastError.clear();
    return true;
}

void FtpClient::disconnect()
{
    if (!m_session)
        return;
    const QString error = m_lastError;
    const int code = m_lastCode;
    guarded([this] {
        m_session->applyTimeout(timespanOf(std::min(m_timeoutMs, quitTimeoutMs)));
        std::string reply;
        m_session->command("QUIT", std::string(), reply);
        return true;
    });
    drop();
    m_lastError = error;
    m_lastCode = code;
}

bool FtpClient::noop()
{
    return simpleCommand("NOOP", QString(), 2);
}

bool FtpClient::changeDir(const QString& path)
{
    return simpleCommand("CWD", path, 2);
}

bool FtpClient::changeToParent()
{
    return simpleCommand("CDUP", QString(), 2);
}

bool FtpClient::printDir(QString& folder)
{
    return guarded([&] {
        std::string reply;
        const int code = m_session->command("PWD", std::string(), reply);
        if (!judge(code, reply, 2))
            return false;
        folder = pathOfReply(fromWire(reply).section(QLatin1Char('\n'), 0, 0));
        return true;
    });
}

bool FtpClient::makeDir(const QString& path)
{
    return simpleCommand("MKD", path, 2);
}

bool FtpClient::removeDir(const QString& path)
{
    return simpleCommand("RMD", path, 2);
}

bool FtpClient::deleteFile(const QString& path)
{
    return simpleCommand("DELE", path, 2);
}

bool FtpClient::rename(const QString& from, const QString& to)
{
    return simpleCommand("RNFR", from, 3) && simpleCommand("RNTO", to, 2);
}

bool FtpClient::fileSize(const QString& remote, qint64& size)
{
    std::string wire;
    if (!encodeArgument(remote, wire))
        return false;
    return guarded([&] {
        std::string reply;
        const int code = m_session->command("SIZE", wire, reply);
        if (!judge(code, reply, 2))
            return false;
        bool ok = false;
        const qint64 value = fromWire(reply).mid(4).trimmed().toLongLong(&ok);
        if (!ok || value < 0) {
            fail(code, QStringLiteral("unreadable size: ") + fromWire(reply).trimmed());
            return false;
        }
        size = value;
        return true;
    });
}

bool FtpClient::receiveData(const char* command, const std::string& argument,
                            const std::function<bool(const char*, int)>& sink)
{
    return guarded([&] {
        const Poco::Timespan timeout = timespanOf(m_timeoutMs);
        Poco::Net::StreamSocket data = m_session->openData(command, argument);
        data.setReceiveTimeout(timeout);
        data.setSendTimeout(timeout);
        std::vector<char> buffer(transferBlock);
        bool stored = true;
        for (;;) {
            const int got = data.receiveBytes(buffer.data(), int(buffer.size()));
            if (got <= 0)
                break;
            if (!sink(buffer.data(), got)) {
                stored = false;
                break;
            }
        }
        data.close();
        std::string reply;
        const int code = m_session->readReply(reply);
        if (!judge(code, reply, 2))
            return false;
        if (!stored) {
            fail(code, QStringLiteral("cannot write the received data"));
            return false;
        }
        return true;
    });
}

bool FtpClient::listDetailed(const QString& specifier, QStringList& lines)
{
    lines.clear();
    QByteArray raw;
    const auto collect = [&raw](const char* bytes, int size) {
        raw.append(bytes, size);
        return true;
    };
    const bool received = m_mlsd ? receiveData("MLSD", std::string(), collect)
                                 : receiveData("LIST", std::string("-al"), collect);
    if (!received)
        return false;
    const bool everything = specifier.isEmpty() || specifier == QLatin1String("*");
    const QList<QByteArray> rawLines = raw.split('\n');
    for (QByteArray rawLine : rawLines) {
        if (rawLine.endsWith('\r'))
            rawLine.chop(1);
        if (rawLine.isEmpty())
            continue;
        const QString line = QString::fromUtf8(rawLine);
        if (everything || listingFact(line, QStringLiteral("FileName")) == specifier)
            lines.append(line);
    }
    return true;
}

bool FtpClient::download(const QString& remote, const QString& localFile)
{
    std::string wire;
    if (!encodeArgument(remote, wire))
        return false;
    const QFileInfo target(localFile);
    if (target.exists() || target.isSymLink()) {
        fail(0, QStringLiteral("local file exists: ") + localFile);
        return false;
    }
    if (!m_session) {
        fail(0, QStringLiteral("not connected"));
        return false;
    }
    QTemporaryFile partial(target.absolutePath() + QStringLiteral("/.ombrix-get-XXXXXX.tmp"));
    if (!partial.open()) {
        fail(0, QStringLiteral("cannot create a file in ") + target.absolutePath());
        return false;
    }
    const bool received = receiveData(
        "RETR", wire, [&partial](const char* bytes, int size) { return partial.write(bytes, size) == size; });
    if (!received)
        return false; // the partial file goes with the object
    if (!partial.flush()) {
        fail(0, QStringLiteral("cannot write ") + partial.fileName());
        return false;
    }
    const QString partialName = partial.fileName();
    partial.setAutoRemove(false);
    partial.close();
    // QFile::rename never replaces: a file that appeared meanwhile stays as it is.
    if (!QFile::rename(partialName, localFile)) {
        QFile::remove(partialName);
        fail(0, QStringLiteral("cannot create ") + localFile);
        return false;
    }
    return true;
}

bool FtpClient::upload(const QString& localFile, const QString& remote)
{
    std::string wire;
    if (!encodeArgument(remote, wire))
        return false;
    QFile source(localFile);
    if (!source.open(QIODevice::ReadOnly)) {
        fail(0, QStringLiteral("cannot read ") + localFile);
        return false;
    }
    return guarded([&] {
        const Poco::Timespan timeout = timespanOf(m_timeoutMs);
        Poco::Net::StreamSocket data = m_session->openData("STOR", wire);
        data.setReceiveTimeout(timeout);
        data.setSendTimeout(timeout);
        std::vector<char> buffer(transferBlock);
        bool readAll = true;
        for (;;) {
            const qint64 got = source.read(buffer.data(), qint64(buffer.size()));
            if (got < 0) {
                readAll = false;
                break;
            }
            if (got == 0)
                break;
            qint64 sent = 0;
            while (sent < got) {
                const int n = data.sendBytes(buffer.data() + sent, int(got - sent));
                if (n <= 0)
                    throw Poco::Net::NetException("the data connection was closed");
                sent += n;
            }
        }
        data.shutdownSend();
        data.close();
        std::string reply;
        const int code = m_session->readReply(reply);
        if (!judge(code, reply, 2))
            return false;
        if (!readAll) {
            fail(code, QStringLiteral("cannot read ") + localFile);
            return false;
        }
        return true;
    });
}

} // namespace ombrix
