#include "ui/mainwindow/DestinationPage.h"

#include "core/config/IniStore.h"
#include "core/host/Host.h"
#include "storage/local/LocalPaths.h"
#include "ui/destination/RemoteFolderField.h"
#include "ui/dialogs/FileDialogs.h"
#include "ui/settings/LinkLabel.h"
#include "ui/settings/WebLinks.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace ombrix::ui {

namespace {

QString utf8(const char* text)
{
    return QString::fromUtf8(text);
}

QLineEdit* makeEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QPushButton(utf8(caption), parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QRadioButton* makeRadio(QWidget* parent, const char* name, const QString& caption)
{
    auto* radio = new QRadioButton(caption, parent);
    radio->setObjectName(QLatin1String(name));
    return radio;
}

QGroupBox* makeGroup(QWidget* parent, const char* name, const char* caption)
{
    auto* group = new QGroupBox(utf8(caption), parent);
    group->setObjectName(QLatin1String(name));
    return group;
}

QLabel* makeCaption(QWidget* parent, const char* caption)
{
    auto* label = new QLabel(utf8(caption), parent);
    label->setWordWrap(false);
    return label;
}

} // namespace

DestinationPage::DestinationPage(QWidget* parent) : QWidget(parent)
{
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("DestinationContent"));

    // The choice: the paid storages on the left, the user's own on the right.
    m_paidBox = makeGroup(content, "GroupBox1", "Placená datová uložiště");
    m_radioSkyvra = makeRadio(m_paidBox, "RadioButton5", skyvraServiceName());
    m_radioOtherPaid = makeRadio(m_paidBox, "RadioButton6", utf8("... jiný placený prostor"));
    m_radioOtherPaid->setEnabled(false);
    m_skyvraLink = new LinkLabel(skyvraServiceName(), skyvraWebPage(), m_paidBox);
    m_skyvraLink->setObjectName(QStringLiteral("Label36"));
    auto* paidLayout = new QGridLayout(m_paidBox);
    paidLayout->addWidget(m_radioSkyvra, 0, 0);
    paidLayout->addWidget(m_skyvraLink, 0, 1, Qt::AlignRight);
    paidLayout->addWidget(m_radioOtherPaid, 1, 0, 1, 2);
    paidLayout->setColumnStretch(0, 1);

    m_ownBox = makeGroup(content, "GroupBox2", "Moje vlastní uložiště");
    m_radioDir = makeRadio(m_ownBox, "RadioButton1", utf8("Místní / síťová složka"));
    m_radioFtp = makeRadio(m_ownBox, "RadioButton2", utf8("FTP vzdálený stroj"));
    auto* ownLayout = new QVBoxLayout(m_ownBox);
    ownLayout->addWidget(m_radioDir);
    ownLayout->addWidget(m_radioFtp);

    // The radio buttons sit in two frames but form one choice.
    for (QRadioButton* radio : {m_radioSkyvra, m_radioOtherPaid, m_radioDir, m_radioFtp})
        radio->setAutoExclusive(false);

    // Local or network folder.
    m_dirBox = makeGroup(content, "GroupBox3", "Místní nebo síťová složka:");
    m_folder = makeEdit(m_dirBox, "Edit1");
    m_browse = makeButton(m_dirBox, "Button3", "...");
    m_applyDir = makeButton(m_dirBox, "Button16", "Použij");
    auto* dirLayout = new QHBoxLayout(m_dirBox);
    dirLayout->addWidget(m_folder, 1);
    dirLayout->addWidget(m_browse);
    dirLayout->addWidget(m_applyDir);

    // The user's FTP account.
    m_ftpBox = makeGroup(content, "GroupBox4", "Vlastní FTP účet:");
    m_ftpHost = makeEdit(m_ftpBox, "Edit2");
    m_ftpUser = makeEdit(m_ftpBox, "Edit3");
    m_ftpPassword = makeEdit(m_ftpBox, "Edit4");
    m_ftpPassword->setEchoMode(QLineEdit::Password);
    m_ftpFolder = makeEdit(m_ftpBox, "Edit5");
    m_applyFtp = makeButton(m_ftpBox, "Button4", "Použij");
    auto* ftpLayout = new QFormLayout(m_ftpBox);
    ftpLayout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    ftpLayout->addRow(makeCaption(m_ftpBox, "Adresa (hostname):"), m_ftpHost);
    ftpLayout->addRow(makeCaption(m_ftpBox, "Username:"), m_ftpUser);
    ftpLayout->addRow(makeCaption(m_ftpBox, "Password:"), m_ftpPassword);
    ftpLayout->addRow(makeCaption(m_ftpBox, "Remote dir:"), m_ftpFolder);
    ftpLayout->addRow(QString(), m_applyFtp);

