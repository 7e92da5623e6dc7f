#include "core/config/CommandLineEscape.h"
#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "core/config/PasswordField.h"
#include "core/config/Scrambling.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>

using namespace ombrix;

TEST(DefaultConfig, IsTheExact52Lines)
{
    const QByteArray expected = "[SYSTEM]\r\n"
                                "LAST_ARCHIV_NAME= \r\n"
                                "LAST_BACKUP_LIST_INDEX=0\r\n"
                                "LAST_BACKUP_DONE=1\r\n"
                                "BACKUP_DESTINATION=DIR\r\n"
                                "BACKUP_DIR=\r\n"
                                "BACKUP_FTP_HOST=\r\n"
                                "BACKUP_FTP_USER=\r\n"
                                "BACKUP_FTP_PASS=\r\n"
                                "BACKUP_FTP_DIR=\r\n"
                                "TAB_INDEX=0\r\n"
                                "RECOVERY_ARCHIVNAME=\r\n"
                                "RECOVERY_ARCHIV_INDEX=0\r\n"
                                "RECOVERY_DONE=1\r\n"
                                "RECOVERY_DIR=\r\n"
                                "RECOVERY_DEST=0\r\n"
                                "SUM_DONE=1\r\n"
                                "SUM_FROM=\r\n"
                                "SUM_TO=\r\n"
                                "SKYVRA_USER=\r\n"
                                "SKYVRA_PASSW=\r\n"
                                "\r\n"
                                "[OPTIONS]\r\n"
                                "RUN_BEFORE_BACKUP=0\r\n"
                                "PROGRAM_BB=\r\n"
                                "RUN_AFTER_BACKUP=0\r\n"
                                "PROGRAM_AB=\r\n"
                                "COMPRES_LEVEL=DEFAULT\r\n"
                                "VERIFY_LAST_ARCHIV=0\r\n"
                                "PASSWORD=\r\n"
                                "ARCHIVE_COUNT=0\r\n"
                                "COLOR_ARCHIVES=0\r\n"
                                "LANGUAGE=SYSTEM\r\n"
                                "ARCHIVLIST_BUFFER=0\r\n"
                                "EMAIL=0\r\n"
                                "SUM_FIRST_SECOND=0\r\n"
                                "AUTOSTART_BACKUP=0\r\n"
                                "SOURCE_ERROR_SKIP=0\r\n"
                                "AUTOUPDATE=0\r\n"
                                "FTP_BINARY=1\r\n"
                                "FTP_PASSIVE=1\r\n"
                                "INTERNAL_COPY=0\r\n"
                                "\r\n"
                                "[OPTIONS_EMAIL]\r\n"
                                "EMAIL_FROM_ADRESS=\r\n"
                                "EMAIL_PC_NAME=\r\n"
                                "EMAIL_TO_ADRESS=\r\n"
                                "EMAIL_SMTP_HOST=\r\n"
                                "EMAIL_SMTP_PORT=25\r\n"
                                "EMAIL_SMTP_USERNAME=\r\n"
                                "EMAIL_SMTP_PASSWORD=\r\n"
                                "EMAIL_SMTP_SSL=0\r\n";
    EXPECT_EQ(defaultConfigLines().size(), 52);
    EXPECT_EQ(defaultConfigBytes(), expected);

    test::TempProgramFolder home;
    ASSERT_TRUE(writeDefaultConfigIfMissing(home.path()));
    EXPECT_EQ(home.read(QStringLiteral("config.ini")), expected);
}

TEST(DefaultConfig, ReadsAsTheKeyDefaults)
{
    test::TempProgramFolder home;
    ASSERT_TRUE(writeDefaultConfigIfMissing(home.path()));
    const IniStore store(home.file(QStringLiteral("config.ini")));
    EXPECT_EQ(store.readString(ConfigKeys::LAST_ARCHIV_NAME, QStringLiteral("x")), QString()); // no chain
    EXPECT_TRUE(store.readBool(ConfigKeys::LAST_BACKUP_DONE, false));
    EXPECT_EQ(store.readString(ConfigKeys::BACKUP_DESTINATION, {}), ConfigKeys::DESTINATION_DIR);
    EXPECT_EQ(store.readString(ConfigKeys::LANGUAGE, {}), ConfigKeys::LANGUAGE_SYSTEM);
    EXPECT_EQ(store.readInt(ConfigKeys::EMAIL_SMTP_PORT, 0), 25);
    EXPECT_TRUE(store.readBool(ConfigKeys::FTP_PASSIVE, false));
    EXPECT_FALSE(store.readBool(ConfigKeys::INTERNAL_COPY, true));
    // BACKUP_DIR is present and empty, which is not the same as missing.
    EXPECT_EQ(store.readString(ConfigKeys::BACKUP_DIR, ConfigKeys::BACKUP_DIR_NOT_SET), QString());
}

