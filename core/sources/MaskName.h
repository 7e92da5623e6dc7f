#pragma once

#include <QStringView>
#include <QVarLengthArray>

namespace ombrix {

// A file or folder name prepared once for matching against any number of masks: decoded to
// whole characters (a surrogate pair counts as one) with the ASCII letters folded to upper case,
// because masks compare those letters without regard to case and every other character exactly.
class MaskName
{
  public:
    explicit MaskName(QStringView name);

    qsizetype size() const { return m_chars.size(); }
    const char32_t* data() const { return m_chars.constData(); }

  private:
    QVarLengthArray<char32_t, 256> m_chars;
};

// ASCII letters to upper case, everything else unchanged.
constexpr char32_t foldAsciiCase(char32_t c)
{
    return (c >= U'a' && c <= U'z') ? c - (U'a' - U'A') : c;
}

} // namespace ombrix
