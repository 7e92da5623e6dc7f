#include "ui/dialogs/EmailDialog.h"

#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/config/PasswordField.h"
#include "core/host/Host.h"
#include "core/lang/Translator.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ombrix::ui {

namespace {

QLineEdit* addField(QWidget* dialog, QGridLayout* grid, int row, const char* labelName, const char* caption,
                    const char* fieldName)
{
    auto* field = new QLineEdit(dialog);
    field->setObjectName(QLatin1String(fieldName));
    auto* label = new QLabel(QString::fromUtf8(caption), dialog);
    label->setObjectName(QLatin1String(labelName));
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

} // namespace

EmailDialog::EmailDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("emailForm"));
    setWindowTitle(QStringLiteral("Email"));

    auto* grid = new QGridLayout;
    int row = 0;
    m_from = addField(this, grid, row++, "Label1", "Email odesílatele:", "Edit1");
    m_pcName = addField(this, grid, row++, "Label2", "Jméno PC:", "Edit2");
    m_to = addField(this, grid, row++, "Label3", "Email příjemce:", "Edit3");
    m_port = addField(this, grid, row++, "Label5", "Port (25, 465, 587, ...):", "Edit5");
    m_smtpHost = addField(this, grid, row++, "Label6", "SMTP server:", "Edit6");
    m_user = addField(this, grid, row++, "Label7", "SMTP username:", "Edit7");
    m_password = addField(this, grid, row++, "Label8", "SMTP password:", "Edit8");
    m_password->setEchoMode(QLineEdit::Password);
    m_security = new QComboBox(this);
    m_security->setObjectName(QStringLiteral("ComboBox1"));
    m_security->addItems({QStringLiteral("---"), QStringLiteral("SSL / TLS")});
    grid->addWidget(m_security, row++, 1);

    m_test = new QPushButton(QStringLiteral("Test"), this);
    m_test->setObjectName(QStringLiteral("Button1"));
    m_test->setAutoDefault(false);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("Button2"));
    m_ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_test);
    buttons->addWidget(m_ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(m_test, &QPushButton::clicked, this, &EmailDialog::testClicked);
    connect(m_ok, &QPushButton::clicked, this, &EmailDialog::okClicked);
}

void EmailDialog::load()
{
    using namespace ConfigKeys;
    const IniStore store(m_configPath);
    m_from->setText(store.readString(EMAIL_FROM_ADRESS, QString()));
    m_pcName->setText(store.readString(EMAIL_PC_NAME, QString()));
    m_to->setText(store.readString(EMAIL_TO_ADRESS, QString()));
    m_port->setText(store.readString(EMAIL_SMTP_PORT, QString()));
    m_smtpHost->setText(store.readString(EMAIL_SMTP_HOST, QString()));
    m_user->setText(store.readString(EMAIL_SMTP_USERNAME, QString()));
    // The row is shown whatever is stored; only a changed text is ever written back.
    m_password->setText(asteriskRow(PasswordField::SmtpAccount));
    const int security = store.readInt(EMAIL_SMTP_SSL, 0);
    m_security->setCurrentIndex(security >= 0 && security < m_security->count() ? security : 0);
}

bool EmailDialog::save()
{
    using namespace ConfigKeys;
    IniStore store(m_configPath);
    bool written = store.writeString(EMAIL_FROM_ADRESS, m_from->text());
    written = store.writeString(EMAIL_PC_NAME, m_pcName->text()) && written;
    written = store.writeString(EMAIL_TO_ADRESS, m_to->text()) && written;
    written = store.writeString(EMAIL_SMTP_PORT, m_port->text()) && written;
    written = store.writeString(EMAIL_SMTP_HOST, m_smtpHost->text()) && written;
    written = store.writeString(EMAIL_SMTP_USERNAME, m_user->text()) && written;
    written = storePasswordFromField(store, PasswordField::SmtpAccount, m_password->text()) && written;
    written = store.writeInt(EMAIL_SMTP_SSL, m_security->currentIndex()) && written;
    return written;
}

void EmailDialog::openDialog()
{
    load();
    open();
}

void EmailDialog::okClicked()
{
    save();
    accept();
}

void EmailDialog::testClicked()
{
    save();
    const bool sent = m_sender && m_sender(testSubject, testText, QString());
    if (!m_host)
        return;
    if (sent)
        m_host->ask(AskKind::Information, getLang(QStringLiteral("Testovací email byl odeslán.")));
    else
        m_host->ask(AskKind::Warning, getLang(QStringLiteral("Chyba emailu, zkontrolujte nastavení.")));
}

} // namespace ombrix::ui