TEST(DefaultConfig, ExistingFileIsKeptAndUnwritableFolderFails)
{
    test::TempProgramFolder home;
    home.write(QStringLiteral("config.ini"), "[SYSTEM]\r\nTAB_INDEX=4\r\n");
    EXPECT_TRUE(writeDefaultConfigIfMissing(home.path()));
    EXPECT_EQ(home.read(QStringLiteral("config.ini")), "[SYSTEM]\r\nTAB_INDEX=4\r\n");

    home.write(QStringLiteral("file"), "x");
    EXPECT_FALSE(writeDefaultConfigIfMissing(home.file(QStringLiteral("file"))));
    EXPECT_FALSE(writeDefaultConfigIfMissing(home.file(QStringLiteral("no/such/folder"))));

    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("sub/config.ini")));
    EXPECT_FALSE(writeDefaultConfigIfMissing(home.file(QStringLiteral("sub"))));

    EXPECT_TRUE(permissionProblemText.startsWith(u"Problém s oprávněním: "));
}

TEST(CommandLineEscape, QuotesSurviveTheStore)
{
    const struct
    {
        QString typed;
        QString stored;
    } cases[] = {
        {QStringLiteral("\"C:\\Program Files\\x.exe\" -a"),
         QStringLiteral("\\\\\"C:\\Program Files\\x.exe\\\\\" -a")},
        {QStringLiteral("/usr/bin/rsync -a"), QStringLiteral("/usr/bin/rsync -a")},
        {QStringLiteral("\"/opt/a b/run\" \"x y\""),
         QStringLiteral("\\\\\"/opt/a b/run\\\\\" \\\\\"x y\\\\\"")},
        {QStringLiteral("end\\\""), QStringLiteral("end\\\\\\\"")},
        {QStringLiteral("already \\\\\" there"), QStringLiteral("already \\\\\\\\\" there")},
        {QString(), QString()},
    };
    test::TempProgramFolder home;
    IniStore store(home.file(QStringLiteral("config.ini")));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        EXPECT_EQ(escapeCommandLine(c.typed), c.stored);
        ASSERT_TRUE(store.writeString(ConfigKeys::PROGRAM_BB, escapeCommandLine(c.typed)));
        EXPECT_EQ(unescapeCommandLine(store.readString(ConfigKeys::PROGRAM_BB, {})), c.typed);
    }
}

TEST(PasswordField, RowIsShownAndNeverStored)
{
    const struct
    {
        PasswordField field;
        ConfigKey key;
        int rowLength;
    } fields[] = {
        {PasswordField::FtpAccount, ConfigKeys::BACKUP_FTP_PASS, 13},
        {PasswordField::SkyvraAccount, ConfigKeys::SKYVRA_PASSW, 13},
        {PasswordField::ArchivePassword, ConfigKeys::PASSWORD, 23},
        {PasswordField::SmtpAccount, ConfigKeys::EMAIL_SMTP_PASSWORD, 15},
    };
    test::TempProgramFolder home;
    IniStore store(home.file(QStringLiteral("config.ini")));
    for (const auto& f : fields) {
        SCOPED_TRACE(f.key.name.data());
        const QString row(f.rowLength, QLatin1Char('*'));
        EXPECT_EQ(asteriskRow(f.field), row);
        EXPECT_EQ(passwordKey(f.field).name, f.key.name);
        EXPECT_EQ(passwordKey(f.field).section, f.key.section);

        ASSERT_TRUE(storePasswordFromField(store, f.field, QStringLiteral("tajné")));
        const QString stored = store.readString(f.key, {});
        EXPECT_NE(stored, QStringLiteral("tajné"));
        EXPECT_EQ(desifruj(stored), QStringLiteral("tajné"));
        EXPECT_EQ(maskedFieldText(f.field, stored), row);

        // Showing the row fires the change handler; the stored password must stay.
        ASSERT_TRUE(storePasswordFromField(store, f.field, row));
        EXPECT_EQ(store.readString(f.key, {}), stored);
        // One asterisk more or less is a new password.
        ASSERT_TRUE(storePasswordFromField(store, f.field, row + QLatin1Char('*')));
        EXPECT_EQ(desifruj(store.readString(f.key, {})), row + QLatin1Char('*'));

        ASSERT_TRUE(storePasswordFromField(store, f.field, QString()));
        EXPECT_EQ(store.readString(f.key, QStringLiteral("x")), QString());
    }
    // With nothing stored the fields are empty, except the e-mail dialog's, which always shows the row.
    EXPECT_EQ(maskedFieldText(PasswordField::FtpAccount, QString()), QString());
    EXPECT_EQ(maskedFieldText(PasswordField::SkyvraAccount, QString()), QString());
    EXPECT_EQ(maskedFieldText(PasswordField::ArchivePassword, QString()), QString());
    EXPECT_EQ(maskedFieldText(PasswordField::SmtpAccount, QString()),
              asteriskRow(PasswordField::SmtpAccount));
    // The archive password counts as stored only when it unscrambles to something.
    EXPECT_EQ(maskedFieldText(PasswordField::ArchivePassword, QStringLiteral("ABC-D")), QString());
}
