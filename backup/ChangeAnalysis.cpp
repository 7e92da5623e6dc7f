#include "backup/ChangeAnalysis.h"

#include "core/catalog/CatalogLine.h"
#include "core/catalog/CatalogOrder.h"
#include "core/host/Host.h"
#include "core/lang/Translator.h"
#include "core/log/Status.h"
#include "platform/FileSystemInfo.h"

#include <algorithm>
#include <vector>

namespace ombrix {

namespace {

constexpr int progressEvery = 300;

// What a catalog line is matched by, and the order the walk goes in: the exact path, then the
// marker (compressed before plain copy), then the whole line so equal keys have a fixed order.
struct Keyed
{
    QString path;
    bool plain = false;
    qsizetype index = 0; // of the line in its catalog
};

int compareKeys(const Keyed& a, const Keyed& b)
{
    if (const int byPath = QStringView(a.path).compare(QStringView(b.path), Qt::CaseSensitive))
        return byPath;
    return int(a.plain) - int(b.plain);
}

std::vector<Keyed> keyed(const QStringList& lines)
{
    std::vector<Keyed> out;
    out.reserve(size_t(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i)
        out.push_back(
            Keyed{catalogField(lines.at(i), CatalogLine::Path), CatalogLine::isPlainCopy(lines.at(i)), i});
    std::sort(out.begin(), out.end(), [&lines](const Keyed& a, const Keyed& b) {
        if (const int c = compareKeys(a, b))
            return c < 0;
        return lines.at(a.index) < lines.at(b.index);
    });
    return out;
}

} // namespace

ChangeAnalysis::ChangeAnalysis(Host& host, const CatalogOrder& order) : m_host(host), m_order(order) {}

ChangeAnalysis::Result ChangeAnalysis::run(const Input& input)
{
    Result result;
    info(m_host, input.verifyArchives ? getLang(QStringLiteral("Analýza - hledání změn a kontrola archivů"))
                                      : getLang(QStringLiteral("Analýza - hledání změn")));

    QStringList previous;
    previous.reserve(input.previousCatalog.size());
    for (const QString& line : input.previousCatalog) {
        if (CatalogLine::isWellFormed(line))
            previous.append(line);
    }
    const QStringList& fresh = input.newCatalog;
    const std::vector<Keyed> newKeys = keyed(fresh);
    const std::vector<Keyed> oldKeys = keyed(previous);
    const qsizetype newCount = fresh.size();
    const qsizetype oldCount = previous.size();

    const auto storageOf =
        input.storageOf ? input.storageOf : [](const QString& path) { return platform::storageRoot(path); };
    const auto onMissingStorage = [&](const QString& path) {
        return !input.missingStorages.isEmpty() && input.missingStorages.contains(storageOf(path));
    };

    QStringList catalog = fresh; // lines replaced in place by the previous ones of unchanged files
    QStringList carried;
    bool changed = newCount != oldCount;
    const int progressMax = int(std::max<qsizetype>(newCount - 1, 0));

    qsizetype q = 0;
    qsizetype b = 0;
    qsizetype lastReported = -1;
    while (q < newCount && b < oldCount) {
        if (q % progressEvery == 0 && q != lastReported) {
            lastReported = q;
            m_host.setProgress(Page::Backup, progressMax, int(q));
            m_host.pump();
        }
        const Keyed& n = newKeys[size_t(q)];
        const Keyed& o = oldKeys[size_t(b)];
        const QString& oldLine = previous.at(o.index);
        if (onMissingStorage(o.path)) {
            carried.append(oldLine);
            ++b;
            continue;
        }
        const int order = compareKeys(n, o);
        if (order < 0) { // a new file
            ++q;
            changed = true;
            continue;
        }
        if (order > 0) { // a file that is gone: its line is dropped
            ++b;
            changed = true;
            continue;
        }
        const QString& newLine = fresh.at(n.index);
        const bool sameTime =
            catalogField(newLine, CatalogLine::Time) == catalogField(oldLine, CatalogLine::Time);
        bool archived = true;
        if (sameTime && input.verifyArchives && input.archiveExists) {
            archived = input.archiveExists(catalogField(oldLine, CatalogLine::Set), o.path,
                                           n.plain ? QStringLiteral("1") : QStringLiteral("0"));
            if (!archived)
                ++result.archiveLost;
        }
        if (sameTime && archived) {
            catalog[n.index] = oldLine;
            ++result.unchanged;
        } else {
            changed = true; // newer, older or lost: archived again into the new set
        }
        ++q;
        ++b;
    }
    m_host.setProgress(Page::Backup, progressMax, 0);

    if (!input.missingStorages.isEmpty()) {
        info(m_host, getLang(QStringLiteral("Zpracování záznamů odpojených zařízení")));
        const int restMax = int(std::max<qsizetype>(oldCount - 1 - b, 0));
        for (qsizetype i = b; i < oldCount; ++i) {
            if ((i - b) % progressEvery == 0) {
                m_host.setProgress(Page::Backup, restMax, int(i - b));
                m_host.pump();
            }
            const Keyed& o = oldKeys[size_t(i)];
            if (onMissingStorage(o.path))
                carried.append(previous.at(o.index));
        }
        m_host.setProgress(Page::Backup, restMax, 0);
        b = oldCount;
    }
    // Lines left on either side are new files (they keep the new set) or files that are gone.
    if (b != q)
        changed = true;

    result.carriedOver = int(carried.size());
    catalog += carried;
    m_order.sort(catalog);
    result.catalog = catalog;
    result.changed = changed;
    return result;
}

} // namespace ombrix
