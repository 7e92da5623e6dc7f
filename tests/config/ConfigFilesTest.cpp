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
#include <QMap>
#include <utility>

using namespace ombrix;

// A fresh config.ini is laid out as every reader of the file expects: the three sections in
// order, each opened by its header line and separated by a blank line, CR LF line ends, and
// every key of the program once, in its own section, as KEY=value.
TEST(DefaultConfig, FreshFileHoldsEveryKeyOnceInItsSection)
{
    using namespace ConfigKeys;
    const QList<ConfigKey> keys{LAST_ARCHIV_NAME,
                                LAST_BACKUP_LIST_INDEX,
                                LAST_BACKUP_DONE,
                                BACKUP_DESTINATION,
                                BACKUP_DIR,
                                BACKUP_FTP_HOST,
                                BACKUP_FTP_USER,
                                BACKUP_FTP_PASS,
                                BACKUP_FTP_DIR,
                                TAB_INDEX,
                                RECOVERY_ARCHIVNAME,
                                RECOVERY_ARCHIV_INDEX,
                                RECOVERY_DONE,
                                RECOVERY_DIR,
                                RECOVERY_DEST,
                                SUM_DONE,
                                SUM_FROM,
                                SUM_TO,
                                SKYVRA_USER,
                                SKYVRA_PASSW,
                                RUN_BEFORE_BACKUP,
                                PROGRAM_BB,
                                RUN_AFTER_BACKUP,
                                PROGRAM_AB,
                                COMPRES_LEVEL,
                                VERIFY_LAST_ARCHIV,
                                PASSWORD,
                                ARCHIVE_COUNT,
                                COLOR_ARCHIVES,
                                LANGUAGE,
                                ARCHIVLIST_BUFFER,
                                EMAIL,
                                SUM_FIRST_SECOND,
                                AUTOSTART_BACKUP,
                                SOURCE_ERROR_SKIP,
                                AUTOUPDATE,
                                FTP_BINARY,
                                FTP_PASSIVE,
                                INTERNAL_COPY,
                                EMAIL_FROM_ADRESS,
                                EMAIL_PC_NAME,
                                EMAIL_TO_ADRESS,
                                EMAIL_SMTP_HOST,
                                EMAIL_SMTP_PORT,
                                EMAIL_SMTP_USERNAME,
                                EMAIL_SMTP_PASSWORD,
                                EMAIL_SMTP_SSL};

    test::TempProgramFolder home;
    ASSERT_TRUE(writeDefaultConfigIfMissing(home.path()));
    const QByteArray bytes = home.read(QStringLiteral("config.ini"));
    EXPECT_EQ(bytes, defaultConfigBytes()) << "the file written is not the one the program describes";
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF")) << "config.ini has no byte-order mark";

    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast(); // after the last CR LF
    QStringList sections;
    QMap<QString, QStringList> found; // section -> key names in the file
    for (qsizetype i = 0; i < lines.size(); ++i) {
        ASSERT_TRUE(lines.at(i).endsWith('\r')) << "line " << i + 1 << " does not end in CR LF";
        const QString line = QString::fromUtf8(lines.at(i).chopped(1));
        if (line.startsWith(QLatin1Char('['))) {
            ASSERT_TRUE(line.endsWith(QLatin1Char(']'))) << line.toStdString();
            if (!sections.isEmpty()) {
                EXPECT_EQ(lines.value(i - 1), QByteArray("\r"))
                    << "no blank line before " << line.toStdString();
            }
            sections << line.mid(1, line.size() - 2);
            continue;
        }
        if (line.isEmpty())
            continue;
        ASSERT_FALSE(sections.isEmpty()) << "a key before the first section: " << line.toStdString();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        ASSERT_GT(equals, 0) << line.toStdString();
        found[sections.last()] << line.left(equals);
    }
    EXPECT_EQ(sections, (QStringList{SYSTEM, OPTIONS, OPTIONS_EMAIL}));

    QMap<QString, QStringList> expected;
    for (const ConfigKey& key : keys)
        expected[key.section] << key.name;
    EXPECT_EQ(found.keys(), expected.keys());
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        QStringList inFile = found.value(it.key());
        inFile.sort();
        it.value().sort();
        EXPECT_EQ(inFile, it.value()) << "the keys of [" << it.key().toStdString() << "]";
    }
}

// What the program reads from a fresh config.ini: every key's default, as the readers take it.
TEST(DefaultConfig, ReadsAsTheKeyDefaults)
{
    test::TempProgramFolder home;
    ASSERT_TRUE(writeDefaultConfigIfMissing(home.path()));
    const IniStore store(home.file(QStringLiteral("config.ini")));
    using namespace ConfigKeys;
    // Texts that read empty (present, not missing).
    for (const ConfigKey& key :
         {LAST_ARCHIV_NAME,   BACKUP_DIR,          BACKUP_FTP_HOST, BACKUP_FTP_USER, BACKUP_FTP_PASS,
          BACKUP_FTP_DIR,     RECOVERY_ARCHIVNAME, RECOVERY_DIR,    SUM_FROM,        SUM_TO,
          SKYVRA_USER,        SKYVRA_PASSW,        PROGRAM_BB,      PROGRAM_AB,      PASSWORD,
          EMAIL_FROM_ADRESS,  EMAIL_PC_NAME,       EMAIL_TO_ADRESS, EMAIL_SMTP_HOST, EMAIL_SMTP_USERNAME,
          EMAIL_SMTP_PASSWORD})
        EXPECT_EQ(store.readString(key, QStringLiteral("<missing>")), QString()) << key.name.data();
    // Numbers.
    const std::pair<ConfigKey, int> numbers[] = {
        {LAST_BACKUP_LIST_INDEX, 0}, {TAB_INDEX, 0},         {RECOVERY_ARCHIV_INDEX, 0}, {RECOVERY_DEST, 0},
        {ARCHIVE_COUNT, 0},          {ARCHIVLIST_BUFFER, 0}, {EMAIL_SMTP_PORT, 25}};
    for (const auto& [key, value] : numbers)
        EXPECT_EQ(store.readInt(key, -7), value) << key.name.data();
    // Switches: no run pending, every option off but the two FTP modes.
    const std::pair<ConfigKey, bool> switches[] = {{LAST_BACKUP_DONE, true},   {RECOVERY_DONE, true},
                                                   {SUM_DONE, true},           {RUN_BEFORE_BACKUP, false},
                                                   {RUN_AFTER_BACKUP, false},  {VERIFY_LAST_ARCHIV, false},
                                                   {COLOR_ARCHIVES, false},    {EMAIL, false},
                                                   {SUM_FIRST_SECOND, false},  {AUTOSTART_BACKUP, false},
                                                   {SOURCE_ERROR_SKIP, false}, {AUTOUPDATE, false},
                                                   {FTP_BINARY, true},         {FTP_PASSIVE, true},
                                                   {INTERNAL_COPY, false},     {EMAIL_SMTP_SSL, false}};
    for (const auto& [key, value] : switches)
        EXPECT_EQ(store.readBool(key, !value), value) << key.name.data();
    EXPECT_EQ(store.readString(BACKUP_DESTINATION, {}), DESTINATION_DIR);
    EXPECT_EQ(store.readString(LANGUAGE, {}), LANGUAGE_SYSTEM);
    EXPECT_EQ(store.readString(COMPRES_LEVEL, {}), QStringLiteral("DEFAULT"));
    // BACKUP_DIR is present and empty, which is not the same as missing.
    EXPECT_EQ(store.readString(BACKUP_DIR, BACKUP_DIR_NOT_SET), QString());
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
