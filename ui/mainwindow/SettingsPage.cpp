#include "ui/mainwindow/SettingsPage.h"

#include "core/config/CommandLineEscape.h"
#include "core/config/IniStore.h"
#include "core/config/PasswordField.h"
#include "core/config/Scrambling.h"
#include "core/host/Host.h"
#include "ui/dialogs/FileDialogs.h"
#include "ui/mainwindow/ScheduleGroup.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

namespace ombrix::ui {

namespace {

// The slowest existence probe (ms) at which coloured lists are still advisable.
constexpr qint64 slowDestinationMs = 20;
constexpr int fixedCountMaximum = 999;

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

    m_restoreReset = new QCheckBox(
        QString::fromUtf8("Resetovat průběh obnovy dat. Obnova dat začne od začátku."), content);
    m_restoreReset->setObjectName(QStringLiteral("CheckBox5"));
    m_restoreResetButton = makeButton(content, "Button12", "Reset");
    m_restoreResetButton->setEnabled(false);
    grid->addWidget(m_restoreReset, row, 0, 1, 2);
    grid->addWidget(m_restoreResetButton, row++, 2);

    grid->setRowMinimumHeight(row++, 8);
    m_high = addBox(grid, "CheckBox6", "Použít účinnější, ale pomalejší kompresi", row++);
    m_verify = addBox(grid, "CheckBox7",
                      "Před zálohováním zkontrolovat archivy a ztracené soubory znovu zazálohovat", row++);

    m_fixedCount = new QCheckBox(
        QString::fromUtf8("Automaticky udržovat v cílové složce fixní počet archivů:"), content);
    m_fixedCount->setObjectName(QStringLiteral("CheckBox8"));
    m_fixedCountEdit = new QSpinBox(content);
    m_fixedCountEdit->setObjectName(QStringLiteral("SpinEdit1"));
    m_fixedCountEdit->setRange(1, fixedCountMaximum);
    m_fixedCountEdit->setValue(1);
    m_fixedCountEdit->setEnabled(false);
    m_mergeFirst = new QCheckBox(QString::fromUtf8("slučovat první s druhým"), content);
    m_mergeFirst->setObjectName(QStringLiteral("CheckBox13"));
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(m_fixedCount);
    countRow->addWidget(m_fixedCountEdit);
    countRow->addSpacing(12);
    countRow->addWidget(m_mergeFirst);
    countRow->addStretch(1);
    grid->addLayout(countRow, row++, 0, 1, 3);

    m_password = new QCheckBox(QString::fromUtf8("Nastavit heslo:"), content);
    m_password->setObjectName(QStringLiteral("CheckBox9"));
    m_passwordEdit = makeEdit(content, "Edit12");
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_passwordEdit->setEnabled(false);
    m_passwordHint =
        new QLabel(QString::fromUtf8("heslo nelze nastavovat/měnit při přírůstkovém zálohování"), content);
    m_passwordHint->setObjectName(QStringLiteral("Label39"));
    m_passwordHint->setWordWrap(true);
    auto* passwordRow = new QHBoxLayout;
    passwordRow->addWidget(m_password);
    passwordRow->addWidget(m_passwordEdit, 1);
    passwordRow->addWidget(m_passwordHint, 1);
    grid->addLayout(passwordRow, row++, 0, 1, 3);

    grid->setRowMinimumHeight(row++, 8);
    m_colorLists =
        addBox(grid, "CheckBox10",
               "Zapnout barevný výpis archivů (na pomalých síťových připojeních se nedoporučuje)", row++);
    m_email = new QCheckBox(QString::fromUtf8("Zasílat informační email"), content);
    m_email->setObjectName(QStringLiteral("CheckBox11"));
    m_emailSettings = makeButton(content, "Button20", "Nastavení");
    auto* emailRow = new QHBoxLayout;
    emailRow->addWidget(m_email);
    emailRow->addWidget(m_emailSettings);
    emailRow->addStretch(1);
    grid->addLayout(emailRow, row++, 0, 1, 3);
    m_delayedWrites = addBox(grid, "CheckBox12",
                             "Povolit opožděný zápis do konfiguračních souborů (nedoporučuje se)", row++);

    grid->setRowMinimumHeight(row++, 8);
    m_autoStart =
        addBox(grid, "CheckBox14",
               "Po startu automaticky zahájit zálohování a ukončit program (použít jen při potížích "
               "s parametrem -start)",
               row++);
    m_skipInvalid = addBox(
        grid, "CheckBox15",
        "Přeskakovat neplatné záznamy na záložce: co zálohovat. Neplatné záznamy pouze logovat.", row++);
    m_autoUpdate = addBox(grid, "CheckBox16", "Povolit automatické aktualizace programu z internetu", row++);
    m_powerOff = addBox(grid, "CheckBox17", "Po dokončení zálohování vypnout počítač", row++);