    // The network-disk account.
    m_skyvraBox = makeGroup(content, "GroupBox5", "Placené datové uložiště");
    m_skyvraUser = makeEdit(m_skyvraBox, "Edit9");
    m_skyvraPassword = makeEdit(m_skyvraBox, "Edit10");
    m_skyvraPassword->setEchoMode(QLineEdit::Password);
    m_accountInfo = new QLabel(QStringLiteral("..."), m_skyvraBox);
    m_accountInfo->setObjectName(QStringLiteral("Label37"));
    m_accountInfo->setWordWrap(true);
    m_accountInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_applySkyvra = makeButton(m_skyvraBox, "Button14", "Použij");
    auto* skyvraLayout = new QFormLayout(m_skyvraBox);
    skyvraLayout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    skyvraLayout->addRow(makeCaption(m_skyvraBox, "Uživatelské jméno:"), m_skyvraUser);
    skyvraLayout->addRow(makeCaption(m_skyvraBox, "Heslo:"), m_skyvraPassword);
    skyvraLayout->addRow(makeCaption(m_skyvraBox, "Informace:"), m_accountInfo);
    skyvraLayout->addRow(QString(), m_applySkyvra);

    auto* grid = new QGridLayout(content);
    grid->addWidget(m_paidBox, 0, 0);
    grid->addWidget(m_ownBox, 0, 1);
    grid->addWidget(m_dirBox, 1, 0, 1, 2);
    grid->addWidget(m_ftpBox, 2, 0, Qt::AlignTop);
    grid->addWidget(m_skyvraBox, 2, 1, Qt::AlignTop);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("DestinationScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    m_dirGroup = {m_folder, m_browse, m_applyDir};
    m_ftpGroup = {m_ftpHost, m_ftpUser, m_ftpPassword, m_ftpFolder, m_applyFtp};
    m_skyvraGroup = {m_skyvraUser, m_skyvraPassword, m_applySkyvra};
    // Every group starts disabled; the readiness pass ticks the stored destination.
    setGroupEnabled(m_dirGroup, false);
    setGroupEnabled(m_ftpGroup, false);
    setGroupEnabled(m_skyvraGroup, false);

    connect(m_radioDir, &QRadioButton::clicked, this, [this] { choose(Group::Dir, true); });
    connect(m_radioFtp, &QRadioButton::clicked, this, [this] { choose(Group::Ftp, true); });
    connect(m_radioSkyvra, &QRadioButton::clicked, this, [this] { choose(Group::Skyvra, true); });

    // Edit1 stores nothing by itself: BACKUP_DIR is written by "..." and "Použij".
    bindField(m_ftpHost, ConfigKeys::BACKUP_FTP_HOST);
    bindField(m_ftpUser, ConfigKeys::BACKUP_FTP_USER);
    bindPasswordField(m_ftpPassword, PasswordField::FtpAccount);
    bindField(m_ftpFolder, ConfigKeys::BACKUP_FTP_DIR);
    bindField(m_skyvraUser, ConfigKeys::SKYVRA_USER);
    bindPasswordField(m_skyvraPassword, PasswordField::SkyvraAccount);

    connect(m_browse, &QPushButton::clicked, this, &DestinationPage::browseFolder);
    connect(m_applyDir, &QPushButton::clicked, this, &DestinationPage::applyFolder);
    // A typed folder is not stored until it is applied; the button says so, and Enter applies.
    connect(m_folder, &QLineEdit::textEdited, this,
            [this](const QString& text) { markFolderPending(text != m_appliedFolder); });
    connect(m_folder, &QLineEdit::returnPressed, this, [this] {
        if (m_applyDir->isEnabled())
            applyFolder();
    });
    connect(m_applyFtp, &QPushButton::clicked, this, &DestinationPage::applyFtp);
    connect(m_applySkyvra, &QPushButton::clicked, this, &DestinationPage::applySkyvra);
}

QColor DestinationPage::enabledFieldColour()
{
    return QColor(255, 255, 200);
}

void DestinationPage::bindField(QLineEdit* field, const ConfigKey& key)
{
    connect(field, &QLineEdit::textChanged, this, [this, key](const QString& text) {
        if (!m_loading && m_store)
            m_store->writeString(key, text);
    });
}

void DestinationPage::bindPasswordField(QLineEdit* field, PasswordField which)
{
    connect(field, &QLineEdit::textChanged, this, [this, which](const QString& text) {
        if (!m_loading && m_store)
            storePasswordFromField(*m_store, which, text);
    });
}

void DestinationPage::loadSettings(const IniStore& store)
{
    m_loading = true;
    const QString destination =
        store.readString(ConfigKeys::BACKUP_DESTINATION, QString(ConfigKeys::DESTINATION_DIR));
    m_folder->setText(store.readString(ConfigKeys::BACKUP_DIR, QString(ConfigKeys::BACKUP_DIR_NOT_SET)));
    m_appliedFolder = m_folder->text();
    markFolderPending(false);
    m_ftpHost->setText(store.readString(ConfigKeys::BACKUP_FTP_HOST, QString()));
    m_ftpUser->setText(store.readString(ConfigKeys::BACKUP_FTP_USER, QString()));
    m_ftpPassword->setText(
        maskedFieldText(PasswordField::FtpAccount, store.readString(ConfigKeys::BACKUP_FTP_PASS, QString())));
    m_ftpFolder->setText(store.readString(ConfigKeys::BACKUP_FTP_DIR, QString()));
    m_skyvraUser->setText(store.readString(ConfigKeys::SKYVRA_USER, QString()));
    m_skyvraPassword->setText(
        maskedFieldText(PasswordField::SkyvraAccount, store.readString(ConfigKeys::SKYVRA_PASSW, QString())));
    if (destination == ConfigKeys::DESTINATION_FTP)
        choose(Group::Ftp, false);
    else if (destination == ConfigKeys::DESTINATION_SKYVRA)
        choose(Group::Skyvra, false);
    else
        choose(Group::Dir, false);
    m_loading = false;
}

QString DestinationPage::chosenDestination() const
{
    if (m_radioFtp->isChecked())
        return QString(ConfigKeys::DESTINATION_FTP);
    if (m_radioSkyvra->isChecked())
        return QString(ConfigKeys::DESTINATION_SKYVRA);
    return QString(ConfigKeys::DESTINATION_DIR);
}

void DestinationPage::setAccountInfo(const QString& text)
{
    m_accountInfo->setText(text);
}

void DestinationPage::choose(Group group, bool store)
{
    m_radioDir->setChecked(group == Group::Dir);
    m_radioFtp->setChecked(group == Group::Ftp);
    m_radioSkyvra->setChecked(group == Group::Skyvra);
    setGroupEnabled(m_dirGroup, group == Group::Dir);
    setGroupEnabled(m_ftpGroup, group == Group::Ftp);
    setGroupEnabled(m_skyvraGroup, group == Group::Skyvra);
    if (store && m_store)
        m_store->writeString(ConfigKeys::BACKUP_DESTINATION, chosenDestination());
}

void DestinationPage::setGroupEnabled(const QList<QWidget*>& widgets, bool enabled)
{
    for (QWidget* widget : widgets) {
        widget->setEnabled(enabled);
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            QPalette colours = edit->palette();
            const QColor background = enabled ? enabledFieldColour() : palette().color(QPalette::Button);
            colours.setColor(QPalette::Active, QPalette::Base, background);
            colours.setColor(QPalette::Inactive, QPalette::Base, background);
            colours.setColor(QPalette::Disabled, QPalette::Base, background);
            edit->setPalette(colours);
        }
    }
}

