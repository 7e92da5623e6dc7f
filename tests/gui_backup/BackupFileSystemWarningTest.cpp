#include "BackupWindowFixture.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RestorePage.h"
#include "ui/wiring/RestoreWiring.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

namespace ombrix::test {

// The warning that the destination lies on an older file system than the sources: shown on the
// backup page whenever that page is shown and the destination folder is on "FAT" while a source
// is on "NTFS"; the restore page's own warning then stays hidden. Which file system a path lies
// on comes from a stand-in here (a test machine has no FAT volume to offer); the volume query
// itself is tested on real volumes elsewhere.
TEST_F(BackupWindowFixture, FileSystemWarningIsShownOnTheBackupPage)
{
    QTemporaryDir restoreTarget;
    ASSERT_TRUE(restoreTarget.isValid());
    startProgram();
    ui::MainWindow* window = program().shell().window();
    QWidget* backupWarning = window->backupPage()->fileSystemWarning();
    QWidget* restoreWarning = window->restorePage()->fileSystemWarning();
    ASSERT_NE(backupWarning, nullptr);
    auto* text = backupWarning->findChild<QLabel*>(QStringLiteral("Label15"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), QString::fromUtf8("Cílové zařízení má starší filesystém než zdrojové zařízení"));
    // A restore below another folder, on the volume the last rows put on FAT.
    window->restorePage()->folderEdit()->setText(restoreTarget.path());

    const QString destinationRoot = destination.path();
    const QString restoreRoot = restoreTarget.path();
    const struct
    {
        const char* what;
        bool destinationFat;
        bool restoreFat;
        bool backupShown;
        bool restoreShown;
    } cases[] = {
        {"destination on FAT", true, false, true, false},
        {"everything on NTFS", false, false, false, false},
        {"restore target on FAT", false, true, false, true},
        {"destination and restore target on FAT", true, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        program().restore().setFileSystemQuery([=](const QString& path) {
            const auto below = [&path](const QString& root) {
                return path == root || path.startsWith(root + QLatin1Char('/'));
            };
            const bool fat =
                (c.destinationFat && below(destinationRoot)) || (c.restoreFat && below(restoreRoot));
            return fat ? QStringLiteral("FAT") : QStringLiteral("NTFS");
        });
        window->showPage(ui::MainWindow::IntroIndex);
        window->showPage(ui::MainWindow::BackupIndex);
        QCoreApplication::processEvents();
        EXPECT_EQ(backupWarning->isVisible(), c.backupShown);
        window->showPage(ui::MainWindow::RestoreIndex);
        QCoreApplication::processEvents();
        EXPECT_EQ(restoreWarning->isVisible(), c.restoreShown);
    }
}

} // namespace ombrix::test
