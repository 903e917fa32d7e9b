#pragma once
// Where the remote service's edits run. An edit from a phone goes the way a page edit goes: into the
// model under its lock, then the change scanner sends it; and it is one undo step of the unit's
// history. The history belongs to the thread that edits, so the host runs the edit there:
//  - the program runs it on its UI thread (a blocking queued call with a time-out), commits what the
//    user had pending first, so that a remote edit never joins a gesture on the screen, and shows the
//    records afresh afterwards, as after a received program;
//  - a host without a screen runs it at once on the caller's thread (DirectExecutor).
// Nothing runs while a transfer holds the unit (a full read, an import of all programs, a recall or a
// restore): the edit is refused, never queued behind it.
#include <functional>

#include "model/UndoHistory.h"

namespace pavo {
class Unit;
}

namespace pavo::remote {

enum class ExecResult {
    Done,
    Busy,         // a transfer runs; nothing was changed
    OffLine,      // the unit is not on line and the host cannot do it without it (a recall)
    Unavailable,  // the host could not run it in time or is closing; nothing was changed
};

class RemoteExecutor {
public:
    virtual ~RemoteExecutor() = default;

    // Runs `edit` (which writes the model under its lock and tells the band sets) and commits what it
    // changed as one undo step tagged `tag`.
    virtual ExecResult Edit(Unit& unit, StepTag tag, const std::function<void()>& edit) = 0;
    // Recalls stored program 1..21 as the program's recall command does.
    virtual ExecResult Recall(Unit& unit, int program) = 0;
};

// A transfer holds the unit: a bulk batch is queued or waits for its acknowledgement.
bool TransferRunning(Unit& unit);

}  // namespace pavo::remote
