#include "platform/InstanceLock.h"

#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace ombrix;
using platform::InstanceLock;

TEST(InstanceLock, NameDropsColonsBackslashesDotsAndSlashes)
{
    EXPECT_EQ(InstanceLock::lockName(QStringLiteral("/opt/om.brix/a:b\\c")),
              QStringLiteral("optombrixa") + QStringLiteral("bc"));
    const QString deep = QStringLiteral("/") + QStringLiteral("x").repeated(300) + QStringLiteral("/ěšč");
    const QString name = InstanceLock::lockName(deep);
    EXPECT_LE(name.toUtf8().size(), 200);
    EXPECT_NE(name, InstanceLock::lockName(QStringLiteral("/") + QStringLiteral("x").repeated(300) +
                                           QStringLiteral("/y")));
}

TEST(InstanceLock, SecondLockOfTheSameFolderFailsAnotherFolderSucceeds)
{
    QTemporaryDir a;
    QTemporaryDir b;
    InstanceLock first(a.path());
    ASSERT_EQ(first.tryAcquire(), InstanceLock::Result::Acquired);
    EXPECT_TRUE(QFileInfo::exists(first.lockFilePath()));
    EXPECT_FALSE(first.lockFilePath().startsWith(a.path())); // the lock is not left in the program folder

    InstanceLock second(a.path());
    EXPECT_EQ(second.tryAcquire(), InstanceLock::Result::HeldElsewhere);
    InstanceLock sameFolderOtherSpelling(a.path() + QStringLiteral("/./"));
    EXPECT_EQ(sameFolderOtherSpelling.tryAcquire(), InstanceLock::Result::HeldElsewhere);

    InstanceLock other(b.path());
    EXPECT_EQ(other.tryAcquire(), InstanceLock::Result::Acquired);

    first.release();
    EXPECT_EQ(second.tryAcquire(), InstanceLock::Result::Acquired);
}
