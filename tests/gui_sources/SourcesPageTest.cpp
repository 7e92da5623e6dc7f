#include "ui/mainwindow/SourcesPage.h"

#include "core/sources/SourcesFile.h"
#include "support/Screenshots.h"
#include "support/TempProgramFolder.h"
#include "ui/dialogs/FileDialogs.h"
#include "ui/dialogs/MaskDialog.h"
#include "ui/mainwindow/MainWindow.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace ombrix;
using namespace ombrix::ui;

namespace {

const QByteArray bom("\xEF\xBB\xBF");

template <typename T> T* child(QWidget* root, const char* name)
{
    T* found = root->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// The bytes sources.txt must hold for these lines.
QByteArray fileBytes(const QStringList& lines)
{
    QByteArray bytes = bom;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

// A shown sources page on a fresh program folder, with pickers that answer only from the queue.
class SourcesPageTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        FileDialogs::instance().resetForTest();
        FileDialogs::instance().setQueuedOnly(true);
        ASSERT_TRUE(QDir().mkpath(m_home.file(QStringLiteral("data/docs"))));
        ASSERT_TRUE(QDir().mkpath(m_home.file(QStringLiteral("data/photos"))));
        m_home.write(QStringLiteral("data/notes.txt"), "notes");
    }
    void TearDown() override
    {
        FileDialogs::instance().resetForTest();
        FileDialogs::instance().setQueuedOnly(false);
    }

    // Writes sources.txt, loads it into a shown page.
    void open(const QByteArray& sources)
    {
        m_home.write(SourcesFile::fileName, sources);
        m_page = std::make_unique<SourcesPage>();
        m_page->resize(800, 500);
        m_page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_page.get())) << "the window was not shown within 5 s";
        ASSERT_TRUE(m_page->reloadFromFile());
        m_list = child<QListWidget>(m_page.get(), "ListBox1");
    }
    QString dir(const char* name) const { return m_home.file(QLatin1String(name)); }
    QByteArray sources() const { return m_home.read(SourcesFile::fileName); }
    void clickButton(const char* name)
    {
        auto* button = child<QPushButton>(m_page.get(), name);
        ASSERT_TRUE(button->isEnabled()) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void clickRow(int row)
    {
        QListWidgetItem* item = m_list->item(row);
        ASSERT_NE(item, nullptr);
        m_list->scrollToItem(item);
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, m_list->visualItemRect(item).center());
        ASSERT_EQ(m_list->currentRow(), row);
    }
    QStringList shownEntries() const { return m_page->entries(); }

    test::TempProgramFolder m_home;
    std::unique_ptr<SourcesPage> m_page;
    QListWidget* m_list = nullptr;
};

} // namespace

TEST_F(SourcesPageTest, ShowsTheLinesOfTheFileAndTheDisabledJobControls)
{
    // A file without a byte-order mark is read in the locale's encoding; blank lines stay items.
    open("C:\\Data///+*.doc\r\n\r\n" + dir("data").toUtf8() + "\r\n");
    EXPECT_EQ(shownEntries(), (QStringList{QStringLiteral("C:\\Data///+*.doc"), QString(), dir("data")}));

    auto* jobs = child<QComboBox>(m_page.get(), "ComboBox2");
    ASSERT_NE(jobs, nullptr);
    EXPECT_FALSE(jobs->isEnabled());
    EXPECT_EQ(jobs->count(), 1);
    EXPECT_EQ(jobs->itemText(0), QStringLiteral("Standard job"));
    for (const char* name : {"Button2", "Button19"})
        EXPECT_FALSE(child<QPushButton>(m_page.get(), name)->isEnabled()) << name;
    EXPECT_FALSE(child<QPushButton>(m_page.get(), "Button17")->isEnabled());
    EXPECT_EQ(child<QLabel>(m_page.get(), "Label2")->text(),
              QString::fromUtf8("Vyberte adresáře nebo soubory, které chcete zálohovat: "));
    EXPECT_EQ(child<QLabel>(m_page.get(), "Label32")->text(), QStringLiteral("smazat = kl. DEL"));
}

