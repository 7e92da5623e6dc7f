#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "core/sources/SourcesFile.h"
#include "DesktopTestSupport.h"
#include "support/ArchiverWrapper.h"
#include "support/TempProgramFolder.h"
#include "ui/lang/LanguageSwitcher.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/mainwindow/RunController.h"
#include "ui/mainwindow/StatusLine.h"
#include "ui/wiring/ProgramAssembly.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace ombrix;
using namespace ombrix::ui;

// The backup page caught in the middle of a run, in Czech and in English: the archiver is held
// at the second file of three, so the pictures show a run under way by construction, whatever
// the machine's speed.
TEST(BackupRunning, ScreenshotsOfTheBackupPageDuringARunInBothLanguages)
{
    const QString previousDir = QDir::currentPath();
    QTemporaryDir destination;
    QTemporaryDir sources;
    ASSERT_TRUE(destination.isValid());
    ASSERT_TRUE(sources.isValid());
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        QFile file(sources.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("line of text\n").repeated(200));
    }
    test::TempProgramFolder home;
    home.write(QStringLiteral("config.ini"), defaultConfigBytes());
    {
        IniStore config(home.file(QStringLiteral("config.ini")));
        config.writeString(ConfigKeys::BACKUP_DIR, destination.path());
        config.writeString(ConfigKeys::LANGUAGE, QStringLiteral("CZ"));
    }
    ASSERT_TRUE(SourcesFile::write(home.file(SourcesFile::fileName), {sources.path()}));
    test::copyShippedLanguages(home.path());

    test::ArchiverWrapper wrapper;
    ASSERT_TRUE(wrapper.isValid());
    wrapper.applyToThisProcess();
    wrapper.pauseAt({QStringLiteral("a"), sources.path() + QStringLiteral("/*")}, 2);

    QStringList saved;
    {
        ProgramAssembly program(app::RunMode::Interactive);
        program.shell().controller()->setTerminator([](int) {});
        ASSERT_TRUE(program.start());
        MainWindow* window = program.shell().window();
        window->resize(1024, 768);
        window->showPage(MainWindow::BackupIndex);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        BackupPage* page = window->backupPage();
        LanguageSwitcher* switcher = LanguageSwitcher::attach(window);
        switcher->setConfigPath(home.file(QStringLiteral("config.ini")));
        switcher->setLanguageFolder(QDir(home.path()).filePath(QStringLiteral("lang")));

        // The run pumps the window while it waits for the held archiver; this timer is handled
        // there, takes the pictures and lets the archiver go on.
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!wrapper.waitForPause(0))
                return;
            poll.stop();
            EXPECT_EQ(page->startButton()->text(), QStringLiteral("STOP")) << "caught outside a run";
            EXPECT_GT(page->progressBar()->value(), 0);
            for (const char* code : {"CZ", "EN"}) {
                EXPECT_TRUE(switcher->changeLanguage(QLatin1String(code)));
                QCoreApplication::processEvents();
                EXPECT_FALSE(page->statusLine()->text().trimmed().isEmpty());
                const QStringList clipped = test::clippedWidgets(page);
                EXPECT_TRUE(clipped.isEmpty()) << code << ": " << qPrintable(clipped.join(u'\n'));
                const QString file = QDir(test::desktopScreenshotFolder())
                                         .filePath(QStringLiteral("desktop-backup-running-%1.png")
                                                       .arg(QString::fromLatin1(code).toLower()));
                const QPixmap shot = window->grab();
                EXPECT_EQ(shot.size(), QSize(1024, 768));
                if (shot.save(file))
                    saved << file;
            }
            switcher->changeLanguage(QStringLiteral("CZ"));
            wrapper.release();
        });
        poll.start();
        QTest::mouseClick(page->startButton(), Qt::LeftButton);
        poll.stop();
        wrapper.release();

        EXPECT_EQ(saved.size(), 2) << "the run never reached the second file's archiver: "
                                   << qPrintable(page->statusLine()->text());
        // The pictures did not disturb the run.
        EXPECT_EQ(page->statusLine()->text().trimmed(), QString::fromUtf8("Úspěšný konec zálohování"));
        EXPECT_EQ(QDir(destination.path()).entryList({QStringLiteral("OMX_*")}, QDir::Dirs).size(), 1);
    }
    test::resetLanguage();
    QDir::setCurrent(previousDir);
}
