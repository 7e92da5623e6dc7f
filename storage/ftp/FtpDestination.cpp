#include "storage/ftp/FtpDestination.h"

#include "core/host/Host.h"
#include "core/host/RunState.h"
#include "core/log/Status.h"
#include "core/remote/ListingLine.h"
#include "core/remote/RemoteName.h"
#include "storage/ftp/FtpConnection.h"

#include <QFileInfo>
#include <utility>

namespace ombrix {

namespace {

const QString typeFact = QStringLiteral("type");
const QString sizeFact = QStringLiteral("size");
const QString nameFact = QStringLiteral("FileName");

// A path in slash form; a blank one is the server's root.
QString slashForm(const QString& path)
{
    const QString d = lomitka(path);
    return d.trimmed().isEmpty() ? QStringLiteral("/") : d;
}

QString joinServer(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// The folder part of a slash-form path ("/" for an entry directly in the root) and its name.
QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString nameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

bool isFolderEntry(const QString& line, QString& name)
{
    name = listingFact(line, nameFact);
    return listingFact(line, typeFact) == QLatin1String("dir") && !name.isEmpty() &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

// Removes key and every key below it ("key/...") from a folder cache.
void removeWithChildren(QHash<QString, QString>& map, const QString& key)
{
    const QString below = key + QLatin1Char('/');
    for (auto it = map.begin(); it != map.end();) {
        if (it.key() == key || it.key().startsWith(below))
            it = map.erase(it);
        else
            ++it;
    }
}

} // namespace

FtpDestination::FtpDestination(DestinationKind kind, const QString& remoteFolder, FtpConnection& connection,
                               Host& host, RunState& state, RunLog* runLog)
    : m_kind(kind), m_remoteFolder(kind == DestinationKind::Skyvra ? QString() : remoteFolder),
      m_connection(connection), m_host(host), m_state(state), m_uploader(connection, host, state, runLog)
{
}

bool FtpDestination::isOnline() const
{
    return online();
}

bool FtpDestination::online() const
{
    return m_connection.usable() && m_connection.ftpOnline();
}

QString FtpDestination::remotePath(const QString& relPath) const
{
    if (m_remoteFolder.isEmpty())
        return relPath;
    if (relPath.isEmpty())
        return m_remoteFolder;
    return m_remoteFolder + QLatin1Char('/') + relPath;
}

bool FtpDestination::serverStep(const std::function<bool()>& step)
{
    if (step())
        return true;
    FtpClient& client = m_connection.client();
    if (client.isOpen())
        return false; // the server answered no
    m_connection.ftpReconect();
    if (!client.isOpen())
        return false;
    return step();
}

void FtpDestination::forgetListing()
{
    m_caches.fileSizes.clear();
    m_lastListedDir.clear();
}

void FtpDestination::clearDestCaches()
{
    m_caches.existingFolders.clear();
    m_caches.missingFolders.clear();
    m_caches.fileSizes.clear();
    m_lastListedDir.clear();
}

bool FtpDestination::stopSeen(const std::function<bool()>& stopCheck) const
{
    return m_state.stopRequested || (stopCheck && stopCheck());
}

bool FtpDestination::DirectoryExistsF(const QString& directory)
{
    if (!online())
        return false;
    const QString d = slashForm(directory);
    if (m_caches.existingFolders.contains(d))
        return true;
    if (m_caches.missingFolders.contains(d))
        return false;
    m_connection.ftpReconect();
    FtpClient& client = m_connection.client();
    if (serverStep([&] { return client.changeDir(fnEncode(d)); })) {
        m_caches.existingFolders.insert(d, QStringLiteral("1"));
        return true;
    }
    // A lost connection says nothing about the folder; only the server's own refusal is kept.
    if (client.isOpen())
        m_caches.missingFolders.insert(d, QStringLiteral("1"));
    return false;
}

bool FtpDestination::FileExistsF(const QString& soubor, QString* error)
{
    m_connection.ftpReconect();
    if (!online())
        return false;
    QString s = soubor;
    s.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (s.endsWith(QLatin1Char('\\')))
        s.chop(1);
    if (s.startsWith(QLatin1Char('\\')))
        s.remove(0, 1);
    const QString key = fnEncode(lomitka(s));
    if (m_caches.fileSizes.contains(key))
        return true;

    const qsizetype slash = s.lastIndexOf(QLatin1Char('\\'));
    QString dir = QStringLiteral("/") + (slash < 0 ? QString() : s.left(slash));
    dir.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString name = s.mid(slash + 1);
    if (!DirectoryExistsF(dir))
        return false;

    FtpClient& client = m_connection.client();
    const bool listed = serverStep([&] {
        QString current;
        if (!client.changeDir(fnEncode(dir)) || !client.printDir(current))
            return false;
        if (current.isEmpty() || current != m_lastListedDir) {
            QStringList lines;
            if (!client.listDetailed(QStringLiteral("*"), lines))
                return false;
            m_ftpListingBuffer = lines;
            m_lastListedDir = current;
        }
        return true;
    });
    if (!listed) {
        if (error)
            *error = client.lastError();
        return false;
    }

    const QString wanted = encodeRemoteName(name);
    bool found = false;
    QString foundSize;
    for (const QString& line : std::as_const(m_ftpListingBuffer)) {
        // Only files go into the map: a folder answered from there would count as the file.
        const QString entry = listingFact(line, nameFact);
        if (entry.isEmpty() || listingFact(line, typeFact) != QLatin1String("file"))
            continue;
        const QString size = listingFact(line, sizeFact);
        m_caches.fileSizes.insert(joinServer(m_lastListedDir, entry), size);
        if (entry == wanted) {
            found = true;
            foundSize = size;
        }
    }
    // A server that names its folders in another form than ours still gets the size asked
    // by our own key.
    if (found && !key.isEmpty())
        m_caches.fileSizes.insert(key, foundSize);
    return found;
}

qint64 FtpDestination::FileSizeF(const QString& soubor, QString* error)
{
    if (!online() || !FileExistsF(soubor, error))
        return 0;
    const QString key = fnEncode(lomitka(soubor));
    const auto it = m_caches.fileSizes.constFind(key);
    if (it == m_caches.fileSizes.constEnd()) {
        if (error)
            *error = QStringLiteral("no size known for ") + key;
        return 0;
    }
    bool ok = false;
    const qint64 size = it.value().toLongLong(&ok);
    if (!ok) {
        if (error)
            *error = QStringLiteral("unreadable size \"") + it.value() + QStringLiteral("\" of ") + key;
        return 0;
    }
    return size;
}

bool FtpDestination::vytvor_adresarF(const QString& adresar)
{
    if (adresar.isEmpty())
        return false;
    const QString a = lomitka(adresar);
    if (m_caches.existingFolders.contains(a))
        return true;
    FtpClient& client = m_connection.client();
    const auto make = [&](const QString& folder) {
        m_connection.ftpReconect();
        serverStep([&] { return client.makeDir(fnEncode(folder)); });
        m_caches.missingFolders.remove(folder);
    };
    for (qsizetype i = 1; i < a.size(); ++i) {
        if (a.at(i) != QLatin1Char('/'))
            continue;
        const QString p = a.left(i);
        if (!DirectoryExistsF(p))
            make(p);
    }
    if (!DirectoryExistsF(a))
        make(a);
    m_lastListedDir.clear();
    return DirectoryExistsF(a);
}

bool FtpDestination::listServerFolders(const QString& serverPath, const QString& prefix, bool recursive,
                                       QStringList& out, QString* error)
{
    FtpClient& client = m_connection.client();
    QStringList lines;
    const bool listed = serverStep(
        [&] { return client.changeDir(serverPath) && client.listDetailed(QStringLiteral("*"), lines); });
    if (!listed) {
        if (error)
            *error = client.lastError();
        return false;
    }
    for (const QString& line : std::as_const(lines)) {
        QString name;
        if (!isFolderEntry(line, name))
            continue;
        const QString entry = prefix.isEmpty() ? name : prefix + QLatin1Char('/') + name;
        out.append(entry);
        if (recursive && !listServerFolders(joinServer(serverPath, name), entry, true, out, error))
            return false;
    }
    return true;
}

bool FtpDestination::adresarF(const QString& directory, bool rekurze, QStringList& dirListing, QString* error)
{
    if (!online())
        return true;
    QString d = fnEncode(directory);
    d.replace(QLatin1Char('\\'), QLatin1Char('/'));
    m_connection.ftpReconect();
    return listServerFolders(slashForm(QStringLiteral("/") + d), d, rekurze, dirListing, error);
}

double FtpDestination::SizeDirF(const QString& dir, double velikost, const std::function<bool()>& stopCheck)
{
    m_host.pump();
    const QString d = slashForm(dir);
    m_connection.ftpReconect();
    info3(m_host, d);
    FtpClient& client = m_connection.client();
    QStringList lines;
    if (!serverStep([&] { return client.changeDir(d) && client.listDetailed(QStringLiteral("*"), lines); }))
        return velikost;
    for (const QString& line : std::as_const(lines)) {
        if (stopSeen(stopCheck))
            break;
        QString name;
        if (isFolderEntry(line, name))
            velikost = SizeDirF(joinServer(d, name), velikost, stopCheck);
        else if (listingFact(line, typeFact) == QLatin1String("file"))
            velikost += listingFact(line, sizeFact).toDouble();
    }
    return stopSeen(stopCheck) ? 0 : velikost;
}

bool FtpDestination::fileExists(const QString& relPath)
{
    return FileExistsF(remotePath(relPath));
}

bool FtpDestination::folderExists(const QString& relPath)
{
    return DirectoryExistsF(remotePath(relPath));
}

bool FtpDestination::makeFolders(const QString& relPath)
{
    return online() && vytvor_adresarF(slashForm(remotePath(relPath)));
}

qint64 FtpDestination::fileSize(const QString& relPath)
{
    const QString path = remotePath(relPath);
    if (!online() || !FileExistsF(path))
        return -1;
    const auto it = m_caches.fileSizes.constFind(fnEncode(lomitka(path)));
    if (it == m_caches.fileSizes.constEnd())
        return -1;
    bool ok = false;
    const qint64 size = it.value().toLongLong(&ok);
    return ok ? size : -1;
}

bool FtpDestination::deleteFile(const QString& relPath)
{
    if (!online())
        return false;
    const QString path = lomitka(remotePath(relPath));
    m_connection.ftpReconect();
    FtpClient& client = m_connection.client();
    const bool deleted = serverStep([&] { return client.deleteFile(fnEncode(path)); });
    // The held listing still shows the file: the next question must look again.
    m_caches.fileSizes.remove(fnEncode(path));
    m_lastListedDir.clear();
    if (deleted)
        return true;
    if (!client.isOpen())
        return false;
    QString error;
    const bool stillThere = FileExistsF(path, &error);
    return !stillThere && error.isEmpty();
}

TransferResult FtpDestination::storeFile(const QString& localFile, const QString& relPath)
{
    TransferResult result;
    const QString path = lomitka(remotePath(relPath));
    const QString folder = folderOf(path);
    const QString name = nameOf(path);
    if (!online() || name.isEmpty() || !QFileInfo(localFile).isFile())
        return result;
    FtpClient& client = m_connection.client();

    // Whatever lies there goes first: an uploader that fails at once must never leave an older
    // file of the same size to be taken for the new one.
    QString error;
    if (FileExistsF(path, &error)) {
        m_connection.ftpReconect();
        serverStep([&] { return client.deleteFile(fnEncode(path)); });
        forgetListing();
        if (FileExistsF(path, &error)) {
            result.error = client.lastError().isEmpty() ? QStringLiteral("cannot replace ") + fnEncode(path)
                                                        : client.lastError();
            return result;
        }
    }
    if (!error.isEmpty()) {
        result.error = error;
        return result;
    }

    m_connection.ftpReconect();
    const QString serverFolder = fnEncode(folder);
    if (!serverStep([&] { return client.changeDir(serverFolder); })) {
        result.error = client.lastError();
        return result;
    }
    const UploadResult upload = m_uploader.ftpExternalPUT(localFile, encodeRemoteName(name), serverFolder);
    forgetListing();
    if (!upload.started) {
        result.error = upload.error;
        return result;
    }
    if (upload.killed)
        return result; // stalled or stopped: whatever arrived is not the whole file

    // Only a remote file of exactly the local size counts; a shorter one stays for the next
    // attempt to replace.
    error.clear();
    if (!FileExistsF(path, &error)) {
        result.error = error;
        return result;
    }
    const qint64 remoteSize = FileSizeF(path, &error);
    if (!error.isEmpty()) {
        result.error = error;
        return result;
    }
    result.ok = remoteSize == QFileInfo(localFile).size();
    return result;
}

TransferResult FtpDestination::fetchFile(const QString& relPath, const QString& localFile)
{
    TransferResult result;
    const QString path = lomitka(remotePath(relPath));
    const QString name = nameOf(path);
    if (!online() || name.isEmpty() || QFileInfo::exists(localFile) || QFileInfo(localFile).isSymLink())
        return result;
    m_connection.ftpReconect();
    FtpClient& client = m_connection.client();
    const QString serverFolder = fnEncode(folderOf(path));
    const bool fetched = serverStep(
        [&] { return client.changeDir(serverFolder) && client.download(encodeRemoteName(name), localFile); });
    if (!fetched) {
        result.error = client.lastError();
        return result;
    }
    result.ok = QFileInfo(localFile).isFile();
    return result;
}

QStringList FtpDestination::listSetFolders()
{
    QStringList found;
    if (!adresarF(m_remoteFolder, false, found))
        return {};
    QStringList sets;
    for (const QString& entry : std::as_const(found)) {
        const QString set = nameOf(entry);
        if (set.startsWith(QLatin1String("OMX_")))
            sets.append(set);
    }
    sets.sort();
    return sets;
}

bool FtpDestination::renameEntry(const QString& fromRelPath, const QString& toRelPath)
{
    if (!online() || fromRelPath.isEmpty() || toRelPath.isEmpty())
        return false;
    const QString from = lomitka(remotePath(fromRelPath));
    const QString to = lomitka(remotePath(toRelPath));
    m_connection.ftpReconect();
    FtpClient& client = m_connection.client();
    const bool renamed = serverStep([&] { return client.rename(fnEncode(from), fnEncode(to)); });
    // Both places look different now, and so does everything below a moved folder.
    forgetListing();
    removeWithChildren(m_caches.existingFolders, from);
    removeWithChildren(m_caches.missingFolders, from);
    removeWithChildren(m_caches.existingFolders, to);
    removeWithChildren(m_caches.missingFolders, to);
    return renamed;
}

bool FtpDestination::removeServerTree(const QString& serverPath, const std::function<void()>& pump)
{
    if (pump)
        pump();
    FtpClient& client = m_connection.client();
    if (!serverStep([&] { return client.changeDir(serverPath); }))
        return client.isOpen(); // the server says there is no such folder: nothing to remove
    QStringList lines;
    const bool listed = serverStep(
        [&] { return client.changeDir(serverPath) && client.listDetailed(QStringLiteral("*"), lines); });
    if (!listed)
        return false;
    bool complete = true;
    for (const QString& line : std::as_const(lines)) {
        QString name;
        if (isFolderEntry(line, name)) {
            complete = removeServerTree(joinServer(serverPath, name), pump) && complete;
            continue;
        }
        name = listingFact(line, nameFact);
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        const QString file = joinServer(serverPath, name);
        complete = serverStep([&] { return client.deleteFile(file); }) && complete;
    }
    // Out of the folder first: some servers refuse to remove the folder one stands in.
    serverStep([&] { return client.changeDir(folderOf(serverPath)); });
    return serverStep([&] { return client.removeDir(serverPath); }) && complete;
}

bool FtpDestination::removeTree(const QString& relPath, const std::function<void()>& pump)
{
    if (!online() || relPath.isEmpty())
        return false;
    m_connection.ftpReconect();
    const bool removed = removeServerTree(fnEncode(slashForm(remotePath(relPath))), pump);
    clearDestCaches();
    return removed;
}

QStringList FtpDestination::listFolders(const QString& relPath, bool recursive)
{
    QStringList found;
    if (!online())
        return found;
    m_connection.ftpReconect();
    const QString relEncoded = fnEncode(relPath);
    if (!listServerFolders(fnEncode(slashForm(remotePath(relPath))), relEncoded, recursive, found, nullptr))
        return {};
    return found;
}

double FtpDestination::treeSize(const QString& relPath, const std::function<bool()>& stopRequested)
{
    if (!online())
        return 0;
    return SizeDirF(fnEncode(slashForm(remotePath(relPath))), 0, stopRequested);
}

bool FtpDestination::keepAlive()
{
    return m_connection.usable() && m_connection.noop();
}

void FtpDestination::reconnect()
{
    m_connection.ftpReconect();
}

} // namespace ombrix
