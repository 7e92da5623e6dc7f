#include "core/config/ConfigKeys.h"
#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "DesktopTestSupport.h"
#include "support/RecordingHost.h"
#include "support/TempProgramFolder.h"
#include "ui/dialogs/FileDialogs.h"
#include "ui/mainwindow/DestinationPage.h"
#include "ui/mainwindow/MainWindow.h"

#include <gtest/gtest.h>
#include <memory>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace ombrix;
using namespace ombrix::ui;

namespace {

// The destination page in a shown window on a fresh config.ini, the stored folder loaded.
class DestinationPending : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(target.isValid());
        home.write(QStringLiteral("config.ini"), defaultConfigBytes());
        store = std::make_unique<IniStore>(home.file(QStringLiteral("config.ini")));
        store->writeString(ConfigKeys::BACKUP_DIR, QStringLiteral("/media/zaloha"));
        window.resize(1024, 768);
        window.show();
        window.showPage(MainWindow::DestinationIndex);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        page = window.destinationPage();
        page->setConfigStore(store.get());
        page->setHost(&host);
        page->loadSettings(*store);
        QObject::connect(page, &DestinationPage::readinessRequested, [this] { ++readiness; });
        edit = window.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        apply = window.findChild<QPushButton*>(QStringLiteral("Button16"));
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(apply, nullptr);
        FileDialogs::instance().resetForTest();
        FileDialogs::instance().setQueuedOnly(true);
    }
    void TearDown() override { FileDialogs::instance().resetForTest(); }

    QString storedFolder() const { return store->readString(ConfigKeys::BACKUP_DIR, QString()); }
    bool marked() const { return page->folderPending() && apply->font().bold() && apply->isDefault(); }
    bool unmarked() const { return !page->folderPending() && !apply->font().bold() && !apply->isDefault(); }
    // Types into Edit1 as a person does: the old text selected away, the new one typed.
    void type(const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    test::TempProgramFolder home;
    QTemporaryDir target;
    std::unique_ptr<IniStore> store;
    MainWindow window;
    DestinationPage* page = nullptr;
    test::RecordingHost host;
    QLineEdit* edit = nullptr;
    QPushButton* apply = nullptr;
    int readiness = 0;
};

} // namespace

// A folder typed but not applied is not stored; the page says so until it is applied, and
// typing the stored folder back takes the mark away again.
TEST_F(DestinationPending, ATypedFolderIsMarkedUntilItIsApplied)
{
    EXPECT_TRUE(unmarked());
    type(target.path());
    EXPECT_TRUE(marked());
    EXPECT_EQ(storedFolder(), QStringLiteral("/media/zaloha")) << "typing alone stores nothing";
    // The bold caption still fits its button.
    EXPECT_TRUE(test::clippedWidgets(window.destinationPage()).isEmpty())
        << qPrintable(test::clippedWidgets(window.destinationPage()).join(u'\n'));

    type(QStringLiteral("/media/zaloha"));
    EXPECT_TRUE(unmarked());

    type(target.path());
    QTest::mouseClick(apply, Qt::LeftButton);
    EXPECT_TRUE(unmarked());
    EXPECT_EQ(storedFolder(), target.path());
    EXPECT_EQ(readiness, 1);
    ASSERT_FALSE(host.questions().empty());
    EXPECT_EQ(host.questions().back().text, QStringLiteral("OK"));
}

TEST_F(DestinationPending, EnterInTheFieldAppliesTheFolder)
{
    type(target.path());
    ASSERT_TRUE(marked());
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(unmarked());
    EXPECT_EQ(storedFolder(), target.path());
    EXPECT_EQ(readiness, 1);
    ASSERT_EQ(host.questions().size(), 1u);
    EXPECT_EQ(host.questions().back().text, QStringLiteral("OK"));

    // A folder that does not exist is applied (stored) and reported the same way as by the button.
    type(target.filePath(QStringLiteral("missing")));
    QTest::keyClick(edit, Qt::Key_Enter);
    EXPECT_TRUE(unmarked());
    EXPECT_EQ(storedFolder(), target.filePath(QStringLiteral("missing")));
    EXPECT_EQ(readiness, 2);
    EXPECT_EQ(host.questions().back().text, QString::fromUtf8("Cílová složka NEEXISTUJE"));
}

TEST_F(DestinationPending, BrowsingAndLoadingClearTheMark)
{
    type(QStringLiteral("/somewhere/else"));
    ASSERT_TRUE(marked());
    FileDialogs::instance().queueAnswer(target.path());
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Button3")), Qt::LeftButton);
    EXPECT_TRUE(unmarked());
    EXPECT_EQ(storedFolder(), target.path());

    type(QStringLiteral("/somewhere/else"));
    ASSERT_TRUE(marked());
    // The readiness pass loads the stored folder back: nothing is pending any more.
    page->loadSettings(*store);
    EXPECT_EQ(edit->text(), target.path());
    EXPECT_TRUE(unmarked());
}
