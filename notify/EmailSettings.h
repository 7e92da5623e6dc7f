#pragma once

#include <QString>

namespace ombrix {

class IniStore;

// The settings of one report e-mail, read from section OPTIONS_EMAIL of config.ini at each
// sending. A key that is missing takes the value below; a key that is present but empty is used
// as empty (the settings dialog writes every key, so after its first save no placeholder applies).
struct EmailSettings
{
    // The address used for a missing sender, recipient or login name: the local superuser's
    // mailbox.
    static inline const QString placeholderAddress = QStringLiteral("root@localhost");
    static constexpr int defaultPort = 25;
    // EMAIL_SMTP_SSL: 0 a plain connection, 1 TLS; any other value is treated as plain.
    static constexpr int plainConnection = 0;
    static constexpr int tlsConnection = 1;

    QString fromAddress;            // EMAIL_FROM_ADRESS, missing: the placeholder
    QString pcName;                 // EMAIL_PC_NAME, the sender's display name, missing: "ombrix"
    QString toAddress;              // EMAIL_TO_ADRESS, address and display name, missing: the placeholder
    QString host;                   // EMAIL_SMTP_HOST, missing: "localhost"
    int port = defaultPort;         // EMAIL_SMTP_PORT; missing, not a number or out of range: 25
    QString username;               // EMAIL_SMTP_USERNAME, missing: the placeholder
    QString password;               // EMAIL_SMTP_PASSWORD unscrambled, missing: empty
    int security = plainConnection; // EMAIL_SMTP_SSL, missing: 0

    bool useTls() const { return security == tlsConnection; }

    static EmailSettings read(const IniStore& store);
};

} // namespace ombrix
