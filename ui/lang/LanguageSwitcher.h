#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QWidget;

namespace ombrix::ui {

// The language selector of the first page: the drop-down list of codes ComboBox3 and the flags
// vlajka_cz and vlajka_en beside it (a flag selects its item and so changes the language). Lives
// as a child of the main window; the controls are found there by their names.
class LanguageSwitcher : public QObject
{
    Q_OBJECT

  public:
    // The switcher of a main window, made on first use.
    static LanguageSwitcher* attach(QWidget* mainWindow);

    // Start-up: LANGUAGE from config.ini (SYSTEM: the system's language), the codes of the lang
    // folder into ComboBox3 with the chosen one selected, and the master and target lists loaded.
    void loadLanguages();

    // A change of the selector: writes LANGUAGE, translates the captions of every translated
    // window from the language they are in to the new one through the common line index, and
    // leaves the Czech master list loaded for getLang. False when code has no file.
    bool changeLanguage(const QString& code);

    QComboBox* selector() const;
    void setConfigPath(const QString& path) { m_configPath = path; }
    void setLanguageFolder(const QString& folder);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit LanguageSwitcher(QWidget* mainWindow);
    void connectControls();
    void selectCode(const QString& code);

    QWidget* m_window;
    QString m_configPath;
    QString m_langFolder;
    bool m_connected = false;
};

} // namespace ombrix::ui
