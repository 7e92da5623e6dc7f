#include "core/config/CommandLineEscape.h"
#include "core/config/ConfigKeys.h"
#include "core/process/UserCommandLine.h"
#include "PageTestSupport.h"
#include "ui/mainwindow/SettingsPage.h"

#include <gtest/gtest.h>
#include <QLineEdit>

using namespace ombrix;
using namespace ombrix::test;
using namespace ombrix::ui;

// A command line goes to config.ini escaped and comes back as typed, also when the store would
// otherwise take a pair of quotes around it for its own (it reads a value enclosed in matching
// quotes without them).
TEST(QuotedValues, CommandLinesComeBackFromTheStoreAsTyped)
{
    ConfigFixture f;
    const char* typed[] = {
        "'/opt/my tools/pre.sh'",
        "'/opt/my tools/pre.sh' -v 'a b'",
        "''",
        "'",
        "it's",
        "'a'b",
        "'\"mixed\"'",
        "\"/opt/my tools/pre.sh\" 'a b'",
        "'/opt/x' \"y\"",
        "\"quoted\"",
        "\\\"",
    };
    for (const char* line : typed) {
        const QString text = QString::fromUtf8(line);
        EXPECT_EQ(unescapeCommandLine(escapeCommandLine(text)), text) << line;
        ASSERT_TRUE(f.store->writeString(ConfigKeys::PROGRAM_BB, escapeCommandLine(text))) << line;
        // A store opened later (as every readiness pass opens one) reads the file.
        const IniStore reopened(f.store->path());
        EXPECT_EQ(unescapeCommandLine(reopened.readString(ConfigKeys::PROGRAM_BB, QString())), text) << line;
    }
}

// The programs to run before and after a backup, typed with the program path in apostrophes:
// after a restart the fields show them as typed and the program is the whole path.
TEST(QuotedValues, CommandLineInApostrophesIsShownAndSplitAsTyped)
{
    const struct
    {
        const char* typed;
        const char* program;
        const char* parameters;
    } lines[] = {
        {"'/opt/my tools/pre.sh'", "/opt/my tools/pre.sh", ""},
        {"'/opt/my tools/pre.sh' -v 'a b'", "/opt/my tools/pre.sh", " -v 'a b'"},
        {"\"/opt/my tools/pre.sh\" 'a b'", "/opt/my tools/pre.sh", " 'a b'"},
        {"/usr/bin/rsync -a '/x y/'", "/usr/bin/rsync", "-a '/x y/'"},
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(line.typed);
        const QString typed = QString::fromUtf8(line.typed);
        ConfigFixture f;
        SettingsPage page;
        page.setConfigStore(f.store.get());
        page.runBeforeEdit()->setText(typed);
        page.runAfterEdit()->setText(typed);

        const IniStore reopened(f.store->path());
        SettingsPage fresh;
        fresh.loadSettings(reopened);
        for (QLineEdit* field : {fresh.runBeforeEdit(), fresh.runAfterEdit()}) {
            EXPECT_EQ(field->text(), typed) << field->objectName().toStdString();
            QString name;
            QString parameters;
            UserCommandLine::ExtractFileAndParameters(field->text(), name, parameters);
            EXPECT_EQ(UserCommandLine::programFromName(name), QString::fromUtf8(line.program));
            EXPECT_EQ(parameters, QString::fromUtf8(line.parameters));
        }
    }
}
