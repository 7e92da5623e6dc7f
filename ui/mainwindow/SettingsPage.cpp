#include "ui/mainwindow/SettingsPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace ombrix::ui {

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QLineEdit* makeEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

} // namespace

QCheckBox* SettingsPage::addBox(QGridLayout* grid, const char* name, const char* caption, int row)
{
    auto* box = new QCheckBox(QString::fromUtf8(caption), grid->parentWidget());
    box->setObjectName(QLatin1String(name));
    grid->addWidget(box, row, 0, 1, 3);
    return box;
}

SettingsPage::SettingsPage(QWidget* parent) : QWidget(parent)
{
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("SettingsContent"));
    auto* grid = new QGridLayout(content);
    grid->setColumnStretch(0, 1);
    int row = 0;

    m_runBefore = addBox(grid, "CheckBox1", "Před startem zálohování spustit program:", row++);
    m_runBeforeEdit = makeEdit(content, "Edit6");
    m_runBeforePick = makeButton(content, "Button6", "...");
    grid->addWidget(m_runBeforeEdit, row, 0, 1, 2);
    grid->addWidget(m_runBeforePick, row++, 2);

    m_runAfter = addBox(grid, "CheckBox3", "Po dokončení zálohování spustit program:", row++);
    m_runAfterEdit = makeEdit(content, "Edit7");
    m_runAfterPick = makeButton(content, "Button7", "...");
    grid->addWidget(m_runAfterEdit, row, 0, 1, 2);
    grid->addWidget(m_runAfterPick, row++, 2);

    grid->setRowMinimumHeight(row++, 8);
    m_reset = new QCheckBox(
        QString::fromUtf8("Resetovat průběh zálohování. Zálohování začne od začátku plnou zálohou."),
        content);
    m_reset->setObjectName(QStringLiteral("CheckBox2"));
    m_resetButton = makeButton(content, "Button5", "Reset");
    m_resetButton->setEnabled(false);
    grid->addWidget(m_reset, row, 0, 1, 2);
    grid->addWidget(m_resetButton, row++, 2);

    m_high = addBox(grid, "CheckBox6", "Použít účinnější, ale pomalejší kompresi", row++);
    m_verify = addBox(grid, "CheckBox7",
                      "Před zálohováním zkontrolovat archivy a ztracené soubory znovu zazálohovat", row++);

    m_password = new QCheckBox(QString::fromUtf8("Nastavit heslo:"), content);
    m_password->setObjectName(QStringLiteral("CheckBox9"));
    m_passwordEdit = makeEdit(content, "Edit12");
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_passwordEdit->setEnabled(false);
    m_passwordHint =
        new QLabel(QString::fromUtf8("heslo nelze nastavovat/měnit při přírůstkovém zálohování"), content);
    m_passwordHint->setObjectName(QStringLiteral("Label39"));
    auto* passwordRow = new QHBoxLayout;
    passwordRow->addWidget(m_password);
    passwordRow->addWidget(m_passwordEdit, 1);
    passwordRow->addWidget(m_passwordHint);
    grid->addLayout(passwordRow, row++, 0, 1, 3);

    grid->setRowMinimumHeight(row++, 8);
    m_autoStart =
        addBox(grid, "CheckBox14",
               "Po startu automaticky zahájit zálohování a ukončit program (použít jen při potížích "
               "s parametrem -start)",
               row++);
    m_skipInvalid = addBox(
        grid, "CheckBox15",
        "Přeskakovat neplatné záznamy na záložce: co zálohovat. Neplatné záznamy pouze logovat.", row++);
    m_powerOff = addBox(grid, "CheckBox17", "Po dokončení zálohování vypnout počítač", row++);
    grid->setRowStretch(row, 1);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("SettingsScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    connect(m_reset, &QCheckBox::toggled, m_resetButton, &QPushButton::setEnabled);
    connect(m_password, &QCheckBox::toggled, this, [this](bool on) {
        m_passwordEdit->setEnabled(on);
        if (!on)
            m_passwordEdit->clear();
    });
}

} // namespace ombrix::ui
