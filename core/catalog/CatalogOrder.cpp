#include "core/catalog/CatalogOrder.h"

#include <algorithm>

namespace ombrix {

namespace {

QLocale collationLocale(const QLocale& locale)
{
    // Qt's C collation is a plain code-unit comparison; the language-neutral (root) rules of
    // English are the locale-aware order closest to what the C locale means.
    if (locale.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

int tieBreak(QStringView a, QStringView b)
{
    if (const int folded = a.compare(b, Qt::CaseInsensitive))
        return folded;
    return a.compare(b, Qt::CaseSensitive);
}

} // namespace

CatalogOrder::CatalogOrder(const QLocale& locale) : m_collator(collationLocale(locale))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(false);
    m_collator.setIgnorePunctuation(false);
}

int CatalogOrder::compare(QStringView a, QStringView b) const
{
    if (const int byLanguage = m_collator.compare(a, b))
        return byLanguage;
    return tieBreak(a, b);
}

void CatalogOrder::sort(QStringList& lines) const
{
    // ICU compares from the first difference on, and catalog lines share long folder prefixes,
    // so comparing directly beats precomputed collation keys here (keys cost more to build than
    // the whole sort spends comparing).
    std::sort(lines.begin(), lines.end(),
              [this](const QString& a, const QString& b) { return lessThan(a, b); });
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
}

bool CatalogOrder::isSorted(const QStringList& lines) const
{
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (compare(lines.at(i - 1), lines.at(i)) >= 0)
            return false;
    }
    return true;
}

qsizetype CatalogOrder::insert(QStringList& sortedLines, const QString& line) const
{
    const auto at = std::lower_bound(sortedLines.begin(), sortedLines.end(), line,
                                     [this](const QString& x, const QString& y) { return lessThan(x, y); });
    if (at != sortedLines.end() && *at == line)
        return -1;
    const qsizetype index = at - sortedLines.begin();
    sortedLines.insert(index, line);
    return index;
}

} // namespace ombrix
