#include "SourceTree.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace ombrix::test {

QStringList SourceTree::hostileNames()
{
    return {
        QStringLiteral("with space.txt"),
        QStringLiteral("  two leading blanks.txt"),
        QStringLiteral("trailing blank .txt"),
        QStringLiteral("double\"quote\".txt"),
        QStringLiteral("single'quote'.txt"),
        QStringLiteral("-leading-dash.txt"),
        QStringLiteral("-p"),
        QStringLiteral("-y -o.."),
        QStringLiteral("--"),
        QStringLiteral("@listfile.txt"),
        QStringLiteral("Žluťoučký kůň úpěl ďábelské ódy.txt"),
        QStringLiteral("日本語のファイル.dat"),
        QStringLiteral("semi;colon\";\"quote.csv"),
        QStringLiteral("X"),
        QStringLiteral("back\\slash.txt"),
        QStringLiteral("star*question?.txt"),
        QStringLiteral("%PATH%.txt"),
        QStringLiteral("$HOME `id` $(id).txt"),
        QStringLiteral("archivlist.csv"),
        QStringLiteral("log.txt"),
        QStringLiteral("already.7z"),
        QStringLiteral(".hidden"),
        QString(247, QLatin1Char('n')),
    };
}

bool SourceTree::writeFile(const QString& path, quint32 seed, qint64 size)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QRandomGenerator generator(seed);
    const bool repetitive = seed % 3 == 0;
    QByteArray block(64 * 1024, Qt::Uninitialized);
    qint64 left = size;
    while (left > 0) {
        const int n = int(qMin<qint64>(left, block.size()));
        if (repetitive) {
            for (int i = 0; i < n; ++i)
                block[i] = char('a' + (i + seed) % 23);
            block.replace(0, 8, QByteArray::number(generator.generate()).leftJustified(8, ' ', true));
        } else {
            generator.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        }
        if (file.write(block.constData(), n) != n)
            return false;
        left -= n;
    }
    // Written a while before any run reads it: a file written right before it is read is
    // archived once more by the next run (its recorded time cannot tell a later change).
    return file.flush() &&
           file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-1).addSecs(seed % 3600),
                            QFileDevice::FileModificationTime);
}

QStringList SourceTree::generate(const QString& root, quint32 seed, int count)
{
    QRandomGenerator generator(seed);
    const QStringList hostile = hostileNames();
    const QStringList folders{QStringLiteral("docs"),
                              QStringLiteral("docs/2024 reports"),
                              QStringLiteral("photos/-raw-"),
                              QStringLiteral("Příliš/žluťoučký"),
                              QStringLiteral("deep/a/b/c/d/e/f/g/h"),
                              QStringLiteral(".config/app")};
    QStringList written;
    for (int i = 0; i < count; ++i) {
        const QString folder = folders.at(int(generator.bounded(folders.size())));
        QString name;
        if (i % 10 == 0 && i / 10 < hostile.size())
            name = hostile.at(i / 10);
        else
            name = QStringLiteral("file%1.%2")
                       .arg(i)
                       .arg(i % 7 == 0 ? QStringLiteral("jpg") : QStringLiteral("dat"));
        // Mostly small files, a few of a megabyte or two, some empty.
        const quint32 roll = generator.bounded(100);
        qint64 size = 0;
        if (roll < 5)
            size = 0;
        else if (roll < 60)
            size = generator.bounded(200);
        else if (roll < 95)
            size = generator.bounded(64 * 1024);
        else
            size = 512 * 1024 + generator.bounded(1536 * 1024);
        const QString path = root + QLatin1Char('/') + folder + QLatin1Char('/') + name;
        if (written.contains(path))
            continue;
        if (writeFile(path, seed + quint32(i), size))
            written.append(path);
    }
    return written;
}

QByteArray SourceTree::digestOf(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QMap<QString, QByteArray> SourceTree::digests(const QString& root)
{
    QMap<QString, QByteArray> result;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (file.open(QIODevice::ReadOnly) && hash.addData(&file))
            result.insert(path, hash.result().toHex());
        else
            result.insert(path, QByteArray("<unreadable>"));
    }
    return result;
}

} // namespace ombrix::test
