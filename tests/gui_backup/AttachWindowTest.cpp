#include "BackupWindowFixture.h"
#include "core/catalog/SetLayout.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/log/Status.h"
#include "core/sources/SourcesFile.h"
#include "support/QtPrinters.h"
#include "support/Screenshots.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/ProgramShell.h"
#include "ui/wiring/AttachWiring.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace ombrix;
using namespace ombrix::test;

namespace {

QString shown(const char* czechText)
{
    return statusText(Page::Backup, QString::fromUtf8(czechText)).trimmed();
}

QStringList withoutPrefix(const QStringList& sets)
{
    QStringList entries;
    for (const QString& set : sets)
        entries << set.mid(4);
    return entries;
}

// The real window's attach controls on page 3, with the program's restart replaced by a counter
// (no process is started). The attach's pause is cut to nothing.
class AttachWindow : public BackupWindowFixture
{
  protected:
    void SetUp() override
    {
        m_hadPause = qEnvironmentVariableIsSet("OMBRIX_PAUSE_PERCENT");
        m_previousPause = qgetenv("OMBRIX_PAUSE_PERCENT");
        qputenv("OMBRIX_PAUSE_PERCENT", "0");
        BackupWindowFixture::SetUp();
    }

    void TearDown() override
    {
        BackupWindowFixture::TearDown();
        if (m_hadPause)
            qputenv("OMBRIX_PAUSE_PERCENT", m_previousPause);
        else
            qunsetenv("OMBRIX_PAUSE_PERCENT");
    }

    // Starts the program with the restart seam in place: each restart is counted, together with
    // the last set config.ini names at that moment (what the new program would start from).
    void startCountingRestarts()
    {
        restarts = 0;
        startProgram();
        program().attach().setRestarter([this] {
            ++restarts;
            lastSetAtRestart = configValue(u"SYSTEM", u"LAST_ARCHIV_NAME");
            return true;
        });
    }

    // Goes to the backup page from another page, as a person does, so the list is filled anew.
    void enterBackupPage()
    {
        ui::MainWindow* window = program().shell().window();
        window->showPage(ui::MainWindow::IntroIndex);
        window->showPage(ui::MainWindow::BackupIndex);
        ASSERT_EQ(window->pages()->currentIndex(), int(ui::MainWindow::BackupIndex));
    }

    ui::BackupPage* page() { return program().shell().window()->backupPage(); }
    QComboBox* attachList() { return page()->attachList(); }
    QPushButton* attachButton() { return page()->attachButton(); }

    QStringList listed()
    {
        QStringList entries;
        for (int i = 0; i < attachList()->count(); ++i)
            entries << attachList()->itemText(i);
        return entries;
    }

    int restarts = 0;
    QString lastSetAtRestart;

  private:
    bool m_hadPause = false;
    QByteArray m_previousPause;
};

} // namespace

