#include "ui/lang/LanguageHooks.h"

#include "core/lang/LanguageCheck.h"
#include "core/lang/Translator.h"
#include "platform/ProgramFolder.h"
#include "ui/dialogs/MaskDialog.h"
#include "ui/lang/LanguageSwitcher.h"
#include "ui/lang/LanguageWindows.h"
#include "ui/restoretree/TreeWindow.h"

#include <cstdio>
#include <QDir>
#include <QWidget>

namespace ombrix::ui {

namespace {

QWidget* mainWindow()
{
    for (QWidget* window : LanguageWindows::instance().windows()) {
        if (LanguageWindows::roleOf(window) == LanguageWindows::MainRole)
            return window;
    }
    return nullptr;
}

} // namespace

void LanguageHooks::install(EngineHooks& hooks)
{
    // The check collects the captions of every translated window, also of those the program
    // makes only on demand.
    LanguageWindows::instance().setCheckFactory(LanguageWindows::MaskRole, [] { return new MaskDialog; });
    LanguageWindows::instance().setCheckFactory(LanguageWindows::TreeRole,
                                                [] { return new TreeWindow(QString()); });
    auto readiness = hooks.readinessCheck;
    hooks.readinessCheck = [readiness] {
        loadLanguages();
        if (readiness)
            readiness();
    };
    hooks.translateWindow = [] {
        LanguageSwitcher::attach(mainWindow());
        LanguageWindows::instance().translateAll();
    };
    hooks.checkLanguages = [] { checkLanguages(); };
    hooks.getLang = [](const QString& text) { return getLang(text); };
}

void LanguageHooks::loadLanguages()
{
    // Without a main window there is nothing to show in; getLang then keeps the Czech texts.
    if (LanguageSwitcher* switcher = LanguageSwitcher::attach(mainWindow()))
        switcher->loadLanguages();
}

bool LanguageHooks::checkLanguages()
{
    QString error;
    if (!LanguageCheck::run(QDir::currentPath(), platform::programFolder(),
                            LanguageWindows::instance().checkCaptions(), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    return true;
}

} // namespace ombrix::ui
