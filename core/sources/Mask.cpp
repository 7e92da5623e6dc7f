#include "core/sources/Mask.h"

#include <QChar>

namespace ombrix {

namespace {

std::vector<char32_t> decode(const QString& text)
{
    std::vector<char32_t> out;
    out.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out.push_back(QChar::surrogateToUcs4(u, text[i + 1].unicode()));
            ++i;
        } else {
            out.push_back(u);
        }
    }
    return out;
}

constexpr bool isAsciiLetter(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

constexpr char32_t swapAsciiCase(char32_t c)
{
    return c ^ 0x20u;
}

} // namespace

bool Mask::CharSet::contains(char32_t folded) const
{
    bool in = false;
    if (folded < 128) {
        in = (ascii[folded >> 6] >> (folded & 63)) & 1u;
    } else {
        for (const auto& [lo, hi] : ranges) {
            if (folded >= lo && folded <= hi) {
                in = true;
                break;
            }
        }
    }
    return in != negated;
}

Mask::Mask(const QString& mask) : m_text(mask)
{
    compile(decode(mask));
    if (!isValid()) {
        m_tokens.clear();
        m_sets.clear();
        m_matchesAll = false;
    }
}

QString Mask::errorText() const
{
    if (isValid())
        return {};
    // One-pass arg() so a '%' in the mask itself is never taken for a placeholder.
    return QStringLiteral("'%1' is an invalid mask at (%2)").arg(m_text, QString::number(m_errorPosition));
}

void Mask::compile(const std::vector<char32_t>& chars)
{
    const size_t n = chars.size();
    int starRuns = 0;
    size_t i = 0;
    while (i < n) {
        const char32_t c = chars[i];
        if (c == U'*') {
            if (m_tokens.empty() || m_tokens.back().kind != Kind::AnyRun) {
                if (++starRuns > maxStarRuns) {
                    m_errorPosition = int(i + 1);
                    return;
                }
                m_tokens.push_back({Kind::AnyRun, 0});
            }
            ++i;
        } else if (c == U'?') {
            m_tokens.push_back({Kind::AnyChar, 0});
            ++m_minLength;
            ++i;
        } else if (c == U'[') {
            CharSet set;
            std::vector<std::pair<char32_t, char32_t>> members;
            ++i;
            if (i < n && chars[i] == U'!') {
                set.negated = true;
                ++i;
            }
            for (;;) {
                if (i >= n) {
                    m_errorPosition = int(n + 1); // the set is never closed
                    return;
                }
                const char32_t m = chars[i];
                if (m == U']') {
                    if (members.empty()) {
                        m_errorPosition = int(i + 1);
                        return;
                    }
                    ++i;
                    break;
                }
                if (m == U'-') {
                    // A '-' right before ']' after some member is the character itself; anywhere
                    // else at the start of a member it opens a range that has no first character.
                    if (i + 1 < n && chars[i + 1] == U']' && !members.empty()) {
                        members.emplace_back(m, m);
                        ++i;
                        continue;
                    }
                    m_errorPosition = i + 1 >= n ? int(n + 1) : int(i + 1);
                    return;
                }
                if (i + 2 < n && chars[i + 1] == U'-' && chars[i + 2] != U']') {
                    members.emplace_back(m, chars[i + 2]);
                    i += 3;
                } else {
                    members.emplace_back(m, m);
                    ++i;
                }
            }
            // Which ASCII characters the set takes, with letters of either case counting as one.
            for (char32_t x = 0; x < 128; ++x) {
                bool in = false;
                for (const auto& [lo, hi] : members) {
                    if ((x >= lo && x <= hi) ||
                        (isAsciiLetter(x) && swapAsciiCase(x) >= lo && swapAsciiCase(x) <= hi)) {
                        in = true;
                        break;
                    }
                }
                if (in)
                    set.ascii[x >> 6] |= quint64(1) << (x & 63);
            }
            set.ranges = std::move(members);
            m_sets.push_back(std::move(set));
            m_tokens.push_back({Kind::Set, 0, int(m_sets.size() - 1)});
            ++m_minLength;
        } else {
            m_tokens.push_back({Kind::Literal, foldAsciiCase(c)});
            ++m_minLength;
            ++i;
        }
    }
    m_matchesAll = m_minLength == 0 && !m_tokens.empty();
}

bool Mask::singleMatches(const Token& token, char32_t c) const
{
    switch (token.kind) {
    case Kind::Literal:
        return token.ch == c;
    case Kind::AnyChar:
        return true;
    case Kind::Set:
        return m_sets[size_t(token.set)].contains(c);
    case Kind::AnyRun:
        break;
    }
    return false;
}

bool Mask::matches(const MaskName& name) const
{
    if (!isValid())
        return false;
    if (m_matchesAll)
        return true;
    const qsizetype n = name.size();
    if (n < m_minLength)
        return false;
    const char32_t* s = name.data();
    const size_t count = m_tokens.size();

    // The tokens before the first `*` and after the last one sit at fixed places at the start
    // and end of the name; `n >= m_minLength` guarantees the two ends do not overlap.
    size_t first = 0;
    while (first < count && m_tokens[first].kind != Kind::AnyRun) {
        if (!singleMatches(m_tokens[first], s[first]))
            return false;
        ++first;
    }
    if (first == count)
        return qsizetype(count) == n;
    size_t last = count - 1;
    qsizetype end = n;
    while (m_tokens[last].kind != Kind::AnyRun) {
        if (!singleMatches(m_tokens[last], s[--end]))
            return false;
        --last;
    }

    // Between them: a wildcard walk with one back-tracking point. On a mismatch the last `*`
    // swallows one more character; every other token matches exactly one character, so this is
    // complete and runs in O(name * mask) at worst without recursion.
    size_t t = first;
    qsizetype k = qsizetype(first);
    size_t starToken = count; // none yet
    qsizetype starName = 0;
    while (k < end) {
        if (t <= last && m_tokens[t].kind == Kind::AnyRun) {
            starToken = t++;
            starName = k;
            continue;
        }
        if (t <= last && singleMatches(m_tokens[t], s[k])) {
            ++t;
            ++k;
            continue;
        }
        if (starToken == count)
            return false;
        t = starToken + 1;
        k = ++starName;
    }
    while (t <= last && m_tokens[t].kind == Kind::AnyRun)
        ++t;
    return t > last;
}

} // namespace ombrix