TEST_F(SourcesPageTest, AddingAFolderAndAFileRewritesTheWholeFile)
{
    open(bom + QByteArray("C:\\Old///-*.tmp\r\n"));
    FileDialogs& dialogs = FileDialogs::instance();
    dialogs.setLastBrowseFolder(dir("data"));
    dialogs.queueAnswer(dir("data/docs"));
    clickButton("Button1");
    dialogs.queueAnswer(dir("data/notes.txt"));
    clickButton("Button13");

    const QStringList expected = {QStringLiteral("C:\\Old///-*.tmp"), dir("data/docs"),
                                  dir("data/notes.txt")};
    EXPECT_EQ(shownEntries(), expected);
    EXPECT_EQ(sources(), fileBytes(expected));
    // The folder picker opened at lastBrowseFolder; the file picker where the folder picker ended.
    EXPECT_EQ(dialogs.startFolders(), (QStringList{dir("data"), dir("data/docs")}));
    EXPECT_EQ(dialogs.lastBrowseFolder(), dir("data"));
}

TEST_F(SourcesPageTest, FolderPickerAnswers)
{
    struct Case
    {
        const char* what;
        QString answer;
        QStringList added;
    };
    const Case cases[] = {
        {"cancelled: nothing added, the list still saved", QString(), {}},
        {"a trailing separator is dropped", dir("data/photos") + u'/', {dir("data/photos")}},
        {"the root folder stays itself", QStringLiteral("/"), {QStringLiteral("/")}},
        {"something that is no folder adds nothing", dir("data/notes.txt"), {}},
        {"a folder that does not exist adds nothing", dir("data/missing"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Written without a byte-order mark: every save rewrites the file in the program's form.
        open("first\r\n");
        FileDialogs::instance().queueAnswer(c.answer);
        clickButton("Button1");
        const QStringList expected = QStringList{QStringLiteral("first")} + c.added;
        EXPECT_EQ(shownEntries(), expected);
        EXPECT_EQ(sources(), fileBytes(expected));
    }
}

TEST_F(SourcesPageTest, TheSameFolderTwiceGivesTwoEntries)
{
    open(bom);
    FileDialogs& dialogs = FileDialogs::instance();
    dialogs.queueAnswer(dir("data/docs"));
    dialogs.queueAnswer(dir("data/docs"));
    clickButton("Button1");
    clickButton("Button1");
    EXPECT_EQ(sources(), fileBytes({dir("data/docs"), dir("data/docs")}));
    // The second picker opened where the first ended.
    EXPECT_EQ(dialogs.startFolders().value(1), dir("data/docs"));
}

TEST_F(SourcesPageTest, ACancelledFilePickerChangesNothing)
{
    const QByteArray original = "kept without a mark\r\n";
    open(original);
    FileDialogs::instance().setLastBrowseFolder(dir("data"));
    FileDialogs::instance().queueAnswer(QString());
    clickButton("Button13");
    EXPECT_EQ(sources(), original);
    EXPECT_EQ(FileDialogs::instance().lastBrowseFolder(), dir("data"));
}

TEST_F(SourcesPageTest, DeleteRemovesTheSelectedEntryAndSelectsTheNextOne)
{
    open(fileBytes({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    clickRow(1);
    QTest::keyClick(m_list, Qt::Key_Delete);
    EXPECT_EQ(sources(), fileBytes({QStringLiteral("a"), QStringLiteral("c")}));
    ASSERT_EQ(m_list->currentRow(), 1);
    EXPECT_TRUE(m_list->currentItem()->isSelected());

    // The last item: nothing is left at its position, so nothing stays selected.
    QTest::keyClick(m_list, Qt::Key_Delete);
    EXPECT_EQ(sources(), fileBytes({QStringLiteral("a")}));
    EXPECT_TRUE(m_list->selectedItems().isEmpty());

    // Delete without a selection does nothing.
    QTest::keyClick(m_list, Qt::Key_Delete);
    EXPECT_EQ(shownEntries(), QStringList{QStringLiteral("a")});

    clickRow(0);
    QTest::keyClick(m_list, Qt::Key_Delete);
    EXPECT_EQ(sources(), bom);
    EXPECT_EQ(m_list->count(), 0);
}

TEST_F(SourcesPageTest, SelectionDecidesRefineAndWherePickersOpen)
{
    open(
        fileBytes({dir("data/notes.txt"), dir("data/docs") + QStringLiteral("///+*.doc"), dir("data/gone")}));
    auto* refine = child<QPushButton>(m_page.get(), "Button17");
    FileDialogs& dialogs = FileDialogs::instance();

    clickRow(0);
    EXPECT_FALSE(refine->isEnabled());
    EXPECT_EQ(dialogs.lastBrowseFolder(), dir("data") + u'/');
    dialogs.queueAnswer(QString());
    clickButton("Button13");
    EXPECT_EQ(dialogs.startFolders().constLast(), dir("data") + u'/');

    clickRow(1);
    EXPECT_TRUE(refine->isEnabled());
    EXPECT_EQ(dialogs.lastBrowseFolder(), dir("data/docs"));

    // A path that no longer exists can be selected (and deleted) but not refined; the pickers
    // keep their folder.
    clickRow(2);
    EXPECT_FALSE(refine->isEnabled());
    EXPECT_EQ(dialogs.lastBrowseFolder(), dir("data/docs"));
    QTest::keyClick(m_list, Qt::Key_Delete);
    EXPECT_EQ(m_page->entries().size(), 2);
}

TEST_F(SourcesPageTest, AFolderPickerAtAVanishedFolderOpensWithoutOne)
{
    open(bom);
    FileDialogs::instance().setLastBrowseFolder(dir("data/vanished"));
    FileDialogs::instance().queueAnswer(QString());
    clickButton("Button1");
    EXPECT_EQ(FileDialogs::instance().startFolders(), QStringList{QString()});
    EXPECT_EQ(FileDialogs::instance().lastBrowseFolder(), QString());
}

TEST_F(SourcesPageTest, AFailedSaveKeepsListAndFileAlike)
{
    open(fileBytes({QStringLiteral("a")}));
    // A folder in place of the file: the file cannot be replaced.
    ASSERT_TRUE(QFile::remove(m_home.file(SourcesFile::fileName)));
    ASSERT_TRUE(QDir().mkpath(m_home.file(SourcesFile::fileName + QStringLiteral("/blocker"))));
    FileDialogs::instance().queueAnswer(dir("data/docs"));
    clickButton("Button1");
    EXPECT_EQ(shownEntries(), QStringList{QStringLiteral("a")});
    auto* error = child<QLabel>(m_page.get(), "SourcesError");
    EXPECT_TRUE(error->isVisible());
    EXPECT_FALSE(error->text().isEmpty());

    clickRow(0);
    QTest::keyClick(m_list, Qt::Key_Delete);
    EXPECT_EQ(shownEntries(), QStringList{QStringLiteral("a")});
}

TEST_F(SourcesPageTest, AnUnreadableFileShowsWhyAndAnEmptyList)
{
    m_page = std::make_unique<SourcesPage>();
    // No sources.txt at all in the program folder.
    EXPECT_FALSE(m_page->reloadFromFile());
    EXPECT_EQ(m_page->entries(), QStringList());
    EXPECT_FALSE(m_page->errorLabel()->text().isEmpty());
}

TEST_F(SourcesPageTest, ThePageFitsTheSmallestWindowAndScalesUp)
{
    m_home.write(SourcesFile::fileName,
                 fileBytes({dir("data/docs"), dir("data/photos") + QStringLiteral("///+*.jpg///X*.jpg"),
                            dir("data/notes.txt")}));
    for (const QSize size : {QSize(1024, 768), QSize(1600, 1000)}) {
        SCOPED_TRACE(size.width());
        MainWindow window;
        window.resize(size);
        window.showPage(MainWindow::SourcesIndex);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window)) << "the window was not shown within 5 s";
        SourcesPage* page = window.sourcesPage();
        ASSERT_TRUE(page->reloadFromFile());
        QCoreApplication::processEvents();
        EXPECT_EQ(window.size(), size);
        EXPECT_LE(page->minimumSizeHint().width(), page->width());
        EXPECT_LE(page->minimumSizeHint().height(), page->height());

        // Every caption gets at least the room it asks for.
        const QList<QWidget*> captions = {page->findChild<QWidget*>(QStringLiteral("Label2")),
                                          page->findChild<QWidget*>(QStringLiteral("Label17")),
                                          page->findChild<QWidget*>(QStringLiteral("Label32")),
                                          page->findChild<QWidget*>(QStringLiteral("Button1")),
                                          page->findChild<QWidget*>(QStringLiteral("Button13")),
                                          page->findChild<QWidget*>(QStringLiteral("Button17")),
                                          page->findChild<QWidget*>(QStringLiteral("Button2")),
                                          page->findChild<QWidget*>(QStringLiteral("Button19"))};
        for (QWidget* caption : captions) {
            ASSERT_NE(caption, nullptr);
            EXPECT_GE(caption->width(), caption->minimumSizeHint().width())
                << caption->objectName().toStdString();
            EXPECT_GE(caption->height(), caption->minimumSizeHint().height())
                << caption->objectName().toStdString();
        }
        // The list takes the room the window gains.
        auto* list = page->list();
        EXPECT_GT(list->width(), page->width() / 2);
        EXPECT_GT(list->height(), page->height() / 2);
        if (size.width() == 1024) {
            page->list()->setCurrentRow(1);
            EXPECT_TRUE(window.grab().save(test::screenshotPath(QStringLiteral("sources-page.png"))));
        }
    }
}

namespace {

// Opens the mask dialog for a row through "Upřesnit".
MaskDialog* refine(SourcesPage* page)
{
    auto* button = page->findChild<QPushButton*>(QStringLiteral("Button17"));
    EXPECT_TRUE(button && button->isEnabled());
    if (!button || !button->isEnabled())
        return nullptr;
    QTest::mouseClick(button, Qt::LeftButton);
    auto* dialog = page->findChild<MaskDialog*>(QStringLiteral("maskForm"));
    EXPECT_TRUE(dialog && dialog->isVisible());
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

void addMask(MaskDialog* dialog, const char* prefix, const QString& mask)
{
    auto* edit = dialog->findChild<QLineEdit*>(QLatin1String(prefix) + QStringLiteral("Edit"));
    auto* add = dialog->findChild<QPushButton*>(QLatin1String(prefix) + QStringLiteral("Add"));
    ASSERT_TRUE(edit && add) << prefix;
    edit->clear();
    QTest::keyClicks(edit, mask);
    QTest::mouseClick(add, Qt::LeftButton);
}

void clickApply(MaskDialog* dialog)
{
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("ApplyButton")), Qt::LeftButton);
}

} // namespace

TEST_F(SourcesPageTest, ApplyingTheMaskDialogUnchangedWritesTheOptionsInTheirOrder)
{
    const QString other = QStringLiteral("C:\\Other");
    open(fileBytes({other, dir("data/docs") + QStringLiteral("///-*.tmp///R-///X*.zip///+*.doc///D-Temp")}));
    clickRow(1);
    MaskDialog* dialog = refine(m_page.get());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Additional settings"));
    EXPECT_FALSE(dialog->findChild<QCheckBox*>(QStringLiteral("SubdirsBox"))->isChecked());
    clickApply(dialog);
    EXPECT_FALSE(dialog->isVisible());
    const QStringList expected = {other, dir("data/docs") +
                                             QStringLiteral("///+*.doc///-*.tmp///D-Temp///X*.zip///R-")};
    EXPECT_EQ(shownEntries(), expected);
    EXPECT_EQ(sources(), fileBytes(expected));
}

TEST_F(SourcesPageTest, MasksAddedInTheDialogAreStoredAfterTheStoredPath)
{
    // The path part is kept as written: its variable stays unexpanded.
    qputenv("OMBRIX_SOURCES_TEST_DATA", dir("data").toUtf8());
    const QString stored = QStringLiteral("%OMBRIX_SOURCES_TEST_DATA%/photos");
    open(fileBytes({stored + QStringLiteral("///+*.jpg")}));
    clickRow(0);
    MaskDialog* dialog = refine(m_page.get());
    ASSERT_NE(dialog, nullptr);
    addMask(dialog, "Include", QStringLiteral("  *.png "));
    addMask(dialog, "Exclude", QStringLiteral("~*"));
    addMask(dialog, "Exclude", QStringLiteral("~*"));
    addMask(dialog, "ExcludedDirs", QStringLiteral("Temp"));
    addMask(dialog, "NoCompress", QStringLiteral("*.[jJ]pg"));
    addMask(dialog, "NoCompress", QStringLiteral("   ")); // blank: nothing added
    QTest::mouseClick(dialog->findChild<QCheckBox*>(QStringLiteral("SubdirsBox")), Qt::LeftButton);
    clickApply(dialog);
    qunsetenv("OMBRIX_SOURCES_TEST_DATA");

    EXPECT_EQ(
        sources(),
        fileBytes({stored + QStringLiteral("///+*.jpg///+*.png///-~*///-~*///D-Temp///X*.[jJ]pg///R-")}));
}

TEST_F(SourcesPageTest, AnInvalidMaskIsShownAndNotStored)
{
    const QByteArray original = fileBytes({dir("data/docs") + QStringLiteral("///+*.doc")});
    open(original);
    clickRow(0);
    MaskDialog* dialog = refine(m_page.get());
    ASSERT_NE(dialog, nullptr);
    auto* error = dialog->findChild<QLabel*>(QStringLiteral("MaskError"));
    auto* include = dialog->findChild<QListWidget*>(QStringLiteral("IncludeList"));
    ASSERT_TRUE(error && include);

    for (const QString& bad : {QStringLiteral("[a-"), QStringLiteral("*.[]"), QStringLiteral("a///b")}) {
        SCOPED_TRACE(bad.toStdString());
        addMask(dialog, "Include", bad);
        EXPECT_TRUE(error->isVisible());
        EXPECT_TRUE(error->text().contains(bad)) << error->text().toStdString();
        EXPECT_EQ(include->count(), 1);
    }
    EXPECT_EQ(error->text(), MaskDialog::maskError(QStringLiteral("a///b")));
    EXPECT_TRUE(MaskDialog::maskError(QStringLiteral("[a-"))
                    .startsWith(QStringLiteral("'[a-' is an invalid mask at (")));

    clickApply(dialog);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(sources(), original);
}

TEST_F(SourcesPageTest, AnInvalidMaskFromTheFileBlocksApplyUntilRemoved)
{
    const QByteArray original = fileBytes({dir("data/docs") + QStringLiteral("///-[z///+*.doc")});
    open(original);
    clickRow(0);
    MaskDialog* dialog = refine(m_page.get());
    ASSERT_NE(dialog, nullptr);
    clickApply(dialog);
    EXPECT_TRUE(dialog->isVisible());
    auto* error = dialog->findChild<QLabel*>(QStringLiteral("MaskError"));
    EXPECT_TRUE(error->isVisible());
    EXPECT_TRUE(error->text().startsWith(QStringLiteral("'[z' is an invalid mask at")))
        << error->text().toStdString();
    EXPECT_EQ(sources(), original);

    // Removing the bad mask with Delete lets the entry be stored.
    auto* exclude = dialog->findChild<QListWidget*>(QStringLiteral("ExcludeList"));
    exclude->setCurrentRow(0);
    QTest::keyClick(exclude, Qt::Key_Delete);
    EXPECT_EQ(exclude->count(), 0);
    clickApply(dialog);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(sources(), fileBytes({dir("data/docs") + QStringLiteral("///+*.doc")}));
}

TEST_F(SourcesPageTest, ClosingTheMaskDialogChangesNothing)
{
    const QByteArray original = fileBytes({dir("data/docs") + QStringLiteral("///-*.tmp///+*.doc")});
    open(original);
    clickRow(0);
    MaskDialog* dialog = refine(m_page.get());
    ASSERT_NE(dialog, nullptr);
    addMask(dialog, "Include", QStringLiteral("*.odt"));
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(sources(), original);
    EXPECT_EQ(shownEntries().value(0), dir("data/docs") + QStringLiteral("///-*.tmp///+*.doc"));

    // The next opening starts from the entry again, not from what was left in the dialog.
    dialog = refine(m_page.get());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->list(MaskDialog::Include)->count(), 1);
    EXPECT_EQ(dialog->edit(MaskDialog::Include)->text(), QStringLiteral("*."));
    dialog->reject();
}

TEST_F(SourcesPageTest, RefineIsRefusedForAnEntryThatStoppedBeingAFolder)
{
    open(fileBytes({dir("data/photos")}));
    clickRow(0);
    ASSERT_TRUE(QDir(dir("data/photos")).removeRecursively());
    QTest::mouseClick(child<QPushButton>(m_page.get(), "Button17"), Qt::LeftButton);
    EXPECT_FALSE(m_page->maskDialog()->isVisible());
    EXPECT_FALSE(child<QPushButton>(m_page.get(), "Button17")->isEnabled());
}
