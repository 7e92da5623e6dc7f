#include "notify/EmailSettings.h"

#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/config/Scrambling.h"

namespace ombrix {

EmailSettings EmailSettings::read(const IniStore& store)
{
    using namespace ConfigKeys;
    EmailSettings s;
    s.fromAddress = store.readString(EMAIL_FROM_ADRESS, placeholderAddress);
    s.pcName = store.readString(EMAIL_PC_NAME, QStringLiteral("ombrix"));
    s.toAddress = store.readString(EMAIL_TO_ADRESS, placeholderAddress);
    s.host = store.readString(EMAIL_SMTP_HOST, QStringLiteral("localhost"));
    const int port = store.readInt(EMAIL_SMTP_PORT, defaultPort);
    s.port = port > 0 && port <= 65535 ? port : defaultPort;
    s.username = store.readString(EMAIL_SMTP_USERNAME, placeholderAddress);
    s.password = desifruj(store.readString(EMAIL_SMTP_PASSWORD, QString()));
    s.security = store.readInt(EMAIL_SMTP_SSL, plainConnection);
    return s;
}

} // namespace ombrix
