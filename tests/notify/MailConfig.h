#pragma once

#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/config/Scrambling.h"

#include <QString>

namespace ombrix::test {

// The OPTIONS_EMAIL section the tests send with, as the settings dialog would store it.
struct MailConfig
{
    QString from = QStringLiteral("backup@example.test");
    QString pcName = QString::fromUtf8("Kancelář PC");
    QString to = QStringLiteral("admin@example.test");
    QString host = QStringLiteral("127.0.0.1");
    int port = 25;
    int ssl = 0;
    QString user;
    QString password;

    void writeTo(const QString& configPath) const
    {
        using namespace ConfigKeys;
        IniStore store(configPath);
        store.writeString(EMAIL_FROM_ADRESS, from);
        store.writeString(EMAIL_PC_NAME, pcName);
        store.writeString(EMAIL_TO_ADRESS, to);
        store.writeString(EMAIL_SMTP_HOST, host);
        store.writeString(EMAIL_SMTP_PORT, QString::number(port));
        store.writeString(EMAIL_SMTP_USERNAME, user);
        store.writeString(EMAIL_SMTP_PASSWORD, sifruj(password));
        store.writeInt(EMAIL_SMTP_SSL, ssl);
    }
};

} // namespace ombrix::test
