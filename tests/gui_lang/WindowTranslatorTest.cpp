#include "ui/lang/WindowTranslator.h"

#include "core/lang/Translator.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace ombrix;
using namespace ombrix::ui;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

// A window with one control of every kind, all captioned in Czech.
struct SmallWindow
{
    QWidget window;
    QLabel* label;
    QLabel* unknown;
    QLabel* status;
    QLabel* emptyStatus;
    QTabWidget* tabs;
    QPushButton* push;
    QToolButton* tool;
    QRadioButton* radio;
    QCheckBox* check;
    QGroupBox* group;
    QLineEdit* field;
    QLabel* emptyTarget;

    SmallWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        label = new QLabel(u8("Vyberte archiv"));
        label->setToolTip(u8("Obnova"));
        unknown = new QLabel(u8("Text mimo seznam"));
        status = new QLabel(u8("  Probíhá zálohování..."));
        status->setObjectName(QStringLiteral("StaticText1"));
        emptyStatus = new QLabel;
        emptyStatus->setObjectName(QStringLiteral("StaticText2"));
        tabs = new QTabWidget;
        tabs->addTab(new QWidget, u8("Obnova"));
        tabs->addTab(new QWidget, u8("Nastavení"));
        push = new QPushButton(u8("Přidat"));
        tool = new QToolButton;
        tool->setText(u8("Odebrat"));
        radio = new QRadioButton(u8("Obnovit do původního umístění"));
        check = new QCheckBox(u8("Zahrnout podadresáře"));
        group = new QGroupBox(u8("Cíl zálohy"));
        field = new QLineEdit(u8("Obnova"));
        emptyTarget = new QLabel(u8("Bez překladu"));
        for (QWidget* w : std::initializer_list<QWidget*>{label, unknown, status, emptyStatus, tabs, push,
                                                          tool, radio, check, group, field, emptyTarget})
            layout->addWidget(w);
    }
};

Translator czechToEnglish()
{
    Translator t;
    t.setCurrentLanguage(QStringLiteral("EN"));
    t.setLangMaster({u8("Vyberte archiv"), u8("Obnova"), u8("Nastavení"), u8("Přidat"), u8("Odebrat"),
                     u8("Obnovit do původního umístění"), u8("Zahrnout podadresáře"), u8("Cíl zálohy"),
                     u8("Probíhá zálohování..."), u8("Bez překladu")});
    t.setLangTarget({u8("Choose a backup set"), u8("Restore"), u8("Settings"), u8("Add"), u8("Remove"),
                     u8("Restore to the original place"), u8("Include subfolders"), u8("Backup destination"),
                     u8("Backing up..."), QString()});
    return t;
}

} // namespace

TEST(WindowTranslator, TranslatesEveryCaptionKindAndNothingElse)
{
    SmallWindow w;
    WindowTranslator::setLanguage(&w.window, czechToEnglish(), WindowTranslator::mainWindowKinds());

    EXPECT_EQ(w.label->text(), u8("Choose a backup set"));
    EXPECT_EQ(w.tabs->tabText(0), u8("Restore"));
    EXPECT_EQ(w.tabs->tabText(1), u8("Settings"));
    EXPECT_EQ(w.push->text(), u8("Add"));
    EXPECT_EQ(w.tool->text(), u8("Remove"));
    EXPECT_EQ(w.radio->text(), u8("Restore to the original place"));
    EXPECT_EQ(w.check->text(), u8("Include subfolders"));
    EXPECT_EQ(w.group->title(), u8("Backup destination"));
    // Status lines keep their two leading blanks.
    EXPECT_EQ(w.status->text(), u8("  Backing up..."));
    EXPECT_EQ(w.emptyStatus->text(), QString());
    // An empty target line empties the caption; a caption not in the list stays.
    EXPECT_EQ(w.emptyTarget->text(), QString());
    EXPECT_EQ(w.unknown->text(), u8("Text mimo seznam"));
    // Field contents and hints are not captions.
    EXPECT_EQ(w.field->text(), u8("Obnova"));
    EXPECT_EQ(w.label->toolTip(), u8("Obnova"));
}

TEST(WindowTranslator, OnlyTheGivenKindsAreTranslated)
{
    SmallWindow w;
    WindowTranslator::setLanguage(&w.window, czechToEnglish(), WindowTranslator::dialogKinds());
    EXPECT_EQ(w.label->text(), u8("Choose a backup set"));
    EXPECT_EQ(w.push->text(), u8("Add"));
    EXPECT_EQ(w.tabs->tabText(0), u8("Obnova"));
    EXPECT_EQ(w.radio->text(), u8("Obnovit do původního umístění"));
    EXPECT_EQ(w.check->text(), u8("Zahrnout podadresáře"));
    EXPECT_EQ(w.group->title(), u8("Cíl zálohy"));
    EXPECT_EQ(w.status->text(), u8("  Probíhá zálohování..."));
}

TEST(WindowTranslator, StatusLineLookupDropsExactlyTwoCharacters)
{
    QWidget window;
    auto* line = new QLabel(u8("Xobnova"), &window);
    line->setObjectName(QStringLiteral("StaticText3"));
    auto* plain = new QLabel(u8("  Obnova"), &window); // not a status line: looked up with its blanks
    WindowTranslator::setLanguage(&window, czechToEnglish(), WindowTranslator::mainWindowKinds());
    EXPECT_EQ(line->text(), u8("Xobnova")); // "bnova" is not in the list
    EXPECT_EQ(plain->text(), u8("  Obnova"));
    line->setText(u8("  obnova"));
    WindowTranslator::setLanguage(&window, czechToEnglish(), WindowTranslator::mainWindowKinds());
    EXPECT_EQ(line->text(), u8("  Restore"));
}

TEST(WindowTranslator, CaptionsInTreeOrderWithoutStatusLinesAndEmptyTexts)
{
    SmallWindow w;
    w.unknown->clear();
    const QStringList captions = WindowTranslator::captions(&w.window, WindowTranslator::mainWindowKinds());
    const QStringList expected = {u8("Vyberte archiv"),
                                  u8("Obnova"),
                                  u8("Nastavení"),
                                  u8("Přidat"),
                                  u8("Odebrat"),
                                  u8("Obnovit do původního umístění"),
                                  u8("Zahrnout podadresáře"),
                                  u8("Cíl zálohy"),
                                  u8("Bez překladu")};
    EXPECT_EQ(captions, expected);
    EXPECT_EQ(WindowTranslator::captions(&w.window, WindowTranslator::maskDialogKinds()),
              (QStringList{u8("Vyberte archiv"), u8("Přidat"), u8("Odebrat"), u8("Zahrnout podadresáře"),
                           u8("Bez překladu")}));
}
