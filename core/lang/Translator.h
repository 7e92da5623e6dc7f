#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace ombrix {

// The program's texts are Czech; a language file translates them by line: line i of the target
// file is the translation of line i of the master list lang/cz.txt. The translator holds the
// chosen language and both lists, and answers getLang.
class Translator
{
  public:
    // The code of the master language, whose texts need no lookup.
    static inline const QString masterCode = QStringLiteral("CZ");
    // The language used when the chosen one has no file.
    static inline const QString fallbackCode = QStringLiteral("EN");
    // The configuration value that asks for the operating system's language.
    static inline const QString systemSetting = QStringLiteral("SYSTEM");

    // The language code for an ISO 639 language name of the system ("cs" gives "CZ"); empty for
    // a language the program does not know.
    static QString codeForSystemLanguage(const QString& isoName);
    // The "lang" folder below the first candidate folder that has one; the first candidate's
    // "lang" when none has (an empty list gives "lang").
    static QString findLangFolder(const QStringList& candidateFolders);
    // The codes of the files in a lang folder: the first two characters of each file name in
    // upper case, in listing order, each code once.
    static QStringList languageCodes(const QString& langFolder);
    // The file of a language code: lang folder + code in lower case + ".txt".
    static QString languageFile(const QString& langFolder, const QString& code);
    // The language to use: the configured code (SYSTEM or empty meaning the system's code) when
    // one of the available codes equals it, otherwise EN.
    static QString chooseLanguage(const QString& configured, const QString& systemCode,
                                  const QStringList& available);
    // The lines of a language file; empty when it is missing, unreadable or implausibly large.
    static QStringList readLanguageFile(const QString& path);

    // The whole choice at start-up: lists the lang folder, chooses the language and loads the
    // master list and the target list. Returns the codes found, for the language selector.
    QStringList choose(const QString& langFolder, const QString& configured, const QString& systemCode);
    // Loads the master list (cz.txt) and the file of the given code as the target.
    void load(const QString& langFolder, const QString& code);

    // The text in the current language: the target line at the index of the first master line
    // equal to the text (ignoring case); the text itself when the language is CZ, the text is not
    // in the master list, the target has no such line or the line is blank.
    QString getLang(const QString& fraze) const;
    // The target line for a master text, even when empty; false when the text is not in the
    // master list or the target has no such line. Captions are translated this way.
    bool lookup(const QString& text, QString* translated) const;

    const QString& currentLanguage() const { return m_currentLanguage; }
    void setCurrentLanguage(const QString& code) { m_currentLanguage = code.toUpper(); }
    const QStringList& langMaster() const { return m_master; }
    const QStringList& langTarget() const { return m_target; }
    void setLangMaster(const QStringList& lines);
    void setLangTarget(const QStringList& lines) { m_target = lines; }

    // The translator the whole program uses.
    static Translator& global();

  private:
    QString m_currentLanguage = masterCode;
    QStringList m_master;
    QStringList m_target;
    // Case-folded master line -> index of its first occurrence.
    QHash<QString, qsizetype> m_masterIndex;
};

// The text in the program's current language (Translator::global()).
QString getLang(const QString& fraze);

} // namespace ombrix
