#pragma once

#include <functional>
#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace ombrix {
class Host;
}

namespace ombrix::ui {

// The e-mail settings dialog (TemailForm, caption "Email"), opened modally by "Nastavení"
// (Button20) on the settings page. Fields, top to bottom: sender address Edit1
// (EMAIL_FROM_ADRESS), PC name Edit2 (EMAIL_PC_NAME), recipient Edit3 (EMAIL_TO_ADRESS), port
// Edit5 (EMAIL_SMTP_PORT, stored as typed), server Edit6 (EMAIL_SMTP_HOST), login Edit7
// (EMAIL_SMTP_USERNAME), masked password Edit8 (EMAIL_SMTP_PASSWORD) and the security choice
// ComboBox1 ("---" or "SSL / TLS", EMAIL_SMTP_SSL 0 or 1).
//
// Every showing reads the settings anew through a store of its own on config.ini; the password
// field always shows 15 asterisks, which are never stored. "OK" saves and closes, "Test" saves,
// sends the test mail and says whether it went out; closing the window by its frame discards
// what was not saved.
class EmailDialog : public QDialog
{
    Q_OBJECT

  public:
    // Sends one message: subject, text, attachment (empty for none); true when it went out.
    using Sender =
        std::function<bool(const QString& subject, const QString& text, const QString& attachment)>;

    static inline const QString testSubject = QStringLiteral("Testovací email ze Ombrix");
    static inline const QString testText = QStringLiteral("Toto je testovací email ze Ombrix");

    explicit EmailDialog(QWidget* parent = nullptr);

    // The config.ini the dialog reads and writes.
    void setConfigPath(const QString& path) { m_configPath = path; }
    // Where "Test" shows its outcome.
    void setHost(Host* host) { m_host = host; }
    // How "Test" sends (the report e-mail's sending).
    void setSender(Sender sender) { m_sender = std::move(sender); }

    // Reads the settings into the fields (what a showing does).
    void load();
    // Writes the fields to config.ini; false when the file could not be written.
    bool save();
    // Loads and shows the dialog window-modal, returning at once.
    void openDialog();

    // The buttons' actions.
    void okClicked();
    void testClicked();

    QLineEdit* fromEdit() const { return m_from; }         // Edit1
    QLineEdit* pcNameEdit() const { return m_pcName; }     // Edit2
    QLineEdit* toEdit() const { return m_to; }             // Edit3
    QLineEdit* portEdit() const { return m_port; }         // Edit5
    QLineEdit* hostEdit() const { return m_smtpHost; }     // Edit6
    QLineEdit* userEdit() const { return m_user; }         // Edit7
    QLineEdit* passwordEdit() const { return m_password; } // Edit8
    QComboBox* securityBox() const { return m_security; }  // ComboBox1
    QPushButton* testButton() const { return m_test; }
    QPushButton* okButton() const { return m_ok; }

  private:
    QString m_configPath;
    Host* m_host = nullptr;
    Sender m_sender;

    QLineEdit* m_from;
    QLineEdit* m_pcName;
    QLineEdit* m_to;
    QLineEdit* m_port;
    QLineEdit* m_smtpHost;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QComboBox* m_security;
    QPushButton* m_test;
    QPushButton* m_ok;
};

} // namespace ombrix::ui
