// ombrixcopy SOURCE DESTINATION
// Copies one file so that DESTINATION either does not exist or is complete: the bytes go to
// DESTINATION.tmp, are flushed to disk, and the file is renamed into place. The modification
// time of SOURCE is kept. Exit code 0 on success, 1 on any failure (the caller judges by the
// destination's existence).
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace {

bool copyThroughTemporary(const QString& source, const QString& destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QString temporary = destination + QStringLiteral(".tmp");
    QFile out(temporary);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(block.data(), block.size());
        if (got < 0 || (got > 0 && out.write(block.constData(), got) != got)) {
            out.remove();
            return false;
        }
        if (got == 0)
            break;
    }
    if (!out.flush() || ::fsync(out.handle()) != 0) {
        out.remove();
        return false;
    }
    out.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
    out.close();
    QFile::remove(destination);
    if (!QFile::rename(temporary, destination)) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fputs("usage: ombrixcopy SOURCE DESTINATION\n", stderr);
        return 2;
    }
    if (!copyThroughTemporary(args.at(1), args.at(2))) {
        std::fprintf(stderr, "ombrixcopy: cannot copy %s\n", qPrintable(args.at(1)));
        return 1;
    }
    return 0;
}
