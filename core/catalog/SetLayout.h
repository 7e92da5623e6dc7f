#pragma once

#include <QString>
#include <QStringView>

namespace ombrix {

// Where things lie inside an archive set. A source file is stored under its own folder path
// with every ":" removed, as name + ".7z" (or as a plain copy under its name), so
// /home/a/x.txt lies at SET/home/a/x.txt.7z and C:/Data/a.txt at SET/C/Data/a.txt.7z. Side
// files (bare names such as "archivlist.csv") lie in the set folder itself. Paths here use
// "/"; names are not yet encoded for FTP (RemoteName::fnEncode does that).
namespace SetLayout {

inline constexpr QStringView catalogFile = u"archivlist.csv";
inline constexpr QStringView logFile = u"log.txt";
inline constexpr QStringView sourcesFile = u"sources.txt";
inline constexpr QStringView configFile = u"config.ini";
inline constexpr QStringView archiveSuffix = u".7z";

// The folder part of a source path (before its last "/") with every ":" removed and no
// leading or trailing "/"; empty for a bare name or a file directly in "/".
QString folderInSet(QStringView sourcePath);
// The source's file name (after its last "/"), + ".7z" unless stored as a plain copy.
QString storedName(QStringView sourcePath, bool plainCopy);
// folderInSet + "/" + storedName, or storedName alone when the folder part is empty.
QString pathInSet(QStringView sourcePath, bool plainCopy);

// root + "/" + set [+ "/" + folderInSet]: the folder a file's archive is written into. An
// empty root gives a path relative to the set ("SET/..."), as the network disk uses.
QString folderOf(QStringView root, QStringView set, QStringView sourcePath);
// root + "/" + set + "/" + pathInSet: where a file's archive lies.
QString archivePath(QStringView root, QStringView set, QStringView sourcePath, bool plainCopy);
// The archive of a catalog line: the set and path from the line, the marker deciding ".7z".
QString archivePathOfLine(QStringView root, QStringView catalogLine);
// A side file's archive (archivlist.csv.7z, log.txt.7z, ...) in a set.
QString sideArchivePath(QStringView root, QStringView set, QStringView sideFile);

} // namespace SetLayout
} // namespace ombrix
