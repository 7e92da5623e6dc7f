#pragma once

#include <Poco/Net/Context.h>
#include <Poco/Net/SecureStreamSocket.h>
#include <Poco/Net/SMTPClientSession.h>
#include <Poco/Net/StreamSocket.h>
#include <Poco/Timespan.h>
#include <string>

namespace ombrix {

// An SMTP client session on a socket the caller connected (so the connect has a timeout), with
// the parts Poco's session keeps to itself: the server's EHLO answer (which says whether it
// offers STARTTLS and which AUTH methods it knows) and a STARTTLS that verifies the server's
// certificate for the host name the user gave. Every Poco error is thrown as Poco::Exception.
class SmtpSession : public Poco::Net::SMTPClientSession
{
  public:
    explicit SmtpSession(const Poco::Net::StreamSocket& socket);

    // The limit for every answer of the server and every send to it.
    void setTimeouts(const Poco::Timespan& timeout);

    // Reads the greeting (the first time) and sends EHLO, or HELO when EHLO is refused; returns
    // the server's answer, all its lines.
    std::string hello(const std::string& clientName);
    // True when an EHLO answer names the extension (STARTTLS, AUTH, ...).
    static bool offers(const std::string& helloAnswer, const std::string& extension);
    // The AUTH method to use from an EHLO answer: PLAIN, then LOGIN, then CRAM-MD5; false when
    // the server names none of them.
    static bool authMethod(const std::string& helloAnswer, LoginMethod* method);

    // Sends STARTTLS and, when the server agrees, continues the connection in TLS with the
    // certificate verified for host. False (the server's answer in *answer) when the server
    // refuses; a TLS failure (an untrusted certificate among them) is thrown.
    bool startTls(Poco::Net::Context::Ptr context, const std::string& host, std::string* answer);

    // Throws unless the TLS handshake of socket completed with the server's certificate (which
    // was then checked for the host the socket was connected to).
    static void requireHandshake(const Poco::Net::SecureStreamSocket& socket);

    // Drops the connection without QUIT: after a failure the server may be in any state (in the
    // middle of a TLS handshake, or not answering at all), so nothing more is said to it.
    void abort();

  private:
    Poco::Timespan m_timeout;
};

} // namespace ombrix
