#pragma once

#include "core/sources/MaskName.h"

#include <array>
#include <QString>
#include <utility>
#include <vector>

namespace ombrix {

// One file-name mask, compiled once and then matched against any number of names.
//
// The mask must match the whole name. `*` matches any run of characters (none included), `?`
// exactly one character, `[...]` one character of a set of single characters and ranges `a-z`
// (`[!...]` one character not in the set); every other character matches itself. ASCII letters
// match without regard to case, all other characters (national letters too) must be equal. The
// dot is not special: `*.*` needs a dot in the name.
//
// A mask with more than 30 separate runs of `*`, an empty set, a set not closed by `]` or a range
// without a first character is invalid: it matches nothing and errorText() says where it broke.
class Mask
{
  public:
    static constexpr int maxStarRuns = 30;

    explicit Mask(const QString& mask);

    const QString& text() const { return m_text; }
    bool isValid() const { return m_errorPosition == 0; }
    // 1-based character position of the fault, 0 for a valid mask.
    int errorPosition() const { return m_errorPosition; }
    // "'<mask>' is an invalid mask at (<position>)", empty for a valid mask.
    QString errorText() const;

    bool matches(const MaskName& name) const;
    bool matches(QStringView name) const { return matches(MaskName(name)); }

  private:
    enum class Kind : unsigned char
    {
        Literal,
        AnyChar,
        AnyRun,
        Set
    };
    struct Token
    {
        Kind kind;
        char32_t ch;  // Literal: the character, ASCII letters upper case
        int set = -1; // Set: index into m_sets
    };
    struct CharSet
    {
        bool negated = false;
        std::array<quint64, 2> ascii{}; // membership of the 128 ASCII characters, case already folded
        std::vector<std::pair<char32_t, char32_t>> ranges;
        bool contains(char32_t folded) const;
    };

    void compile(const std::vector<char32_t>& chars);
    bool singleMatches(const Token& token, char32_t c) const;

    QString m_text;
    std::vector<Token> m_tokens;
    std::vector<CharSet> m_sets;
    qsizetype m_minLength = 0; // characters the name needs at least
    bool m_matchesAll = false; // the mask is only stars
    int m_errorPosition = 0;
};

} // namespace ombrix
