#pragma once

#include "support/ArchiverWrapper.h"
#include "support/WorkerKill.h"

#include <cstddef>
#include <map>
#include <QByteArray>
#include <QMap>
#include <QString>
#include <vector>

namespace ombrix {
class IniStore;
}

namespace ombrix::test {

// The parts of the restore kill tests that do not depend on where the sets lie (a folder or an
// FTP server): the worker's call, where it is killed, and what the finished restore must show.
class RestoreKillChecks
{
  public:
    using Tree = std::map<QString, QByteArray>; // path relative to the source folder -> content

    // The environment of a restore worker that restores set below folder.
    static QMap<QString, QString> workerEnvironment(const QString& set, const QString& folder);

    // Where a restore is killed, in this order: while the first file of the first start is
    // extracted, again while the first file of the continued start is, while a later file is,
    // and just after the completion was shown. extraction: the archiver call that extracts one
    // file of the set.
    static std::vector<KillPoint> killPoints(const ArchiverWrapper::Call& extraction);

    // config.ini records a restore that a next start is to continue.
    static bool pending(const IniStore& config);

    // The restore is finished: nothing pending, its keys reset, recoverylist.csv gone.
    static void expectFinished(const IniStore& config, const QString& programFolder);

    // The uninterrupted restore gave state; the killed and continued one has every file of it
    // with its bytes and nothing more, and filesBelowKilledFolder (every file below the killed
    // restore's folder) shows it left nothing else there.
    static void expectSameTree(const Tree& state, const Tree& uninterrupted, const Tree& killed,
                               std::size_t filesBelowKilledFolder);
};

} // namespace ombrix::test
