#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace ombrix::test {

// Restores what a set holds with nothing but the real `7za`, straight from the destination: the
// set's archivlist.csv.7z is extracted and read, and every file it lists is extracted from the
// set its line names. The password, when there is one, is typed on the archiver's standard
// input, so it never appears on a command line. No code of the program's restore is involved.
class SetRestorer
{
  public:
    struct Result
    {
        bool catalogOk = false;
        QStringList lines;                 // the catalog as stored
        QMap<QString, QByteArray> digests; // SHA-256 of each restored file, by source path
        QStringList failures;              // "path: why" for each file that could not be restored
    };

    // How the sets lie below the destination folder: as a folder destination writes them, or as
    // an FTP server stores them (every name below the set folder encoded).
    enum class Layout
    {
        Folder,
        Server
    };

    SetRestorer(const QString& destination, const QString& password = {}, Layout layout = Layout::Folder);

    // The stored catalog of a set; ok false when it cannot be extracted or read.
    QStringList catalog(const QString& set, bool* ok) const;
    Result restore(const QString& set) const;
    // Every file of the set folder that `7za t` does not pass, relative to the set folder.
    // Plain copies (catalog X marker) are not archives and are skipped.
    QStringList failingArchives(const QString& set) const;

    // Runs 7za with these arguments, writing stdinText to its standard input; the merged
    // output is stored in output. True when it exited normally with code 0.
    static bool run7za(const QStringList& arguments, const QByteArray& stdinText,
                       QByteArray* output = nullptr);
    // Extracts an archive that holds one file; the file's bytes, or ok false.
    static QByteArray extractSingle(const QString& archive, const QString& password, bool* ok,
                                    QString* storedName = nullptr);

  private:
    QString archiveOfLine(const QString& line) const;
    QString sideArchive(const QString& set, QStringView side) const;

    QString m_destination;
    QString m_password;
    Layout m_layout;
};

} // namespace ombrix::test
