// Placeholder until the frame records exist: the protocol module replaces this file.
#include "model/ModelHooks.h"

namespace pavo {

void ClearFrameRecords() {}
void ResetStatusState() {}

}  // namespace pavo
