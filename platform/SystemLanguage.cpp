#include "platform/SystemLanguage.h"

#include "core/lang/Translator.h"
#include "platform/ProgramFolder.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace ombrix::platform {

QString systemLanguageName()
{
    const QStringList languages = QLocale::system().uiLanguages();
    if (languages.isEmpty())
        return {};
    QString name = languages.first();
    const qsizetype cut = name.indexOf(QRegularExpression(QStringLiteral("[-_.@]")));
    if (cut >= 0)
        name.truncate(cut);
    return name.toLower();
}

QString systemLanguageCode()
{
    return Translator::codeForSystemLanguage(systemLanguageName());
}

QString languageFolder()
{
    return Translator::findLangFolder(languageSearchFolders(programFolder(), executableFolder()));
}

} // namespace ombrix::platform
