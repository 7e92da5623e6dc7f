#pragma once

#include <Poco/Net/Context.h>

namespace ombrix {

// A fresh client-side TLS context for one connection of the report e-mail or the update check:
// TLS 1.2 or later, the server's certificate chain verified against the system's trust store
// (OpenSSL's default locations, so SSL_CERT_FILE and SSL_CERT_DIR are honoured) and the server's
// name (or IP address) checked against the certificate, loopback addresses included. Nothing is
// ever accepted without verification. Throws Poco::Exception when the context cannot be made
// (for example when the trust store cannot be loaded); callers turn that into their error value.
Poco::Net::Context::Ptr verifiedClientContext();

} // namespace ombrix
