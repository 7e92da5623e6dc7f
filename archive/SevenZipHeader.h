#pragma once

#include <QList>
#include <QString>

namespace ombrix {

// Reads the header of a 7z archive in this process (libarchive), without starting the archiver
// and without unpacking any data. It answers the question the archiver's listing answers after
// every archive the program writes: does the archive hold exactly the one file it should?
//
// An archive whose names are encrypted cannot be read here and counts as unreadable; one whose
// data is encrypted is read, but its entries say so and holdsOneFile refuses it, so encrypted
// archives are always judged by the archiver with the password.
class SevenZipHeader
{
  public:
    struct Entry
    {
        QString name;     // the path stored in the archive, "/"-separated
        qint64 size = -1; // the unpacked size; -1 when the header gives none
        bool isFile = false;
        bool encrypted = false;
    };

    struct Result
    {
        // The whole header was read (every entry up to the end, or up to maxEntries).
        bool readable = false;
        // Reading stopped at maxEntries, so more entries may follow.
        bool moreEntries = false;
        QList<Entry> entries;
        // libarchive's text for why the archive could not be read.
        QString errorText;
    };

    // Reads at most maxEntries entries of the archive's header.
    static Result read(const QString& archive, int maxEntries = 16);

    // The in-process form of the archive test: the archive is a readable 7z archive holding
    // exactly one entry, a file named expectedName (compared exactly, no folders) with
    // expectedSize bytes, and nothing in it is encrypted. Anything else - a missing, truncated,
    // damaged or foreign file, a second entry, a folder, another name or size - is false.
    static bool holdsOneFile(const QString& archive, const QString& expectedName, qint64 expectedSize);
};

} // namespace ombrix
