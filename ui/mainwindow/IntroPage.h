#pragma once

#include <QWidget>

class QComboBox;
class QToolButton;

namespace ombrix::ui {

class LinkLabel;

// Page 0 "Úvod": the program's name and version, the language selector ComboBox3 with the flags
// vlajka_cz and vlajka_en, and the links to the maker's web site (Label23) and contact address
// (Label24). The language switching itself is connected by the translation wiring.
class IntroPage : public QWidget
{
    Q_OBJECT

  public:
    explicit IntroPage(QWidget* parent = nullptr);

    QComboBox* languageSelector() const { return m_language; } // ComboBox3
    QToolButton* czechFlag() const { return m_flagCz; }        // vlajka_cz
    QToolButton* englishFlag() const { return m_flagEn; }      // vlajka_en
    LinkLabel* webLink() const { return m_web; }               // Label23
    LinkLabel* mailLink() const { return m_mail; }             // Label24

  private:
    QComboBox* m_language;
    QToolButton* m_flagCz;
    QToolButton* m_flagEn;
    LinkLabel* m_web;
    LinkLabel* m_mail;
};

} // namespace ombrix::ui
