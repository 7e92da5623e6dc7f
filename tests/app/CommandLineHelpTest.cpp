#include "core/app/CommandLineHelp.h"

#include "core/app/ProgramVersion.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

using namespace ombrix;
using app::CommandLineHelp;

TEST(CommandLineHelp, OnlyAnExactFirstArgumentAsksForHelpOrVersion)
{
    using Request = CommandLineHelp::Request;
    const struct
    {
        QStringList arguments;
        Request expected;
    } cases[] = {
        {{"ombrix", "--help"}, Request::Help},
        {{"ombrix", "--version"}, Request::Version},
        {{"ombrix", "--help", "-start"}, Request::Help},
        {{"ombrix"}, Request::None},
        {{"ombrix", "-start"}, Request::None},
        {{"ombrix", "-checklang"}, Request::None},
        // The run modes keep their meaning: help later on the line is just ignored.
        {{"ombrix", "-start", "--help"}, Request::None},
        {{"ombrix", "--HELP"}, Request::None},
        {{"ombrix", "--version "}, Request::None},
        {{"ombrix", "-help"}, Request::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommandLineHelp::requestFromArguments(c.arguments), c.expected)
            << c.arguments.join(QLatin1Char(' ')).toStdString();
}

// The real program, with a fresh HOME and no program folder named anywhere: it answers, ends with
// code 0 at once (no display, no window) and creates nothing, not even its per-user folder.
TEST(CommandLineHelp, ProgramPrintsAndEndsBeforeAnyStartUp)
{
    const QString program = QDir(test::binDir()).filePath(QStringLiteral("ombrix"));
    ASSERT_TRUE(QFileInfo(program).isExecutable())
        << "ombrix is not built in " << test::binDir().toStdString();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());

    const auto run = [&](const QString& argument) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"OMBRIX_HOME", "XDG_CONFIG_HOME", "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("HOME"), home.path());
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, {argument});
        // A program that went on to start would wait for a person here and be killed.
        const bool ended = process.waitForFinished(30000);
        EXPECT_TRUE(ended) << argument.toStdString() << " did not end by itself";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    };

    const QString help = run(QStringLiteral("--help"));
    EXPECT_TRUE(help.startsWith(QStringLiteral("Usage: ombrix"))) << help.toStdString();
    for (const char* part : {"-start", "-checklang", "--version", "OMBRIX_HOME", "~/.config/ombrix"})
        EXPECT_TRUE(help.contains(QLatin1String(part))) << part;

    const QString version = run(QStringLiteral("--version"));
    EXPECT_EQ(version, QStringLiteral("ombrix ") + app::programVersion() + QLatin1Char('\n'));

    EXPECT_TRUE(QDir(home.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        << "the program created files below HOME";
}
