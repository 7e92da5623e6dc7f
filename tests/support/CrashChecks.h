#pragma once

#include <QString>
#include <QStringList>

namespace ombrix::test {

// What a killed run may not leave behind: work files ending in ".tmp", and helper processes
// (the archiver, the copier) that go on working on the folders after the program died.
class CrashChecks
{
  public:
    // Every "*.tmp" file (hidden ones included) below the folders.
    static QStringList tmpFiles(const QStringList& folders);
    // The "*.tmp" files directly in the program folder (hidden ones included): what the start-up
    // clearing removes, among them the archiver's work files of a killed run.
    static QStringList programTmpFiles(const QString& programFolder);
    // "pid command line" of every live process other than this one whose command line names one
    // of the folders, after waiting up to waitMs for them to end.
    static QStringList liveHelpers(const QStringList& folders, int waitMs = 3000);
    // Whether the process has ended (gone, or a zombie), after waiting up to waitMs for it.
    static bool processEnded(qint64 pid, int waitMs = 3000);
    // Scratch files (".ombrix-*") anywhere below the folder: what a killed archive or copy
    // leaves beside its place.
    static QStringList scratchFiles(const QString& folder);
};

} // namespace ombrix::test
