#include "core/lang/Translator.h"

#include "core/text/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace ombrix {

namespace {

// A language file is a few hundred lines; anything far bigger is not one.
constexpr qint64 maxLanguageFileBytes = 16 * 1024 * 1024;

// Lines of the language-check mode that mark added and dropped texts; they translate nothing,
// and neither does an empty master line.
bool isCheckMark(const QString& line)
{
    return line.startsWith(QLatin1String("A:")) || line.startsWith(QLatin1String("D:"));
}

} // namespace

QString Translator::codeForSystemLanguage(const QString& isoName)
{
    static const QHash<QString, QString> codes = {
        {QStringLiteral("cs"), QStringLiteral("CZ")}, {QStringLiteral("en"), QStringLiteral("EN")},
        {QStringLiteral("de"), QStringLiteral("DE")}, {QStringLiteral("sk"), QStringLiteral("SK")},
        {QStringLiteral("fr"), QStringLiteral("FR")}, {QStringLiteral("pl"), QStringLiteral("PL")},
        {QStringLiteral("hu"), QStringLiteral("HU")},
    };
    return codes.value(isoName.trimmed().toLower());
}

QString Translator::findLangFolder(const QStringList& candidateFolders)
{
    for (const QString& folder : candidateFolders) {
        const QString lang = QDir(folder).filePath(QStringLiteral("lang"));
        if (QFileInfo(lang).isDir())
            return lang;
    }
    if (candidateFolders.isEmpty())
        return QStringLiteral("lang");
    return QDir(candidateFolders.first()).filePath(QStringLiteral("lang"));
}

QStringList Translator::languageCodes(const QString& langFolder)
{
    QStringList codes;
    const QStringList files = QDir(langFolder).entryList(QDir::Files, QDir::Name);
    for (const QString& name : files) {
        const QString code = name.left(2).toUpper();
        if (!codes.contains(code))
            codes.append(code);
    }
    return codes;
}

QString Translator::languageFile(const QString& langFolder, const QString& code)
{
    return QDir(langFolder).filePath(code.toLower() + QStringLiteral(".txt"));
}

QString Translator::chooseLanguage(const QString& configured, const QString& systemCode,
                                   const QStringList& available)
{
    QString code = configured.trimmed().toUpper();
    if (code.isEmpty() || code == systemSetting)
        code = systemCode.trimmed().toUpper();
    if (!code.isEmpty() && available.contains(code))
        return code;
    return fallbackCode;
}

QStringList Translator::readLanguageFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxLanguageFileBytes)
        return {};
    return TextFile::readLines(path).lines;
}

QStringList Translator::choose(const QString& langFolder, const QString& configured,
                               const QString& systemCode)
{
    const QStringList codes = languageCodes(langFolder);
    load(langFolder, chooseLanguage(configured, systemCode, codes));
    return codes;
}

void Translator::load(const QString& langFolder, const QString& code)
{
    setCurrentLanguage(code);
    setLangMaster(readLanguageFile(languageFile(langFolder, masterCode)));
    m_target = m_currentLanguage == masterCode
                   ? m_master
                   : readLanguageFile(languageFile(langFolder, m_currentLanguage));
}

void Translator::setLangMaster(const QStringList& lines)
{
    m_master = lines;
    // Keep the first occurrence of a duplicated text: walk back to front so earlier lines win.
    m_masterIndex.clear();
    for (qsizetype i = m_master.size() - 1; i >= 0; --i) {
        const QString& line = m_master.at(i);
        if (!line.isEmpty() && !isCheckMark(line))
            m_masterIndex.insert(line.toCaseFolded(), i);
    }
}

bool Translator::lookup(const QString& text, QString* translated) const
{
    const auto found = m_masterIndex.constFind(text.toCaseFolded());
    if (found == m_masterIndex.constEnd() || found.value() >= m_target.size())
        return false;
    if (translated)
        *translated = m_target.at(found.value());
    return true;
}

QString Translator::getLang(const QString& fraze) const
{
    if (m_currentLanguage == masterCode)
        return fraze;
    QString translated;
    if (!lookup(fraze, &translated) || translated.trimmed().isEmpty())
        return fraze;
    return translated;
}

Translator& Translator::global()
{
    static Translator translator;
    return translator;
}

QString getLang(const QString& fraze)
{
    return Translator::global().getLang(fraze);
}

} // namespace ombrix
