#include "core/sources/SourcesFile.h"
#include "support/TempProgramFolder.h"
#include "ui/dialogs/FileDialogs.h"
#include "ui/mainwindow/SourcesPage.h"

#include <gtest/gtest.h>
#include <memory>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <unistd.h>

using namespace ombrix;
using namespace ombrix::ui;

namespace {

// Ways a sources.txt that is there cannot be read.
enum class Unreadable
{
    TooLarge,        // grown beyond what a source list can be (the loader refuses it)
    NoReadPermission // the owner took the read permission away
};

QByteArray fileBytes(const QStringList& lines)
{
    QByteArray bytes("\xEF\xBB\xBF");
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

// A shown sources page on a program folder whose sources.txt holds two entries and then becomes
// unreadable; the pickers answer only from the queue.
class UnreadableSources : public ::testing::TestWithParam<Unreadable>
{
  protected:
    void SetUp() override
    {
        if (GetParam() == Unreadable::NoReadPermission && ::geteuid() == 0)
            GTEST_SKIP() << "the superuser reads files whatever their permissions";
        FileDialogs::instance().resetForTest();
        FileDialogs::instance().setQueuedOnly(true);
        ASSERT_TRUE(QDir().mkpath(m_home.file(QStringLiteral("data/docs"))));
        m_entries = {m_home.file(QStringLiteral("data")), QStringLiteral("C:\\Old///-*.tmp")};
        m_original = fileBytes(m_entries);
        m_home.write(SourcesFile::fileName, m_original);
    }
    void TearDown() override
    {
        makeReadable();
        FileDialogs::instance().resetForTest();
        FileDialogs::instance().setQueuedOnly(false);
    }

    QString sourcesPath() const { return m_home.file(SourcesFile::fileName); }
    void makeUnreadable()
    {
        switch (GetParam()) {
        case Unreadable::TooLarge:
            // Sparse: the file system stores only the real bytes.
            ASSERT_TRUE(QFile::resize(sourcesPath(), SourcesFile::maxBytes + 1));
            break;
        case Unreadable::NoReadPermission:
            ASSERT_TRUE(QFile::setPermissions(sourcesPath(), QFileDevice::WriteOwner));
            break;
        }
    }
    void makeReadable()
    {
        if (!QFile::exists(sourcesPath()))
            return;
        switch (GetParam()) {
        case Unreadable::TooLarge:
            if (QFile(sourcesPath()).size() > SourcesFile::maxBytes)
                QFile::resize(sourcesPath(), m_original.size());
            break;
        case Unreadable::NoReadPermission:
            QFile::setPermissions(sourcesPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            break;
        }
    }
    template <typename T> T* child(const char* name) const
    {
        T* found = m_page->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    test::TempProgramFolder m_home;
    QStringList m_entries;
    QByteArray m_original;
    std::unique_ptr<SourcesPage> m_page;
};

} // namespace

TEST_P(UnreadableSources, NothingIsWrittenUntilTheFileCanBeReadAgain)
{
    makeUnreadable();
    m_page = std::make_unique<SourcesPage>();
    m_page->resize(800, 500);
    m_page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_page.get())) << "the window was not shown within 5 s";
    EXPECT_FALSE(m_page->reloadFromFile());

    // The page says why the list is empty and that nothing is saved meanwhile; the controls that
    // would save are disabled.
    EXPECT_TRUE(m_page->entries().isEmpty());
    QLabel* error = m_page->errorLabel();
    EXPECT_TRUE(error->isVisible());
    EXPECT_TRUE(error->text().contains(QString::fromUtf8("Dokud seznam nelze načíst, změny se neukládají.")))
        << error->text().toStdString();
    EXPECT_FALSE(child<QPushButton>("Button1")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("Button13")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("Button17")->isEnabled());

    // Whatever still reaches the page changes nothing: the folder picker's action (which saves
    // the list even when the picker is cancelled), a picked file, the Delete key.
    m_page->addFolder();
    FileDialogs::instance().queueAnswer(m_home.file(QStringLiteral("data/docs")));
    m_page->addFolder();
    QTest::keyClick(m_page->list(), Qt::Key_Delete);
    EXPECT_TRUE(m_page->entries().isEmpty());

    makeReadable();
    EXPECT_EQ(m_home.read(SourcesFile::fileName), m_original);

    // Shown again, the page reads the file and is usable as before.
    FileDialogs::instance().resetForTest();
    FileDialogs::instance().setQueuedOnly(true);
    m_page->hide();
    m_page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_page.get())) << "the window was not shown within 5 s";
    EXPECT_EQ(m_page->entries(), m_entries);
    EXPECT_FALSE(error->isVisible());
    ASSERT_TRUE(child<QPushButton>("Button1")->isEnabled());
    FileDialogs::instance().queueAnswer(m_home.file(QStringLiteral("data/docs")));
    QTest::mouseClick(child<QPushButton>("Button1"), Qt::LeftButton);
    const QStringList added = m_entries + QStringList{m_home.file(QStringLiteral("data/docs"))};
    EXPECT_EQ(m_page->entries(), added);
    EXPECT_EQ(m_home.read(SourcesFile::fileName), fileBytes(added));
}

INSTANTIATE_TEST_SUITE_P(Ways, UnreadableSources,
                         ::testing::Values(Unreadable::TooLarge, Unreadable::NoReadPermission),
                         [](const ::testing::TestParamInfo<Unreadable>& info) {
                             return info.param == Unreadable::TooLarge ? "TooLarge" : "NoReadPermission";
                         });
