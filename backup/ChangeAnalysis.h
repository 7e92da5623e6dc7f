#pragma once

#include <functional>
#include <QSet>
#include <QString>
#include <QStringList>

namespace ombrix {

class Host;
class CatalogOrder;

// Compares a freshly scanned catalog (every line naming the new set) with the previous set's
// catalog in one side-by-side walk: unchanged files take the previous line (which names the
// older set holding their archive), lines of absent storages are carried over, and with
// verification an unchanged file whose archive is gone is archived again.
//
// Files are matched by their exact path and plain-copy marker. On Linux two names that differ
// only in letter case are two files, so a file renamed only in case is a deleted file and a new
// one (archived again under its new name), and a file whose marker changed is archived again in
// its new form. Both catalogs are put into one order of those keys for the walk (whatever order
// and locale the previous run wrote its catalog in), so the walk never loses its pairing; the
// resulting catalog is sorted by the catalog order.
//
// Shows "Analýza - hledání změn" (with verification "... a kontrola archivů") and, when storages
// are absent, "Zpracování záznamů odpojených zařízení" on the backup page; progress and a pump
// every 300 lines. Loading the previous catalog and acting on the result are the caller's.
class ChangeAnalysis
{
  public:
    struct Input
    {
        QStringList newCatalog; // sorted by order
        QStringList
            previousCatalog; // as read from the previous set; lines without the full layout are ignored
        QSet<QString> missingStorages; // storage keys absent during this run's scan
        bool verifyArchives = false;   // VERIFY_LAST_ARCHIV / CheckBox7
        // testarchiv(set, path, nekompr "1"/"0"): whether that set still holds the file's archive.
        // Asked only for files whose time is unchanged; when not set, archives count as present.
        std::function<bool(const QString&, const QString&, const QString&)> archiveExists;
        // The storage key of a catalog path (the same rule the scan used for missingStorages);
        // platform::storageRoot when not set.
        std::function<QString(const QString& path)> storageOf;
    };
    struct Result
    {
        QStringList catalog;  // the catalog to write: sorted, unchanged files on their old sets
        bool changed = false; // false: nothing changed, no new set is made
        // What the walk found, for the log and for tests.
        int unchanged = 0;   // lines taken over from the previous catalog
        int archiveLost = 0; // unchanged files whose archive was gone (archived again)
        int carriedOver = 0; // lines of absent storages carried over
    };

    ChangeAnalysis(Host& host, const CatalogOrder& order);
    Result run(const Input& input);

  private:
    Host& m_host;
    const CatalogOrder& m_order;
};

} // namespace ombrix
