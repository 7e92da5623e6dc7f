#pragma once

#include "core/config/ConfigKeys.h"
#include "core/config/PasswordField.h"

#include <functional>
#include <QList>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ombrix {
class Host;
class IniStore;
} // namespace ombrix

namespace ombrix::ui {

class LinkLabel;

// Page 2 "Kam zálohovat": where the backups go. A local or network folder (DIR), the user's own
// FTP account (FTP) or an account at the network-disk service (SKYVRA).
//
// The page edits the destination keys of config.ini: the radio buttons store BACKUP_DESTINATION
// and enable their group, the FTP and network-disk fields store their keys at every change
// (passwords scrambled, the asterisk row never), and each "Použij" stores and then asks for the
// readiness pass, which alone turns the stored keys into the running destination. The folder
// group's apply is complete here; the FTP and network-disk applies hand their connection work to
// whoever listens to ftpApplyRequested() and skyvraApplyRequested().
class DestinationPage : public QWidget
{
    Q_OBJECT

  public:
    explicit DestinationPage(QWidget* parent = nullptr);

    // The store the controls write to (iniConfig); the readiness pass opens a new one each time
    // and hands it over here. Nothing is written while it is null.
    void setConfigStore(IniStore* store) { m_store = store; }
    // Where messages are shown ("OK", "Cílová složka NEEXISTUJE", ...). None: not shown.
    void setHost(Host* host) { m_host = host; }
    // The translation of the page's messages (getLang); unset: the Czech text.
    void setTranslator(std::function<QString(const QString&)> getLang) { m_getLang = std::move(getLang); }

    // The readiness pass's loading of the destination keys (BACKUP_DESTINATION, BACKUP_DIR, the
    // FTP and network-disk accounts): ticks the radio button of the stored destination, which
    // enables its group, and fills the fields; passwords show their asterisk row. Nothing is
    // written back while loading.
    void loadSettings(const IniStore& store);

    // "DIR", "FTP" or "SKYVRA" as the radio buttons choose now.
    QString chosenDestination() const;
    // Edit1 holds a folder that was typed but not yet applied: "Použij" (Button16) stands out
    // (bold, the default button) until the folder is applied, browsed for or loaded. Enter in
    // Edit1 applies it as the button does.
    bool folderPending() const { return m_folderPending; }
    // Label37, the network-disk account information ("..." until known).
    void setAccountInfo(const QString& text);

    QRadioButton* folderChoice() const { return m_radioDir; }          // RadioButton1
    QRadioButton* ftpChoice() const { return m_radioFtp; }             // RadioButton2
    QRadioButton* skyvraChoice() const { return m_radioSkyvra; }       // RadioButton5
    QLineEdit* folderEdit() const { return m_folder; }                 // Edit1
    QLineEdit* ftpHostEdit() const { return m_ftpHost; }               // Edit2
    QLineEdit* ftpUserEdit() const { return m_ftpUser; }               // Edit3
    QLineEdit* ftpPasswordEdit() const { return m_ftpPassword; }       // Edit4
    QLineEdit* ftpFolderEdit() const { return m_ftpFolder; }           // Edit5
    QLineEdit* skyvraUserEdit() const { return m_skyvraUser; }         // Edit9
    QLineEdit* skyvraPasswordEdit() const { return m_skyvraPassword; } // Edit10
    QLabel* accountInfoLabel() const { return m_accountInfo; }         // Label37

    // The colour of the fields of the enabled group (light yellow).
    static QColor enabledFieldColour();

  Q_SIGNALS:
    // Run the start-up readiness pass (inicializace) now.
    void readinessRequested();
    // The restore page lists the sets of the new destination when next shown (restoreListLoaded).
    void restoreListStale();
    // "Použij" of the FTP group, after the remote folder was checked and normalised and every
    // field stored. The receiver connects with the stored account (host Edit2, user Edit3, the
    // unscrambled BACKUP_FTP_PASS), reports "FTP spojení NEFUNGUJE" / "FTP spojení funguje
    // správně" / "FTP spojení funguje, vzdálený adresář bude vytvořen", runs the readiness pass
    // and, when the connection opened, marks the restore list stale.
    void ftpApplyRequested();
    // "Použij" of the network-disk group: the receiver runs the account check, which reports,
    // fills Label37 and runs the readiness pass; restoreListStale() follows it.
    void skyvraApplyRequested();
    // The page became visible; with a SKYVRA destination running, Label37 is refreshed.
    void pageShown();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    enum class Group
    {
        Dir,
        Ftp,
        Skyvra
    };

    void choose(Group group, bool store);
    void setGroupEnabled(const QList<QWidget*>& widgets, bool enabled);
    void bindField(QLineEdit* field, const ConfigKey& key);
    void bindPasswordField(QLineEdit* field, PasswordField which);
    void browseFolder(); // Button3
    void applyFolder();  // Button16
    void applyFtp();     // Button4
    void applySkyvra();  // Button14
    // The folder in Edit1 is the one stored (or not): marks Button16 accordingly.
    void markFolderPending(bool pending);
    // Shows a message as given: the callers translate theirs at the call (tr_), where the
    // language check finds the Czech text.
    void tell(const QString& shownText);
    QString tr_(const QString& text) const;

    IniStore* m_store = nullptr;
    Host* m_host = nullptr;
    std::function<QString(const QString&)> m_getLang;
    bool m_loading = false;
    bool m_folderPending = false;
    // The folder last loaded, applied or browsed for; Edit1 differing from it is pending.
    QString m_appliedFolder;

    QGroupBox* m_paidBox;
    QRadioButton* m_radioSkyvra;
    QRadioButton* m_radioOtherPaid;
    LinkLabel* m_skyvraLink;
    QGroupBox* m_ownBox;
    QRadioButton* m_radioDir;
    QRadioButton* m_radioFtp;

    QGroupBox* m_dirBox;
    QLineEdit* m_folder;
    QPushButton* m_browse;
    QPushButton* m_applyDir;

    QGroupBox* m_ftpBox;
    QLineEdit* m_ftpHost;
    QLineEdit* m_ftpUser;
    QLineEdit* m_ftpPassword;
    QLineEdit* m_ftpFolder;
    QPushButton* m_applyFtp;

    QGroupBox* m_skyvraBox;
    QLineEdit* m_skyvraUser;
    QLineEdit* m_skyvraPassword;
    QLabel* m_accountInfo;
    QPushButton* m_applySkyvra;

    QList<QWidget*> m_dirGroup;
    QList<QWidget*> m_ftpGroup;
    QList<QWidget*> m_skyvraGroup;
};

} // namespace ombrix::ui
