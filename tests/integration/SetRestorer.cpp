#include "SetRestorer.h"

#include "core/catalog/CatalogFile.h"
#include "core/catalog/CatalogLine.h"
#include "core/catalog/SetLayout.h"
#include "core/remote/RemoteName.h"
#include "SourceTree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

namespace ombrix::test {

SetRestorer::SetRestorer(const QString& destination, const QString& password, Layout layout)
    : m_destination(destination), m_password(password), m_layout(layout)
{
}

bool SetRestorer::run7za(const QStringList& arguments, const QByteArray& stdinText, QByteArray* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("7za"), arguments);
    if (!process.waitForStarted(10000))
        return false;
    process.write(stdinText);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished(5000);
        return false;
    }
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QByteArray SetRestorer::extractSingle(const QString& archive, const QString& password, bool* ok,
                                      QString* storedName)
{
    *ok = false;
    QTemporaryDir target;
    if (!target.isValid())
        return {};
    // "--" ends the switches: a set folder below a folder called "-x" stays a file name.
    const bool ran = run7za({QStringLiteral("e"), QStringLiteral("-y"), QStringLiteral("-o") + target.path(),
                             QStringLiteral("--"), archive},
                            password.toUtf8() + '\n');
    if (!ran)
        return {};
    const QStringList files =
        QDir(target.path()).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (files.size() != 1)
        return {};
    if (storedName)
        *storedName = files.first();
    QFile file(QDir(target.path()).filePath(files.first()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    *ok = true;
    return file.readAll();
}

// On a server every name below the set folder is stored encoded, the set folder itself not.
QString SetRestorer::archiveOfLine(const QString& line) const
{
    if (m_layout == Layout::Folder)
        return SetLayout::archivePathOfLine(m_destination, line);
    const QString relative =
        QLatin1Char('/') + catalogField(line, CatalogLine::Set) + QLatin1Char('/') +
        SetLayout::pathInSet(catalogField(line, CatalogLine::Path),
                             catalogField(line, CatalogLine::PlainCopy) == QLatin1String("1"));
    return m_destination + fnEncode(relative);
}

QString SetRestorer::sideArchive(const QString& set, QStringView side) const
{
    if (m_layout == Layout::Folder)
        return SetLayout::sideArchivePath(m_destination, set, side);
    return m_destination + QLatin1Char('/') + set + QLatin1Char('/') +
           encodeRemoteName(side.toString() + QStringLiteral(".7z"));
}

QStringList SetRestorer::catalog(const QString& set, bool* ok) const
{
    *ok = false;
    bool extracted = false;
    const QByteArray bytes = extractSingle(sideArchive(set, SetLayout::catalogFile), m_password, &extracted);
    if (!extracted)
        return {};
    QTemporaryDir work;
    const QString copy = QDir(work.path()).filePath(QStringLiteral("archivlist.csv"));
    QFile file(copy);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    file.close();
    const CatalogFile::ReadResult read = CatalogFile::read(copy);
    *ok = read.ok && read.malformed == 0;
    return read.lines;
}

SetRestorer::Result SetRestorer::restore(const QString& set) const
{
    Result result;
    result.lines = catalog(set, &result.catalogOk);
    if (!result.catalogOk)
        return result;
    for (const QString& line : std::as_const(result.lines)) {
        const QString path = catalogField(line, CatalogLine::Path);
        const QString archive = archiveOfLine(line);
        QByteArray bytes;
        bool ok = false;
        if (catalogField(line, CatalogLine::PlainCopy) == QLatin1String("1")) {
            QFile copy(archive);
            ok = copy.open(QIODevice::ReadOnly);
            bytes = copy.readAll();
        } else {
            QString storedName;
            bytes = extractSingle(archive, m_password, &ok, &storedName);
            if (ok && storedName != path.section(QLatin1Char('/'), -1)) {
                result.failures.append(path + QStringLiteral(": stored as ") + storedName);
                continue;
            }
        }
        if (!ok) {
            result.failures.append(path + QStringLiteral(": cannot restore from ") + archive);
            continue;
        }
        if (result.digests.contains(path))
            result.failures.append(path + QStringLiteral(": listed twice"));
        result.digests.insert(path, SourceTree::digestOf(bytes));
    }
    return result;
}

QStringList SetRestorer::failingArchives(const QString& set) const
{
    bool ok = false;
    QSet<QString> plainCopies;
    for (const QString& line : catalog(set, &ok)) {
        if (catalogField(line, CatalogLine::PlainCopy) == QLatin1String("1") &&
            catalogField(line, CatalogLine::Set) == set)
            plainCopies.insert(archiveOfLine(line));
    }
    QStringList archives;
    const QString root = QDir(m_destination).filePath(set);
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (!plainCopies.contains(file))
            archives.append(file);
    }
    // One archiver run tests them all (a list file names them); only when that fails is each
    // tested alone to name the culprits.
    QTemporaryDir work;
    const QString list = QDir(work.path()).filePath(QStringLiteral("archives.txt"));
    QFile listFile(list);
    if (listFile.open(QIODevice::WriteOnly)) {
        listFile.write(archives.join(QLatin1Char('\n')).toUtf8() + '\n');
        listFile.close();
        QStringList arguments{QStringLiteral("t"), QStringLiteral("-an"), QStringLiteral("-scsUTF-8"),
                              QStringLiteral("-ai@") + list};
        // Many archives would each ask for the password: here it is one argument of its own.
        if (!m_password.isEmpty())
            arguments.append(QStringLiteral("-p") + m_password);
        if (run7za(arguments, {}))
            return {};
    }
    QStringList failing;
    for (const QString& file : std::as_const(archives)) {
        if (!run7za({QStringLiteral("t"), QStringLiteral("--"), file}, m_password.toUtf8() + '\n'))
            failing.append(QDir(root).relativeFilePath(file));
    }
    return failing;
}

} // namespace ombrix::test
