#pragma once

#include <functional>
#include <QList>
#include <QString>

namespace ombrix {

// Cuts the restore work list recoverylist.csv down to the lines the user chose in the selective
// restore tree.
namespace RecoverySelection {

enum class Status
{
    Written,       // the list now holds exactly the chosen lines
    ListMissing,   // there is no list (or it cannot be read): nothing written
    NothingChosen, // no line chosen: the list is left as it is
    UnknownLine,   // a chosen number is not a line of the list (it changed since the tree was
                   // built): the list is left as it is
    WriteFailed,   // the new list could not be written: the old one is still in place
};

struct Result
{
    Status status = Status::ListMissing;
    qsizetype lines = 0; // lines written
};

// Called with (entries done, entries in all) every 100 entries while the new list is assembled;
// the window shows it and lets pending events run.
using Progress = std::function<void(qsizetype done, qsizetype total)>;

// Rewrites the list at listPath to hold the lines with the given 0-based numbers, in the given
// order. The new list is in the locale's 8-bit encoding without a byte-order mark, lines ending
// in CR LF, as the program's other work lists. The file is replaced atomically: a crash or a
// full disk leaves the old list or the new one, never a missing or half-written list.
Result rewrite(const QString& listPath, const QList<qsizetype>& chosen, const Progress& progress = {});

} // namespace RecoverySelection

} // namespace ombrix
