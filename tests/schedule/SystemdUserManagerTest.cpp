#include "platform/SystemdUserManager.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace ombrix;

namespace {

// A stand-in for systemctl in a temporary folder: it appends its arguments to calls.txt, answers
// "is-system-running" with the state in state.txt (ending with code 1, as systemctl does for
// "degraded" and "offline"), fails "enable" with systemctl's own kind of message and accepts
// everything else. The real systemctl is never run by these tests.
class FakeSystemctl
{
  public:
    FakeSystemctl()
    {
        QFile script(program());
        if (script.open(QIODevice::WriteOnly)) {
            script.write("#!/bin/sh\n"
                         "here=$(dirname \"$0\")\n"
                         "printf '%s\\n' \"$*\" >> \"$here/calls.txt\"\n"
                         "case \"$2\" in\n"
                         "is-system-running) cat \"$here/state.txt\"; exit 1 ;;\n"
                         "enable) echo 'Failed to enable unit: Unit file x.timer does not exist.' >&2\n"
                         "        exit 1 ;;\n"
                         "*) echo done; exit 0 ;;\n"
                         "esac\n");
            script.close();
        }
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    QString program() const { return m_dir.filePath(QStringLiteral("systemctl")); }
    void setState(const QByteArray& state) const
    {
        QFile file(m_dir.filePath(QStringLiteral("state.txt")));
        if (file.open(QIODevice::WriteOnly))
            file.write(state);
    }
    QByteArray calls() const
    {
        QFile file(m_dir.filePath(QStringLiteral("calls.txt")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

  private:
    QTemporaryDir m_dir;
};

} // namespace

TEST(SystemdUserManager, TheManagersAnswerNotTheExitCodeSaysWhetherItRuns)
{
    FakeSystemctl fake;
    platform::SystemdUserManager manager(fake.program());
    const struct
    {
        const char* state;
        bool available;
    } cases[] = {
        {"running\n", true},  {"degraded\n", true}, // some unit of the user failed; the manager runs
        {"starting\n", true}, {"offline\n", false}, // what systemctl says when no user manager answers
        {"unknown\n", false}, {"", false},
    };
    for (const auto& c : cases) {
        fake.setState(c.state);
        EXPECT_EQ(manager.isAvailable(), c.available) << c.state;
    }
    EXPECT_TRUE(fake.calls().startsWith("--user is-system-running\n")) << fake.calls().constData();
}

TEST(SystemdUserManager, CommandsGoToTheUserManagerAndFailuresBringTheirMessage)
{
    FakeSystemctl fake;
    platform::SystemdUserManager manager(fake.program());

    const platform::ServiceCommandResult reload = manager.run({QStringLiteral("daemon-reload")});
    EXPECT_TRUE(reload.ok);
    EXPECT_EQ(reload.output, QStringLiteral("done"));

    const QStringList arguments{QStringLiteral("enable"), QStringLiteral("--now"),
                                QStringLiteral("ombrix-backup.timer")};
    const platform::ServiceCommandResult enable = manager.run(arguments);
    EXPECT_FALSE(enable.ok);
    EXPECT_TRUE(enable.output.contains(QStringLiteral("Failed to enable unit")))
        << enable.output.toStdString();

    EXPECT_EQ(fake.calls(), QByteArray("--user daemon-reload\n--user enable --now ombrix-backup.timer\n"));
}

TEST(SystemdUserManager, AMissingSystemctlMeansNoManager)
{
    QTemporaryDir dir;
    platform::SystemdUserManager manager(dir.filePath(QStringLiteral("no-systemctl-here")));
    EXPECT_FALSE(manager.isAvailable());
    const platform::ServiceCommandResult result = manager.run({QStringLiteral("daemon-reload")});
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.output.isEmpty());
}
