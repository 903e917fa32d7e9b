#include "protocol/StatusState.h"

#include "model/ModelHooks.h"

namespace pavo {

StatusState& Status() {
    static StatusState state;
    return state;
}

// Part of the model reset; runs with the model lock held.
void ResetStatusState() {
    StatusState& s = Status();
    s.messageFlag = 1;
    s.pollToggle = 0;
    s.areaA.fill(kStatusAResetValue);
    s.areaB.fill(kStatusBResetValue);
}

}  // namespace pavo
