#pragma once

#include "ui/lang/WindowTranslator.h"

#include <functional>
#include <QList>
#include <QObject>
#include <QString>

class QWidget;

namespace ombrix {
class Translator;
}

namespace ombrix::ui {

// The windows whose captions follow the program's language: the main window, the e-mail dialog,
// the selective-restore tree window and the mask dialog. A window is one of them when it was
// added here, or by its class name (MainWindow, EmailDialog, TreeWindow, MaskDialog, ...) or its
// object name (Form1, emailForm, Form2, maskForm).
//
// Each such window remembers the language its captions are in. A window shown for the first time
// (a dialog made on demand after the language was changed) is translated from that language to
// the current one by an application-wide filter before it appears.
class LanguageWindows : public QObject
{
    Q_OBJECT

  public:
    // In the order the language check collects their captions.
    enum Role
    {
        NoRole = -1,
        MainRole = 0,
        EmailRole = 1,
        TreeRole = 2,
        MaskRole = 3,
        RoleCount = 4,
    };

    // The instance of the running application (made on first use, freed with the application).
    static LanguageWindows& instance();

    // Which captions each role has translated.
    static WindowTranslator::Kinds kindsOf(Role role);
    // The role of a window: set by add, or known from its class or object name.
    static Role roleOf(const QWidget* window);

    // Makes window one of the translated windows (for windows whose names are not known here).
    void add(QWidget* window, Role role);
    // The translated windows that exist now, main window first.
    QList<QWidget*> windows() const;
    // The language a window's captions are in ("CZ" until it was translated).
    static QString captionLanguage(const QWidget* window);

    // The folder of the language files used to read the language a window is in.
    void setLanguageFolder(const QString& folder) { m_langFolder = folder; }
    const QString& languageFolder() const { return m_langFolder; }

    // Translates one window from the language its captions are in to the translator's current
    // language: through the translator itself when its master list is that language's, otherwise
    // through that language's file. A window already in the current language gets one more pass
    // from Czech, for captions the program set in Czech since.
    void translate(QWidget* window, const Translator& translator, const QString& masterCode);
    // Every translated window, as the main window's showing does it (the translator's master list
    // is Czech).
    void translateAll();
    void translateAll(const Translator& translator, const QString& masterCode);

    // A maker of a window the language check needs when the program has not made one.
    void setCheckFactory(Role role, std::function<QWidget*()> make);
    // The captions the language check collects: main window, e-mail dialog, tree window, mask
    // dialog; a window that does not exist is made by its factory for the moment.
    QStringList checkCaptions() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit LanguageWindows(QObject* parent);

    QString m_langFolder;
    QList<std::function<QWidget*()>> m_factories;
    QList<QWidget*> m_added; // guarded by their destroyed signal
};

} // namespace ombrix::ui
