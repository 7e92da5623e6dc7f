#include "ui/lang/LanguageWindows.h"

#include "core/lang/Translator.h"
#include "platform/SystemLanguage.h"

#include <memory>
#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QPointer>
#include <QWidget>

namespace ombrix::ui {

namespace {

const char* const roleProperty = "ombrixLanguageRole";
const char* const languageProperty = "ombrixCaptionLanguage";

QString shortClassName(const QWidget* window)
{
    const QString name = QString::fromLatin1(window->metaObject()->className());
    return name.mid(name.lastIndexOf(u':') + 1);
}

LanguageWindows* s_instance = nullptr;

} // namespace

LanguageWindows::LanguageWindows(QObject* parent) : QObject(parent), m_langFolder(platform::languageFolder())
{
    for (int i = 0; i < RoleCount; ++i)
        m_factories.append(std::function<QWidget*()>());
    if (qApp)
        qApp->installEventFilter(this);
}

LanguageWindows& LanguageWindows::instance()
{
    if (!s_instance) {
        s_instance = new LanguageWindows(qApp);
        QObject::connect(s_instance, &QObject::destroyed, [] { s_instance = nullptr; });
    }
    return *s_instance;
}

WindowTranslator::Kinds LanguageWindows::kindsOf(Role role)
{
    switch (role) {
    case MainRole:
        return WindowTranslator::mainWindowKinds();
    case EmailRole:
    case TreeRole:
        return WindowTranslator::dialogKinds();
    case MaskRole:
        return WindowTranslator::maskDialogKinds();
    default:
        return {};
    }
}

LanguageWindows::Role LanguageWindows::roleOf(const QWidget* window)
{
    if (!window || !window->isWindow())
        return NoRole;
    const QVariant set = window->property(roleProperty);
    if (set.isValid())
        return Role(set.toInt());
    static const QHash<QString, Role> byClass = {
        {QStringLiteral("MainWindow"), MainRole},
        {QStringLiteral("EmailDialog"), EmailRole},
        {QStringLiteral("EmailSettingsDialog"), EmailRole},
        {QStringLiteral("EmailForm"), EmailRole},
        {QStringLiteral("TreeWindow"), TreeRole},
        {QStringLiteral("RestoreTreeWindow"), TreeRole},
        {QStringLiteral("SelectiveTreeWindow"), TreeRole},
        {QStringLiteral("SelectiveRestoreWindow"), TreeRole},
        {QStringLiteral("MaskDialog"), MaskRole},
    };
    static const QHash<QString, Role> byObject = {
        {QStringLiteral("Form1"), MainRole},
        {QStringLiteral("emailForm"), EmailRole},
        {QStringLiteral("Form2"), TreeRole},
        {QStringLiteral("maskForm"), MaskRole},
    };
    const auto classRole = byClass.constFind(shortClassName(window));
    if (classRole != byClass.constEnd())
        return classRole.value();
    return byObject.value(window->objectName(), NoRole);
}

void LanguageWindows::add(QWidget* window, Role role)
{
    if (!window || role == NoRole)
        return;
    window->setProperty(roleProperty, int(role));
    if (!m_added.contains(window)) {
        m_added.append(window);
        connect(window, &QObject::destroyed, this, [this, window] { m_added.removeAll(window); });
    }
}

QList<QWidget*> LanguageWindows::windows() const
{
    QList<QWidget*> found;
    const auto consider = [&found](QWidget* window) {
        if (!found.contains(window) && roleOf(window) != NoRole)
            found.append(window);
    };
    for (QWidget* window : m_added)
        consider(window);
    for (QWidget* window : QApplication::topLevelWidgets())
        consider(window);
    std::stable_sort(found.begin(), found.end(),
                     [](const QWidget* a, const QWidget* b) { return roleOf(a) < roleOf(b); });
    return found;
}

QString LanguageWindows::captionLanguage(const QWidget* window)
{
    const QVariant language = window->property(languageProperty);
    return language.isValid() ? language.toString() : Translator::masterCode;
}

void LanguageWindows::translate(QWidget* window, const Translator& translator, const QString& masterCode)
{
    const Role role = roleOf(window);
    if (role == NoRole)
        return;
    const QString from = captionLanguage(window);
    const QString to = translator.currentLanguage();
    if (from == masterCode) {
        WindowTranslator::setLanguage(window, translator, kindsOf(role));
    } else {
        // The captions are in a language other than the translator's master list: go from that
        // language's file to the same target lines.
        Translator through;
        through.setCurrentLanguage(to);
        through.setLangMaster(Translator::readLanguageFile(Translator::languageFile(m_langFolder, from)));
        through.setLangTarget(translator.langTarget());
        WindowTranslator::setLanguage(window, through, kindsOf(role));
        if (from == to && masterCode == Translator::masterCode)
            WindowTranslator::setLanguage(window, translator, kindsOf(role));
    }
    window->setProperty(languageProperty, to);
}

void LanguageWindows::translateAll()
{
    translateAll(Translator::global(), Translator::masterCode);
}

void LanguageWindows::translateAll(const Translator& translator, const QString& masterCode)
{
    const QList<QWidget*> all = windows();
    for (QWidget* window : all)
        translate(window, translator, masterCode);
}

void LanguageWindows::setCheckFactory(Role role, std::function<QWidget*()> make)
{
    if (role > NoRole && role < RoleCount)
        m_factories[role] = std::move(make);
}

QStringList LanguageWindows::checkCaptions() const
{
    const QList<QWidget*> existing = windows();
    QStringList captions;
    for (int role = 0; role < RoleCount; ++role) {
        QWidget* window = nullptr;
        for (QWidget* candidate : existing) {
            if (roleOf(candidate) == role) {
                window = candidate;
                break;
            }
        }
        std::unique_ptr<QWidget> made;
        if (!window && m_factories.at(role)) {
            made.reset(m_factories.at(role)());
            window = made.get();
        }
        if (window)
            captions.append(WindowTranslator::captions(window, kindsOf(Role(role))));
    }
    return captions;
}

bool LanguageWindows::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched);
        const Translator& global = Translator::global();
        if (window->isWindow() && roleOf(window) != NoRole &&
            captionLanguage(window) != global.currentLanguage())
            translate(window, global, Translator::masterCode);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace ombrix::ui
