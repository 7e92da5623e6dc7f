#include "storage/local/LocalTree.h"

#include "storage/local/LocalPaths.h"

#include <QFile>

namespace ombrix::storage {

namespace DT = platform::DirectoryTree;

namespace {

constexpr int pumpEvery = 256;

QString joined(const QString& folder, const QByteArray& relativePath)
{
    const QString tail = QFile::decodeName(relativePath);
    return folder.endsWith(QLatin1Char('/')) ? folder + tail : folder + QLatin1Char('/') + tail;
}

} // namespace

void listLocalDirs(const QString& path, bool recursive, QStringList& dirListing,
                   const std::function<void()>& pump)
{
    if (path.isEmpty())
        return;
    int counter = 0;
    DT::walk(AppendUNC(path), [&](const DT::Entry& entry) {
        if (pump && ++counter % pumpEvery == 0)
            pump();
        if (entry.kind != DT::Kind::Folder)
            return DT::Visit::Skip;
        dirListing.append(joined(path, entry.relativePath));
        return recursive ? DT::Visit::Descend : DT::Visit::Skip;
    });
}

quint64 SizeDir(const QString& Dir, bool SubDir, const RunState& state, const std::function<void()>& pump)
{
    if (pump)
        pump();
    if (!DirectoryExists2(Dir))
        return 0;
    quint64 total = 0;
    int counter = 0;
    DT::walk(AppendUNC(Dir), [&](const DT::Entry& entry) {
        if (pump && ++counter % pumpEvery == 0)
            pump();
        if (state.stopRequested)
            return DT::Visit::Stop;
        total += entry.size;
        if (entry.kind == DT::Kind::Folder && SubDir && !entry.name.startsWith('.'))
            return DT::Visit::Descend;
        return DT::Visit::Skip;
    });
    return total;
}

RemoveResult odstran_dir(const QString& dir, const std::function<void()>& pump)
{
    return DT::removeTree(AppendUNC(dir), pump);
}

} // namespace ombrix::storage
