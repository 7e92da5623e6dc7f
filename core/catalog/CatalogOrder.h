#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace ombrix {

// The order of catalog lines: whole lines compared case-insensitively by the rules of a
// language (so "č" sorts after "c" and "ch" after "h" in Czech). Where that comparison finds two
// lines equal (they differ only in letter case, or in characters the language ignores), they
// are ordered by their case-folded and then their exact code units, so the order is total and
// the same on every run.
//
// Only lines that are exactly equal count as duplicates. On Linux two paths that differ only in
// letter case are two different files; keeping one of their lines would leave the other file
// out of every backup.
class CatalogOrder
{
  public:
    // The system language by default; the language-neutral order when that is the C locale.
    explicit CatalogOrder(const QLocale& locale = QLocale::system());

    // <0, 0 or >0; 0 only for identical text.
    int compare(QStringView a, QStringView b) const;
    bool lessThan(QStringView a, QStringView b) const { return compare(a, b) < 0; }

    // Sorts lines into catalog order and drops exact duplicates.
    void sort(QStringList& lines) const;
    // Whether lines is in catalog order without duplicates.
    bool isSorted(const QStringList& lines) const;
    // Inserts a line into sorted lines at its place; returns its index, or -1 when the same line
    // is already there (nothing inserted).
    qsizetype insert(QStringList& sortedLines, const QString& line) const;

    QLocale locale() const { return m_collator.locale(); }

  private:
    QCollator m_collator;
};

} // namespace ombrix
