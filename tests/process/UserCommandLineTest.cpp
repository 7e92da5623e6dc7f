#include "core/process/UserCommandLine.h"

#include <gtest/gtest.h>

using namespace ombrix;

namespace {

struct SplitCase
{
    const char* text;
    const char* name;
    const char* parameters;
};

} // namespace

TEST(UserCommandLine, ExtractFileAndParametersSplitsAsTheFieldIsRead)
{
    const SplitCase cases[] = {
        {R"("C:\Tools\pre.exe" /q)", R"("C:\Tools\pre.exe")", " /q"},
        {R"(C:\Tools\pre.exe /q)", R"(C:\Tools\pre.exe)", "/q"},
        {"/usr/bin/pre.sh", "/usr/bin/pre.sh", ""},
        {"'/opt/my tools/pre' -a 'b c'", "'/opt/my tools/pre'", " -a 'b c'"},
        {"\"/opt/x\"", "\"/opt/x\"", ""},
        {"\"no closing quote", "\"", "no closing quote"},
        {"prog  two spaces", "prog", " two spaces"},
        {" leading", "", "leading"},
        {"", "", ""},
        {"\"a'b\" c", "\"a'b\"", " c"},
    };
    for (const SplitCase& c : cases) {
        QString name = QStringLiteral("stale");
        QString parameters = QStringLiteral("stale");
        UserCommandLine::ExtractFileAndParameters(QString::fromUtf8(c.text), name, parameters);
        EXPECT_EQ(name.toStdString(), c.name) << c.text;
        EXPECT_EQ(parameters.toStdString(), c.parameters) << c.text;
    }
}

TEST(UserCommandLine, ProgramFromNameDropsTheEnclosingQuotes)
{
    EXPECT_EQ(UserCommandLine::programFromName(QStringLiteral("\"/opt/my tools/pre\"")),
              QStringLiteral("/opt/my tools/pre"));
    EXPECT_EQ(UserCommandLine::programFromName(QStringLiteral("'/x'")), QStringLiteral("/x"));
    EXPECT_EQ(UserCommandLine::programFromName(QStringLiteral("/usr/bin/x")), QStringLiteral("/usr/bin/x"));
    EXPECT_EQ(UserCommandLine::programFromName(QStringLiteral("\"")), QString());
}

TEST(UserCommandLine, ParametersAreReadLikeShellWordsWithoutExpansion)
{
    struct Case
    {
        const char* text;
        QStringList expected;
    };
    const Case cases[] = {
        {" /q", {"/q"}},
        {"", {}},
        {"   ", {}},
        {"a  b\tc", {"a", "b", "c"}},
        {"\"two words\" 'single $HOME' $HOME * ~", {"two words", "single $HOME", "$HOME", "*", "~"}},
        {R"("say \"hi\"" 'it''s' back\ slash)", {"say \"hi\"", "its", "back slash"}},
        {R"("C:\Tools\x" a\\b)", {R"(C:\Tools\x)", R"(a\b)"}},
        {"\"\" ''", {"", ""}},
        {"\"unclosed quote", {"unclosed quote"}},
        {"pre\"mid dle\"post", {"premid dlepost"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UserCommandLine::splitArguments(QString::fromUtf8(c.text)), c.expected) << c.text;
}
