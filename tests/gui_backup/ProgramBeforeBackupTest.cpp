#include "BackupWindowFixture.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace ombrix::test {

// The program to run before a backup, its path in apostrophes because a folder name holds a
// space, typed on the settings page: after a restart (a new readiness pass reads config.ini) it
// still runs, with its parameter, when START is pressed.
TEST_F(BackupWindowFixture, AProgramPathInApostrophesRunsBeforeTheBackupAfterARestart)
{
    writeSource(QStringLiteral("a.txt"), "alpha");
    QTemporaryDir tools;
    ASSERT_TRUE(tools.isValid());
    const QString folder = tools.filePath(QStringLiteral("my tools"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString script = folder + QStringLiteral("/pre.sh");
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        // Writes its arguments, one per line, beside itself.
        file.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.ran\"\n");
    }
    ASSERT_TRUE(QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner));
    const QString typed = QLatin1Char('\'') + script + QStringLiteral("' 'one arg'");

    startProgram();
    {
        ui::MainWindow* window = program().shell().window();
        window->showPage(ui::MainWindow::SettingsIndex);
        auto* field = window->findChild<QLineEdit*>(QStringLiteral("Edit6"));
        ASSERT_NE(field, nullptr);
        QTest::keyClicks(field, typed);
        auto* box = window->findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
        ASSERT_NE(box, nullptr);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        ASSERT_TRUE(box->isChecked());
    }

    startProgram();
    ui::MainWindow* window = program().shell().window();
    EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("Edit6"))->text(), typed);
    EXPECT_TRUE(window->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->isChecked());
    clickStart();

    QFile ran(script + QStringLiteral(".ran"));
    ASSERT_TRUE(ran.open(QIODevice::ReadOnly)) << "the program before the backup did not run";
    EXPECT_EQ(ran.readAll(), QByteArray("one arg\n"));
    EXPECT_EQ(sets().size(), 1);
}

} // namespace ombrix::test