void DestinationPage::browseFolder()
{
    const QString folder = FileDialogs::instance().browseFromLastFolder(this);
    if (folder.isEmpty())
        return;
    m_folder->setText(folder);
    if (m_store)
        m_store->writeString(ConfigKeys::BACKUP_DIR, folder);
    m_appliedFolder = folder;
    markFolderPending(false);
    Q_EMIT readinessRequested();
}

void DestinationPage::applyFolder()
{
    const QString folder = m_folder->text();
    if (m_store)
        m_store->writeString(ConfigKeys::BACKUP_DIR, folder);
    m_appliedFolder = folder;
    markFolderPending(false);
    const bool exists = !folder.trimmed().isEmpty() && storage::DirectoryExists2(storage::AppendUNC(folder));
    Q_EMIT readinessRequested();
    if (!exists) {
        tell(tr_(QString::fromUtf8("Cílová složka NEEXISTUJE")));
        return;
    }
    // The confirmation is the one message of the page that is never translated.
    tell(QStringLiteral("OK"));
    Q_EMIT restoreListStale();
}

void DestinationPage::markFolderPending(bool pending)
{
    m_folderPending = pending;
    QFont font = m_applyDir->font();
    font.setBold(pending);
    m_applyDir->setFont(font);
    m_applyDir->setDefault(pending);
}

void DestinationPage::applyFtp()
{
    if (remoteFolderInsideSet(m_ftpFolder->text())) {
        tell(tr_(QString::fromUtf8("Cesta nesmí obsahovat řetězec OMX_")));
        return;
    }
    // The field's change stores the normalised folder.
    const QString folder = normalizeRemoteFolder(m_ftpFolder->text());
    if (folder != m_ftpFolder->text())
        m_ftpFolder->setText(folder);
    Q_EMIT ftpApplyRequested();
}

void DestinationPage::applySkyvra()
{
    Q_EMIT skyvraApplyRequested();
    Q_EMIT restoreListStale();
}

void DestinationPage::tell(const QString& shownText)
{
    if (m_host)
        m_host->ask(AskKind::Information, shownText);
}

QString DestinationPage::tr_(const QString& text) const
{
    return m_getLang ? m_getLang(text) : text;
}

void DestinationPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Q_EMIT pageShown();
}

} // namespace ombrix::ui
