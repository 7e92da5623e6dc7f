#include "notify/TlsContext.h"

#include <mutex>
#include <Poco/Net/NetSSL.h>

namespace ombrix {

Poco::Net::Context::Ptr verifiedClientContext()
{
    static std::once_flag initialized;
    std::call_once(initialized, [] { Poco::Net::initializeSSL(); });

    // VERIFY_STRICT rather than VERIFY_RELAXED: for a client both verify the chain, but the
    // relaxed mode skips the name check for loopback hosts.
    Poco::Net::Context::Ptr context = new Poco::Net::Context(Poco::Net::Context::TLS_CLIENT_USE,
                                                             std::string(), Poco::Net::Context::VERIFY_STRICT,
                                                             9, true, "ALL:!ADH:!LOW:!EXP:!MD5:@STRENGTH");
    context->requireMinimumProtocol(Poco::Net::Context::PROTO_TLSV1_2);
    context->enableExtendedCertificateVerification(true);
    return context;
}

} // namespace ombrix
