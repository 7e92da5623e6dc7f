#pragma once

#include "backup/SourceScanner.h"
#include "core/host/RunState.h"
#include "core/log/RunLog.h"
#include "support/QtPrinters.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>
#include <ostream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

namespace ombrix::test {

// A real temporary tree to scan, a run log in it and a recording host.
class ScanFixture : public ::testing::Test
{
  protected:
    // The moment test files are written at unless a test says otherwise: 12:00:00 UTC.
    static QDateTime defaultTime() { return QDateTime(QDate(2023, 7, 1), QTime(12, 0, 0), QTimeZone::utc()); }

    QString root() const { return m_dir.path() + QStringLiteral("/src"); }
    QString at(const QString& relative) const { return root() + QLatin1Char('/') + relative; }

    // Creates a file below the tree root with its folders and the given last-write time.
    QString makeFile(const QString& relative, const QDateTime& time = defaultTime(),
                     const QByteArray& content = "x") const
    {
        const QString path = at(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(path);
        file.write(content);
        file.flush(); // the write would otherwise set the time again when the file closes
        EXPECT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
        file.close();
        return path;
    }
    void makeFolder(const QString& relative) const { QDir().mkpath(at(relative)); }

    ScanResult scan(const QStringList& lines, SourceScanner::Options options = {})
    {
        SourceScanner scanner(m_host, m_log, m_state, options);
        return scanner.scan(lines);
    }

    // Paths of the scan relative to the tree root, with "|plain" for plain copies, sorted.
    QStringList relativeFiles(const ScanResult& result) const
    {
        QStringList out;
        for (const ScannedFile& f : result.files) {
            QString p = f.path.startsWith(root() + QLatin1Char('/')) ? f.path.mid(root().size() + 1) : f.path;
            out.append(f.plainCopy ? p + QStringLiteral("|plain") : p);
        }
        out.sort();
        return out;
    }

    QTemporaryDir m_dir;
    RecordingHost m_host;
    RunLog m_log{m_dir.path() + QStringLiteral("/log.txt")};
    RunState m_state;
};

} // namespace ombrix::test
