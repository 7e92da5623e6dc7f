#include "E2eTest.h"

#include "ProcessScan.h"
#include "SetRestorer.h"

#include <QElapsedTimer>
#include <QThread>

namespace ombrix::test {

void E2eTest::SetUp()
{
    ASSERT_TRUE(sandbox.isValid());
    ASSERT_TRUE(sandbox.install());
}

void E2eTest::TearDown()
{
    // Whatever a failed test left running must not outlive it.
    waitUntilNoProcesses(5000);
}

void E2eTest::expectRestoresTo(const QString& set, const QMap<QString, QByteArray>& expected,
                               const QString& password) const
{
    const SetRestorer::Result restored = SetRestorer(sandbox.destination(), password).restore(set);
    ASSERT_TRUE(restored.catalogOk) << "the catalog of " << set.toStdString() << " cannot be read";
    EXPECT_TRUE(restored.failures.isEmpty()) << restored.failures.join(QLatin1Char('\n')).toStdString();
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const auto found = restored.digests.constFind(it.key());
        if (found == restored.digests.cend())
            ADD_FAILURE() << "not in the catalog of " << set.toStdString() << ": " << it.key().toStdString();
        else
            EXPECT_EQ(found.value(), it.value()) << "restores different bytes: " << it.key().toStdString();
    }
    for (auto it = restored.digests.cbegin(); it != restored.digests.cend(); ++it)
        EXPECT_TRUE(expected.contains(it.key()))
            << "listed but not a source file: " << it.key().toStdString();
}

bool E2eTest::waitUntilNoProcesses(int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    while (!ProcessScan::processesUsing({sandbox.root()}).isEmpty()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(50);
    }
    return true;
}

void E2eTest::expectNothingLeft() const
{
    EXPECT_TRUE(waitUntilNoProcesses(3000))
        << "still running: "
        << ProcessScan::processesUsing({sandbox.root()}).join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(sandbox.leftoverTmpFiles().isEmpty())
        << sandbox.leftoverTmpFiles().join(QLatin1Char('\n')).toStdString();
}

} // namespace ombrix::test
