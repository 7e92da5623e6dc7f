#pragma once

namespace ombrix {

// What the next START does, as the readiness check decided it: a new full backup that begins a
// new chain, an incremental backup against the last set, or the continuation of a run that was
// interrupted (STOP, crash, lost destination).
enum class BackupMode
{
    novazaloha,
    inkremental,
    pokracovani
};

} // namespace ombrix
