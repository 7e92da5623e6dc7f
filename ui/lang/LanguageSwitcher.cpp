#include "ui/lang/LanguageSwitcher.h"

#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/lang/Translator.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemLanguage.h"
#include "ui/lang/LanguageWindows.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace ombrix::ui {

namespace {

const QString flagCz = QStringLiteral("vlajka_cz");
const QString flagEn = QStringLiteral("vlajka_en");

} // namespace

LanguageSwitcher::LanguageSwitcher(QWidget* mainWindow)
    : QObject(mainWindow), m_window(mainWindow),
      m_configPath(platform::programFile(QStringLiteral("config.ini"))),
      m_langFolder(platform::languageFolder())
{
    setObjectName(QStringLiteral("LanguageSwitcher"));
}

LanguageSwitcher* LanguageSwitcher::attach(QWidget* mainWindow)
{
    if (!mainWindow)
        return nullptr;
    auto* switcher = mainWindow->findChild<LanguageSwitcher*>(QString(), Qt::FindDirectChildrenOnly);
    if (!switcher)
        switcher = new LanguageSwitcher(mainWindow);
    switcher->connectControls();
    return switcher;
}

void LanguageSwitcher::setLanguageFolder(const QString& folder)
{
    m_langFolder = folder;
    LanguageWindows::instance().setLanguageFolder(folder);
}

QComboBox* LanguageSwitcher::selector() const
{
    return m_window->findChild<QComboBox*>(QStringLiteral("ComboBox3"));
}

void LanguageSwitcher::connectControls()
{
    if (m_connected)
        return;
    QComboBox* combo = selector();
    if (!combo)
        return; // the first page has no selector (yet); nothing to wire
    m_connected = true;
    connect(combo, &QComboBox::currentIndexChanged, this, [this, combo](int index) {
        // Refilling the list or selecting the language in use changes nothing.
        if (index >= 0 && combo->itemText(index) != Translator::global().currentLanguage())
            changeLanguage(combo->itemText(index));
    });
    for (const QString& name : {flagCz, flagEn}) {
        QWidget* flag = m_window->findChild<QWidget*>(name);
        if (!flag)
            continue;
        const QString code = name == flagCz ? QStringLiteral("CZ") : QStringLiteral("EN");
        if (auto* button = qobject_cast<QAbstractButton*>(flag))
            connect(button, &QAbstractButton::clicked, this, [this, code] { selectCode(code); });
        else
            flag->installEventFilter(this);
    }
}

bool LanguageSwitcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched->objectName() == flagCz)
            selectCode(QStringLiteral("CZ"));
        else if (watched->objectName() == flagEn)
            selectCode(QStringLiteral("EN"));
    }
    return QObject::eventFilter(watched, event);
}

void LanguageSwitcher::selectCode(const QString& code)
{
    // Selecting the item runs the change through the selector, as choosing it by hand does.
    if (QComboBox* combo = selector()) {
        const int index = combo->findText(code);
        if (index >= 0)
            combo->setCurrentIndex(index);
    }
}

void LanguageSwitcher::loadLanguages()
{
    LanguageWindows::instance().setLanguageFolder(m_langFolder);
    const IniStore config(m_configPath);
    const QString configured =
        config.readString(ConfigKeys::LANGUAGE, ConfigKeys::LANGUAGE_SYSTEM.toString());
    Translator& translator = Translator::global();
    const QStringList codes = translator.choose(m_langFolder, configured, platform::systemLanguageCode());
    if (QComboBox* combo = selector()) {
        const QSignalBlocker quiet(combo);
        combo->clear();
        combo->addItems(codes);
        combo->setCurrentIndex(combo->findText(translator.currentLanguage()));
    }
}

bool LanguageSwitcher::changeLanguage(const QString& code)
{
    const QString newCode = code.trimmed().toUpper();
    const QString newFile = Translator::languageFile(m_langFolder, newCode);
    if (newCode.isEmpty() || !Translator::languageCodes(m_langFolder).contains(newCode))
        return false;

    IniStore config(m_configPath);
    config.writeString(ConfigKeys::LANGUAGE, newCode);

    // The captions are in the old language: translate them through its lines, then go back to
    // the Czech master list so getLang keeps translating from Czech.
    Translator& translator = Translator::global();
    const QString oldCode = translator.currentLanguage();
    translator.setLangMaster(Translator::readLanguageFile(Translator::languageFile(m_langFolder, oldCode)));
    translator.setCurrentLanguage(newCode);
    translator.setLangTarget(Translator::readLanguageFile(newFile));
    LanguageWindows::instance().translateAll(translator, oldCode);
    translator.setLangMaster(
        Translator::readLanguageFile(Translator::languageFile(m_langFolder, Translator::masterCode)));

    if (QComboBox* combo = selector(); combo && combo->currentText() != newCode) {
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(combo->findText(newCode));
    }
    return true;
}

} // namespace ombrix::ui