    grid->setRowMinimumHeight(row++, 8);
    m_schedule = new ScheduleGroup(content);
    grid->addWidget(m_schedule, row++, 0, 1, 3);
    grid->setRowStretch(row, 1);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("SettingsScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    // The reset buttons are armed by their check boxes; the resets themselves are wired by the
    // backup and restore engines to Button5 and Button12.
    connect(m_reset, &QCheckBox::toggled, m_resetButton, &QPushButton::setEnabled);
    connect(m_restoreReset, &QCheckBox::toggled, m_restoreResetButton, &QPushButton::setEnabled);

    storeBoolOnClick(m_runBefore, ConfigKeys::RUN_BEFORE_BACKUP);
    storeBoolOnClick(m_runAfter, ConfigKeys::RUN_AFTER_BACKUP);
    storeBoolOnClick(m_verify, ConfigKeys::VERIFY_LAST_ARCHIV);
    storeBoolOnClick(m_mergeFirst, ConfigKeys::SUM_FIRST_SECOND);
    storeBoolOnClick(m_email, ConfigKeys::EMAIL);
    storeBoolOnClick(m_autoStart, ConfigKeys::AUTOSTART_BACKUP);
    storeBoolOnClick(m_skipInvalid, ConfigKeys::SOURCE_ERROR_SKIP);
    storeBoolOnClick(m_autoUpdate, ConfigKeys::AUTOUPDATE);
    connect(m_high, &QCheckBox::clicked, this, [this](bool on) {
        if (canWrite())
            m_store->writeString(ConfigKeys::COMPRES_LEVEL, QString(on ? ConfigKeys::COMPRESSION_HIGH
                                                                       : ConfigKeys::COMPRESSION_DEFAULT));
    });

    storeCommandLine(m_runBeforeEdit, ConfigKeys::PROGRAM_BB);
    storeCommandLine(m_runAfterEdit, ConfigKeys::PROGRAM_AB);
    connect(m_runBeforePick, &QPushButton::clicked, this, [this] {
        pickProgram(m_runBeforeEdit, m_runBefore, ConfigKeys::PROGRAM_BB, ConfigKeys::RUN_BEFORE_BACKUP);
    });
    connect(m_runAfterPick, &QPushButton::clicked, this, [this] {
        pickProgram(m_runAfterEdit, m_runAfter, ConfigKeys::PROGRAM_AB, ConfigKeys::RUN_AFTER_BACKUP);
    });

    connect(m_password, &QCheckBox::toggled, this, &SettingsPage::switchPassword);
    connect(m_passwordEdit, &QLineEdit::textChanged, this, &SettingsPage::passwordEdited);

    connect(m_fixedCount, &QCheckBox::toggled, this, &SettingsPage::switchFixedCount);
    connect(m_fixedCountEdit, &QSpinBox::valueChanged, this, [this] {
        if (canWrite())
            m_store->writeString(ConfigKeys::ARCHIVE_COUNT, m_fixedCountEdit->text());
    });

    // Every switch of the coloured lists, by mouse or keyboard, stores it and changes the lists,
    // so the box never shows a state the program does not use.
    connect(m_colorLists, &QCheckBox::clicked, this, &SettingsPage::switchColoredLists);

    // CheckBox12 only shows whether ARCHIVLIST_BUFFER is above 0; the interval is set by editing
    // config.ini, so a click changes neither the key nor the box.
    connect(m_delayedWrites, &QCheckBox::clicked, this,
            [this] { m_delayedWrites->setChecked(m_delayedWritesShown); });

    connect(m_emailSettings, &QPushButton::clicked, this, &SettingsPage::emailSettingsRequested);
}

void SettingsPage::storeBoolOnClick(QCheckBox* box, const ConfigKey& key)
{
    connect(box, &QCheckBox::clicked, this, [this, key](bool on) {
        if (canWrite())
            m_store->writeBool(key, on);
    });
}

void SettingsPage::storeCommandLine(QLineEdit* edit, const ConfigKey& key)
{
    connect(edit, &QLineEdit::textChanged, this, [this, key](const QString& text) {
        if (canWrite())
            m_store->writeString(key, escapeCommandLine(text));
    });
}

void SettingsPage::pickProgram(QLineEdit* edit, QCheckBox* box, const ConfigKey& programKey,
                               const ConfigKey& runKey)
{
    FileDialogs& dialogs = FileDialogs::instance();
    const QStringList filters = FileDialogs::programFilters();
    const QString program = dialogs.openFile(this, dialogs.lastBrowseFolder(), filters,
                                             filters.isEmpty() ? QString() : filters.first());
    if (program.isEmpty())
        return;
    edit->setText(program);
    box->setChecked(true);
    if (canWrite()) {
        // Stored in the same escaped form as typed text, so a path with a double quote reads back.
        m_store->writeString(programKey, escapeCommandLine(program));
        m_store->writeBool(runKey, true);
    }
}

void SettingsPage::switchPassword(bool on)
{
    m_passwordEdit->setEnabled(on && m_passwordChangeAllowed);
    if (on)
        return;
    m_passwordEdit->clear();
    m_archivePassword.clear();
    if (canWrite())
        m_store->writeString(ConfigKeys::PASSWORD, QString());
    Q_EMIT archivePasswordChanged(m_archivePassword);
}

void SettingsPage::passwordEdited(const QString& text)
{
    if (m_loading || !isNewPassword(PasswordField::ArchivePassword, text))
        return;
    m_archivePassword = text;
    if (m_store)
        storePasswordFromField(*m_store, PasswordField::ArchivePassword, text);
    Q_EMIT archivePasswordChanged(m_archivePassword);
}

void SettingsPage::switchFixedCount(bool on)
{
    m_fixedCountEdit->setEnabled(on);
    if (on) {
        m_fixedCountEdit->setMinimum(1);
    } else {
        m_fixedCountEdit->setMinimum(0);
        m_fixedCountEdit->setValue(0);
    }
    if (canWrite())
        m_store->writeString(ConfigKeys::ARCHIVE_COUNT, m_fixedCountEdit->text());
}

void SettingsPage::switchColoredLists(bool on)
{
    if (canWrite())
        m_store->writeBool(ConfigKeys::COLOR_ARCHIVES, on);
    Q_EMIT coloredListsChanged(on);
    if (!on || !m_speedProbe)
        return;
    if (m_speedProbe() >= slowDestinationMs && m_host) {
        m_host->ask(AskKind::Warning,
                    tr_(QString::fromUtf8("Detekováno pomalé připojení cílové složky. Tato volba není "
                                          "doporučena. Výpis archivů na záložce OBNOVA může trvat dlouho.")));
    }
}

void SettingsPage::loadSettings(const IniStore& store)
{
    m_loading = true;
    m_runBeforeEdit->setText(unescapeCommandLine(store.readString(ConfigKeys::PROGRAM_BB, QString())));
    m_runAfterEdit->setText(unescapeCommandLine(store.readString(ConfigKeys::PROGRAM_AB, QString())));
    m_runBefore->setChecked(store.readBool(ConfigKeys::RUN_BEFORE_BACKUP, false));
    m_runAfter->setChecked(store.readBool(ConfigKeys::RUN_AFTER_BACKUP, false));
    m_email->setChecked(store.readBool(ConfigKeys::EMAIL, false));
    m_high->setChecked(
        store.readString(ConfigKeys::COMPRES_LEVEL, QString(ConfigKeys::COMPRESSION_DEFAULT)) ==
        ConfigKeys::COMPRESSION_HIGH);
    m_verify->setChecked(store.readBool(ConfigKeys::VERIFY_LAST_ARCHIV, false));

    const QString stored = store.readString(ConfigKeys::PASSWORD, QString());
    const QString password = desifruj(stored);
    m_password->setChecked(!password.isEmpty());
    m_passwordEdit->setText(maskedFieldText(PasswordField::ArchivePassword, stored));
    m_archivePassword = password;
    m_passwordEdit->setEnabled(m_password->isChecked() && m_passwordChangeAllowed);

    const int count = store.readInt(ConfigKeys::ARCHIVE_COUNT, 0);
    m_fixedCount->setChecked(count > 0);
    if (count > 0)
        m_fixedCountEdit->setValue(qMin(count, fixedCountMaximum));

    m_colorLists->setChecked(store.readBool(ConfigKeys::COLOR_ARCHIVES, false));
    m_mergeFirst->setChecked(store.readBool(ConfigKeys::SUM_FIRST_SECOND, false));
    m_autoStart->setChecked(store.readBool(ConfigKeys::AUTOSTART_BACKUP, false));
    m_skipInvalid->setChecked(store.readBool(ConfigKeys::SOURCE_ERROR_SKIP, false));
    m_autoUpdate->setChecked(store.readBool(ConfigKeys::AUTOUPDATE, false));
    m_delayedWritesShown = store.readInt(ConfigKeys::ARCHIVLIST_BUFFER, 0) > 0;
    m_delayedWrites->setChecked(m_delayedWritesShown);
    m_schedule->loadSchedule(store);
    m_loading = false;
    Q_EMIT archivePasswordChanged(m_archivePassword);
}

void SettingsPage::setPasswordChangeAllowed(bool allowed)
{
    m_passwordChangeAllowed = allowed;
    m_password->setEnabled(allowed);
    m_passwordEdit->setEnabled(allowed && m_password->isChecked());
}

QString SettingsPage::tr_(const QString& text) const
{
    return m_getLang ? m_getLang(text) : text;
}

} // namespace ombrix::ui
