#include "merge/MergeSetList.h"

#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/host/Host.h"
#include "core/host/RunState.h"
#include "core/lang/Translator.h"
#include "core/log/Status.h"
#include "core/util/FormatSize.h"
#include "merge/MergeListControls.h"
#include "storage/Destination.h"
#include "storage/local/LocalTree.h"

#include <algorithm>
#include <utility>

namespace ombrix {

namespace {

constexpr qsizetype timeStampLength = 19;

QString text(const char* czechText)
{
    return getLang(QString::fromUtf8(czechText));
}

// How a remote destination stands after an answer that may have come from a broken connection.
enum class Connection
{
    Answers,     // it answers: the answer stands
    Reconnected, // it was opened again: the question is worth asking once more
    Gone         // it does not answer even after one more opening
};

Connection connectionAfterNo(Destination& destination)
{
    if (destination.kind() == DestinationKind::Dir || destination.keepAlive())
        return Connection::Answers;
    destination.reconnect();
    if (!destination.keepAlive())
        return Connection::Gone;
    destination.clearCaches();
    return Connection::Reconnected;
}

} // namespace

MergeSetList::MergeSetList(Host& host, MergeListControls& controls, IniStore& config, RunState& runState,
                           Destination& destination)
    : m_host(host), m_controls(controls), m_config(config), m_runState(runState), m_destination(destination)
{
}

QString MergeSetList::timeStamp(const QString& entry)
{
    return entry.left(timeStampLength);
}

QString MergeSetList::fullName(const QString& entry)
{
    return SetName::prefix.toString() + timeStamp(entry);
}

bool MergeSetList::destinationReachable() const
{
    // The network disk has no folder of its own to look for.
    if (m_destination.kind() == DestinationKind::Skyvra)
        return true;
    return m_destination.folderExists(QString());
}

MergeSetList::Listing MergeSetList::listMergeSets()
{
    if (m_measuring || m_controls.sizeCaption() == text("STOP"))
        return Listing::Busy;
    m_controls.setMergeEntries({});
    // The list shows the sets as they are now: nothing remembered from earlier questions counts.
    m_destination.clearCaches();
    if (!destinationReachable())
        return Listing::NoDestination;

    m_boundaryClickIsFirst = true;
    QStringList folders = m_destination.listSetFolders();
    if (folders.isEmpty()) {
        // A remote listing that failed looks empty too: a lost connection must not pass for a
        // destination without sets (an unfinished merge would lose its range).
        switch (connectionAfterNo(m_destination)) {
        case Connection::Answers:
            break;
        case Connection::Reconnected:
            folders = m_destination.listSetFolders();
            break;
        case Connection::Gone:
            return Listing::NoDestination;
        }
    }
    QStringList entries;
    for (const QString& set : std::as_const(folders)) {
        if (set.startsWith(SetName::prefix))
            entries << set.mid(SetName::prefix.size());
    }
    std::sort(entries.begin(), entries.end());
    m_controls.setMergeEntries(entries);

    m_controls.setMergeEnabled(false);
    m_controls.setSizeEnabled(!entries.isEmpty());
    info3(m_host, text("Kliknutím vyberte první a poslední archiv"));

    if (m_config.readInt(ConfigKeys::SUM_DONE, 0) == 1) {
        m_config.writeString(ConfigKeys::SUM_FROM, QString());
        m_config.writeString(ConfigKeys::SUM_TO, QString());
        return Listing::Listed;
    }
    const QString from = m_config.readString(ConfigKeys::SUM_FROM, QString());
    const QString to = m_config.readString(ConfigKeys::SUM_TO, QString());
    info3(m_host, text("slučování nebylo dokončeno, bude se pokračovat..."));
    // Only the target is required: a merge ended between deleting the range's first set (the last
    // one it deletes) and recording that it finished leaves a first boundary that is gone, and
    // the catalogs no longer name it; what is left of the range is still selected by time stamp.
    const QString fromSet = SetName::prefix.toString() + from;
    const QString toSet = SetName::prefix.toString() + to;
    // A range that no merge could have stored (an edited config.ini) selects nothing.
    if (!SetName::isValid(fromSet) || !SetName::isValid(toSet) || from > to)
        return Listing::RangeLost;
    bool targetThere = m_destination.folderExists(toSet);
    if (!targetThere) {
        // Only the destination's own answer says the target is gone.
        switch (connectionAfterNo(m_destination)) {
        case Connection::Answers:
            break;
        case Connection::Reconnected:
            targetThere = m_destination.folderExists(toSet);
            break;
        case Connection::Gone:
            m_controls.setMergeEntries({});
            m_controls.setSizeEnabled(false);
            return Listing::NoDestination;
        }
    }
    if (!targetThere)
        return Listing::RangeLost;
    selectMergeRange();
    enableMergeList(false);
    m_controls.setMergeEnabled(true);
    return Listing::RangeRestored;
}

void MergeSetList::pickMergeBoundary(int position)
{
    const QStringList entries = m_controls.mergeEntries();
    if (position < 0 || position >= entries.size())
        return;
    m_controls.setMergeEnabled(false);
    const QString storedFrom = m_config.readString(ConfigKeys::SUM_FROM, QString());
    m_host.pump();

    QString from;
    QString to;
    if (m_boundaryClickIsFirst) {
        from = timeStamp(entries.at(position));
    } else {
        from = storedFrom;
        to = timeStamp(entries.at(position));
    }
    if (from == to)
        to.clear();
    if (!to.isEmpty() && from > to)
        std::swap(from, to);
    m_boundaryClickIsFirst = !m_boundaryClickIsFirst;
    m_config.writeString(ConfigKeys::SUM_FROM, from);
    m_config.writeString(ConfigKeys::SUM_TO, to);

    if (!to.isEmpty()) {
        selectMergeRange();
        m_controls.setMergeEnabled(true);
        info3(m_host, text("Připraveno, sloučí se vybrané archivy"));
    } else {
        // Only the clicked boundary stays highlighted, not what was left of an earlier range.
        m_controls.clearMergeSelection();
        m_controls.setMergeEntrySelected(position, true);
        info3(m_host, text("vyberte druhý hraniční archiv"));
    }
}

void MergeSetList::selectMergeRange()
{
    const QString from = m_config.readString(ConfigKeys::SUM_FROM, QString());
    const QString to = m_config.readString(ConfigKeys::SUM_TO, QString());
    m_controls.clearMergeSelection();
    if (to.isEmpty())
        return;
    const QStringList entries = m_controls.mergeEntries();
    for (int q = 0; q < entries.size(); ++q) {
        const QString stamp = timeStamp(entries.at(q));
        if (stamp >= from && stamp <= to)
            m_controls.setMergeEntrySelected(q, true);
    }
}

void MergeSetList::measureSelectedSets()
{
    m_runState.stopRequested = false;
    if (m_measuring || m_controls.sizeCaption() == text("STOP")) {
        m_runState.stopRequested = true;
        return;
    }
    m_measuring = true;
    m_controls.setSizeCaption(text("STOP"));
    info3(m_host, text("probíhá zjišťování velikosti archivů.."));
    m_controls.setMergeEnabled(false);

    const auto finish = [this] {
        m_controls.setSizeCaption(text("Velikost vybraných archivů"));
        m_measuring = false;
    };
    if (!destinationReachable()) {
        finish();
        return;
    }

    QStringList entries = m_controls.mergeEntries();
    const QList<int> selected = m_controls.selectedPositions();
    QStringList names;
    for (int q : selected) {
        if (q >= 0 && q < entries.size())
            names << fullName(entries.at(q));
    }
    if (names.isEmpty()) {
        finish();
        info3(m_host, text("Nejsou vybrány archivy"));
        return;
    }
    for (qsizetype k = selected.size() - 1; k >= 0; --k) {
        if (selected.at(k) >= 0 && selected.at(k) < entries.size())
            m_controls.removeMergeEntry(selected.at(k));
    }

    const int maximum = int(names.size()) - 1;
    double sum = 0;
    for (int k = 0; k < names.size(); ++k) {
        m_host.setProgress(Page::Merge, maximum, k);
        m_host.pump();
        const QString& name = names.at(k);
        double size = 0;
        const QString local = m_destination.localPath(name);
        if (!local.isEmpty()) {
            // After STOP a folder shows what was counted up to then.
            size = double(storage::SizeDir(local, true, m_runState, [this] { m_host.pump(); }));
        } else {
            // On the server the walk shows each folder it lists and gives 0 once STOP was seen.
            size = m_destination.treeSize(name, [this] { return m_runState.stopRequested; });
        }
        const QString entry = name.mid(SetName::prefix.size()) + QStringLiteral(" ..... ") + formatSize(size);
        // Back into its old place: the list is kept in order of its texts.
        entries = m_controls.mergeEntries();
        const auto place = std::lower_bound(entries.begin(), entries.end(), entry);
        m_controls.insertMergeEntry(int(place - entries.begin()), entry);
        sum += size;
    }

    selectMergeRange();
    // The range stays chosen, so it can still be merged without clicking it again.
    if (m_controls.selectedPositions().size() >= 2)
        m_controls.setMergeEnabled(true);
    m_host.setProgress(Page::Merge, maximum, 0);
    info3(m_host, text("Součet velikostí vybraných archivů:") + QLatin1Char(' ') + formatSize(sum));
    finish();
}

void MergeSetList::enableMergeList(bool on)
{
    m_controls.enableMergeList(on);
}

} // namespace ombrix
