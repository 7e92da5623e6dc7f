#pragma once

#include "core/host/RunState.h"

#include <functional>
#include <QString>

namespace ombrix {

// Copies one file. internalCopy true: in process, through a temporary file beside the
// destination and a rename, failing when the destination already exists (callers delete an old
// one first). internalCopy false: by the external copier ombrixcopy, waited for like any child
// (pump every 50 ms, killable through state.lastProcessId). Either way the modification time
// is kept. Returns whether the destination exists afterwards; a leftover "<destination>.tmp" of
// an interrupted copier is deleted.
//
// A copier that cannot be started (missing, not executable, a broken interpreter line) is
// reported as any child that cannot be started: startFailed gets the operating system's text
// for why, and the copy fails.
bool CopyFileExternal(const QString& source_file, const QString& destination_file, bool internalCopy,
                      RunState& state, const std::function<void()>& pump,
                      const std::function<void(const QString& systemText)>& startFailed = {});

} // namespace ombrix
