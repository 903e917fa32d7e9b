#include "remote/DirectExecutor.h"

#include "protocol/CommandCodes.h"
#include "unit/Unit.h"

namespace pavo::remote {

bool TransferRunning(Unit& unit) {
    return unit.model().flags.transferPending.load() != 0 || unit.handler().HasItems() != 0;
}

ExecResult DirectExecutor::Edit(Unit& unit, StepTag tag, const std::function<void()>& edit) {
    std::lock_guard<std::mutex> guard(mutex_);
    // Under the send lock: no batch can be queued between the check and the edit.
    return unit.handler().WithSendLock([&] {
        if (TransferRunning(unit)) return ExecResult::Busy;
        UndoHistory& history = unit.history();
        history.Rebase();
        edit();
        history.Commit(tag);
        return ExecResult::Done;
    });
}

ExecResult DirectExecutor::Recall(Unit& unit, int program) {
    std::lock_guard<std::mutex> guard(mutex_);
    Model& m = unit.model();
    return unit.handler().WithSendLock([&] {
        if (!m.flags.connected.load()) return ExecResult::OffLine;
        if (TransferRunning(unit)) return ExecResult::Busy;
        unit.history().Rebase();
        m.Edit([&] { m.system.ProgramNumber = static_cast<uint8_t>(program); });
        unit.handler().QueueCommand(CmdRecall, static_cast<unsigned>(program));
        return ExecResult::Done;
    });
}

}  // namespace pavo::remote
