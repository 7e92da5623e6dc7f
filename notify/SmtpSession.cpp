#include "notify/SmtpSession.h"

#include <algorithm>
#include <cctype>
#include <Poco/Exception.h>
#include <Poco/Net/SecureStreamSocket.h>
#include <Poco/Net/SSLException.h>
#include <sstream>
#include <vector>

namespace ombrix {

namespace {

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The keywords of an EHLO answer line after its status code ("250-AUTH LOGIN PLAIN" gives
// AUTH, LOGIN, PLAIN), in upper case.
std::vector<std::string> words(const std::string& line)
{
    std::string rest = line;
    const bool coded = rest.size() >= 4 && std::isdigit(static_cast<unsigned char>(rest[0]));
    if (coded && (rest[3] == '-' || rest[3] == ' '))
        rest = rest.substr(4);
    std::vector<std::string> found;
    std::istringstream stream(upper(rest));
    std::string word;
    while (stream >> word) {
        // Old servers write "AUTH=LOGIN PLAIN".
        const std::string::size_type equals = word.find('=');
        if (equals != std::string::npos) {
            found.push_back(word.substr(0, equals));
            word = word.substr(equals + 1);
        }
        if (!word.empty())
            found.push_back(word);
    }
    return found;
}

std::vector<std::vector<std::string>> lines(const std::string& answer)
{
    std::vector<std::vector<std::string>> result;
    std::istringstream stream(answer);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(words(line));
    }
    return result;
}

} // namespace

SmtpSession::SmtpSession(const Poco::Net::StreamSocket& socket) : Poco::Net::SMTPClientSession(socket) {}

void SmtpSession::setTimeouts(const Poco::Timespan& timeout)
{
    m_timeout = timeout;
    setTimeout(timeout);
    socket().setSendTimeout(timeout);
}

std::string SmtpSession::hello(const std::string& clientName)
{
    std::string answer;
    Poco::Net::SMTPClientSession::login(clientName, answer);
    return answer;
}

bool SmtpSession::offers(const std::string& helloAnswer, const std::string& extension)
{
    const std::string wanted = upper(extension);
    const auto all = lines(helloAnswer);
    return std::any_of(all.begin(), all.end(), [&wanted](const std::vector<std::string>& line) {
        return !line.empty() && line.front() == wanted;
    });
}

bool SmtpSession::authMethod(const std::string& helloAnswer, LoginMethod* method)
{
    std::vector<std::string> offered;
    for (const auto& line : lines(helloAnswer)) {
        if (!line.empty() && line.front() == "AUTH")
            offered.insert(offered.end(), line.begin() + 1, line.end());
    }
    const auto has = [&offered](const char* name) {
        return std::find(offered.begin(), offered.end(), std::string(name)) != offered.end();
    };
    // PLAIN first: Poco's LOGIN only understands servers whose prompts read "Username:" and
    // "Password:", while PLAIN needs no prompt at all.
    if (has("PLAIN"))
        *method = AUTH_PLAIN;
    else if (has("LOGIN"))
        *method = AUTH_LOGIN;
    else if (has("CRAM-MD5"))
        *method = AUTH_CRAM_MD5;
    else
        return false;
    return true;
}

bool SmtpSession::startTls(Poco::Net::Context::Ptr context, const std::string& host, std::string* answer)
{
    const int status = sendCommand("STARTTLS", *answer);
    if (!isPositiveCompletion(status))
        return false;
    // The handshake runs inside attach, under the timeouts already set on the socket; the
    // certificate is checked against host there too.
    Poco::Net::SecureStreamSocket secure = Poco::Net::SecureStreamSocket::attach(socket(), host, context);
    requireHandshake(secure);
    socket() = secure;
    setTimeouts(m_timeout);
    return true;
}

void SmtpSession::requireHandshake(const Poco::Net::SecureStreamSocket& socket)
{
    // A handshake cut short by a timeout returns without an error and before the name check;
    // without the server's certificate nothing goes over the connection.
    if (!socket.havePeerCertificate())
        throw Poco::Net::SSLException("the TLS handshake did not complete");
}

void SmtpSession::abort()
{
    try {
        socket().close();
    } catch (const Poco::Exception&) {
        // Closing is all that is left to do; it cannot fail in a way that matters.
    }
}

} // namespace ombrix
