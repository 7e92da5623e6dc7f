#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace ombrix {

// Outcome codes of a backup run (runStatus): 0 no problem, 1 warnings (something was logged and
// skipped), 2 destination lost, 3 error in the source list.
enum RunStatus
{
    RunOk = 0,
    RunWarnings = 1,
    RunDestinationLost = 2,
    RunSourceListError = 3
};

// One file found by the scan of the sources.
struct ScannedFile
{
    QString path;           // full native path
    QString time;           // "yyyy-mm-dd-hh-nn-ss" as the catalog records it
    bool plainCopy = false; // matched the "Nekomprimovat:" masks: stored without compression
};

// What the scan of sources.txt produced.
struct ScanResult
{
    QList<ScannedFile> files;      // in the order found
    QSet<QString> missingStorages; // storage keys (mount roots or "C:" prefixes) absent during the scan
    int runStatus = RunOk;         // RunWarnings after a logged problem, RunSourceListError for an
                                   // invalid entry with skipping off
    bool stopRequested = false;    // an invalid entry with skipping off: the run ends after the scan
};

} // namespace ombrix
