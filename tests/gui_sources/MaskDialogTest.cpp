#include "ui/dialogs/MaskDialog.h"

#include "support/Screenshots.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace ombrix::ui;

TEST(MaskDialog, ListsFollowTheEntryAndItsControlsEditThem)
{
    MaskDialog dialog;
    dialog.load(QStringLiteral("/data///+*.doc///+*.xls///-~*///D-Temp///X*.zip///R-"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog)) << "the window was not shown within 5 s";
    EXPECT_EQ(dialog.list(MaskDialog::Include)->count(), 2);
    EXPECT_EQ(dialog.list(MaskDialog::Exclude)->item(0)->text(), QStringLiteral("~*"));
    EXPECT_EQ(dialog.list(MaskDialog::ExcludedDirs)->item(0)->text(), QStringLiteral("Temp"));
    EXPECT_EQ(dialog.list(MaskDialog::NoCompress)->item(0)->text(), QStringLiteral("*.zip"));
    EXPECT_FALSE(dialog.subdirsBox()->isChecked());

    // A click copies the item into the field below its list.
    QListWidget* include = dialog.list(MaskDialog::Include);
    QTest::mouseClick(include->viewport(), Qt::LeftButton, {},
                      include->visualItemRect(include->item(1)).center());
    EXPECT_EQ(dialog.edit(MaskDialog::Include)->text(), QStringLiteral("*.xls"));

    // Delete removes the selected item and selects the one now at its place.
    dialog.list(MaskDialog::Include)->insertItem(1, QStringLiteral("*.odt"));
    include->setCurrentRow(0);
    QTest::keyClick(include, Qt::Key_Delete);
    ASSERT_EQ(include->count(), 2);
    EXPECT_EQ(include->currentItem()->text(), QStringLiteral("*.odt"));
    include->setCurrentRow(1);
    QTest::keyClick(include, Qt::Key_Delete);
    EXPECT_EQ(include->count(), 1);
    EXPECT_TRUE(include->selectedItems().isEmpty());

    // Return in a field adds its mask just as "Přidat" does.
    QLineEdit* folders = dialog.edit(MaskDialog::ExcludedDirs);
    folders->clear();
    QTest::keyClicks(folders, QStringLiteral("cache"));
    QTest::keyClick(folders, Qt::Key_Return);
    EXPECT_EQ(dialog.composedLine(), QStringLiteral("/data///+*.odt///-~*///D-Temp///D-cache///X*.zip///R-"));
    EXPECT_TRUE(dialog.isVisible());
}

TEST(MaskDialog, AnEntryWithoutOptionsOpensWithEmptyListsAndSubfoldersIncluded)
{
    MaskDialog dialog;
    dialog.load(QStringLiteral("/data///x*.jpg///"));
    for (int kind = 0; kind < MaskDialog::ListCount; ++kind) {
        EXPECT_EQ(dialog.list(MaskDialog::ListKind(kind))->count(), 0) << kind;
        EXPECT_EQ(dialog.edit(MaskDialog::ListKind(kind))->text(), QStringLiteral("*.")) << kind;
    }
    EXPECT_TRUE(dialog.subdirsBox()->isChecked());
    // Options the parser ignores are not written back.
    EXPECT_EQ(dialog.composedLine(), QStringLiteral("/data"));
}

TEST(MaskDialog, Screenshot)
{
    MaskDialog dialog;
    dialog.load(QStringLiteral("/home/user/Documents///+*.doc///+*.xls///-~*///D-Temp///X*.zip"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog)) << "the window was not shown within 5 s";
    dialog.edit(MaskDialog::Include)->setText(QStringLiteral("[a-"));
    dialog.addMask(MaskDialog::Include);
    QCoreApplication::processEvents();
    // Every caption gets the room it asks for.
    for (QWidget* caption : dialog.findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(caption) || qobject_cast<QAbstractButton*>(caption)) {
            if (!caption->isVisible() ||
                (qobject_cast<QLabel*>(caption) && qobject_cast<QLabel*>(caption)->wordWrap()))
                continue;
            EXPECT_GE(caption->width(), caption->minimumSizeHint().width())
                << caption->objectName().toStdString();
        }
    }
    EXPECT_TRUE(dialog.grab().save(ombrix::test::screenshotPath(QStringLiteral("sources-mask-dialog.png"))));
}