// Two sets made with START; later the sets lie in another folder and another source list is in
// force. Attaching to the older set in the window brings its configuration and source list back
// with today's destination folder, and restarts the program once.
TEST_F(AttachWindow, AttachingToTheOlderSetRestoresItsFilesKeepsTodaysFolderAndRestarts)
{
    writeSource(QStringLiteral("a.txt"), "first\n");
    const QByteArray sourcesThen = home->read(SourcesFile::fileName);
    startCountingRestarts();
    clickStart();
    writeSource(QStringLiteral("a.txt"), "second, longer\n");
    clickStart();
    const QStringList made = sets();
    ASSERT_EQ(made.size(), 2) << "two STARTs did not make two sets: " << status().toStdString();
    const QString chosen = made.first();
    ASSERT_EQ(configValue(u"SYSTEM", u"LAST_ARCHIV_NAME"), made.last());

    // Today: the sets were moved to another folder, which config.ini names, another FTP host is
    // entered, and the source list has a second entry. The program is started on that.
    QTemporaryDir moved;
    ASSERT_TRUE(moved.isValid());
    const QString today = moved.filePath(QStringLiteral("today"));
    ASSERT_TRUE(QDir().rename(destination.path(), today))
        << "the sets cannot be moved to " << today.toStdString();
    IniStore config(home->file(QStringLiteral("config.ini")));
    ASSERT_TRUE(config.writeString(ConfigKeys::BACKUP_DIR, today));
    ASSERT_TRUE(config.writeString(ConfigKeys::BACKUP_FTP_HOST, QStringLiteral("today.example:2121")));
    ASSERT_TRUE(SourcesFile::write(home->file(SourcesFile::fileName),
                                   {sources.path(), QStringLiteral("/nowhere/today")}));
    ASSERT_NE(home->read(SourcesFile::fileName), sourcesThen);
    startCountingRestarts();
    home->write(QStringLiteral("log.txt"), "the last run's log\n");

    enterBackupPage();
    auto* label = program().shell().window()->findChild<QLabel*>(QStringLiteral("Label9"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8("Navázat přírůstkový průběh záloh. na archiv:"));
    EXPECT_EQ(listed(), withoutPrefix(made)) << "ComboBox1 does not list the sets of " << today.toStdString();
    EXPECT_EQ(attachList()->currentIndex(), -1);
    EXPECT_FALSE(attachButton()->isEnabled()) << "Button11 is enabled before a set is chosen";

    attachList()->setCurrentIndex(0);
    ASSERT_EQ(attachList()->currentText(), chosen.mid(4));
    ASSERT_TRUE(attachButton()->isEnabled()) << "choosing a set did not enable Button11";
    EXPECT_TRUE(program().shell().window()->grab().save(screenshotPath(QStringLiteral("attach_chosen.png"))));
    QTest::mouseClick(attachButton(), Qt::LeftButton);

    EXPECT_EQ(status(), shown("Navázáno na vybraný archiv.. restart"));
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(lastSetAtRestart, chosen) << "the restart came before the chosen set's config.ini was in place";
    EXPECT_FALSE(program().shell().window()->isVisible()) << "the window stayed open after the restart";
    EXPECT_EQ(configValue(u"SYSTEM", u"LAST_ARCHIV_NAME"), chosen);
    EXPECT_EQ(configValue(u"SYSTEM", u"LAST_BACKUP_DONE"), QStringLiteral("1"));
    EXPECT_EQ(configValue(u"SYSTEM", u"BACKUP_DIR"), today);
    EXPECT_EQ(configValue(u"SYSTEM", u"BACKUP_FTP_HOST"), QStringLiteral("today.example:2121"));
    EXPECT_EQ(home->read(SourcesFile::fileName), sourcesThen);
    EXPECT_FALSE(QFileInfo::exists(home->file(QStringLiteral("log.txt"))));
    EXPECT_EQ(sets(today), made) << "the sets themselves changed";

    // The program started afresh (what restart.sh does) continues the chain from the chosen set.
    startCountingRestarts();
    EXPECT_EQ(status(), shown("Start přírůstkového zálohování je připraven"));
    EXPECT_EQ(restarts, 0);
}

// A set without config.ini.7z (its run never got to the end): the attach fails with the missing
// file named, nothing in the program folder changes, the program is not restarted and the window
// stays.
TEST_F(AttachWindow, ASetWithoutItsConfigurationArchiveIsRefusedAndNothingRestarts)
{
    writeSource(QStringLiteral("a.txt"), "only\n");
    startCountingRestarts();
    clickStart();
    ASSERT_EQ(sets().size(), 1) << "START did not make a set: " << status().toStdString();
    const QString set = sets().first();
    const QString configArchive = SetLayout::sideArchivePath(destination.path(), set, SetLayout::configFile);
    ASSERT_TRUE(QFile::remove(configArchive)) << "cannot remove " << configArchive.toStdString();

    enterBackupPage();
    EXPECT_EQ(listed(), QStringList{set.mid(4)});
    attachList()->setCurrentIndex(0);
    ASSERT_TRUE(attachButton()->isEnabled()) << "choosing a set did not enable Button11";
    // Whatever the program folder holds once the set is chosen is to stay as it is.
    const QByteArray configBefore = home->read(QStringLiteral("config.ini"));
    const QByteArray sourcesBefore = home->read(SourcesFile::fileName);
    QTest::mouseClick(attachButton(), Qt::LeftButton);

    EXPECT_EQ(status(), shown("Navázání na archiv selhalo. Chybí config.ini.7z"));
    EXPECT_EQ(restarts, 0) << "the program was restarted after a failed attach";
    EXPECT_TRUE(program().shell().window()->isVisible());
    EXPECT_EQ(home->read(QStringLiteral("config.ini")), configBefore);
    EXPECT_EQ(home->read(SourcesFile::fileName), sourcesBefore);
    // The set is still chosen, so another try is one click away.
    EXPECT_TRUE(attachButton()->isEnabled());
}
