#pragma once
// The executor of a host without a screen (a venue PC running the service alone, tests, benchmarks):
// edits run at once on the calling connection's thread, one at a time, each one undo step. There is
// no user on this host whose gestures could be pending; records the unit sent meanwhile are no step.
// A recall is queued for the engine as the program's recall command is, on line only.
#include <mutex>

#include "remote/RemoteExecutor.h"

namespace pavo::remote {

class DirectExecutor final : public RemoteExecutor {
public:
    ExecResult Edit(Unit& unit, StepTag tag, const std::function<void()>& edit) override;
    ExecResult Recall(Unit& unit, int program) override;

private:
    std::mutex mutex_;  // one edit at a time: the histories are not shared between threads
};

}  // namespace pavo::remote
