// Placeholders until the band sets and the frame records exist; their modules take these over.
#include "model/ModelHooks.h"

namespace pavo {

void CreateBandSets() {}
void RebindBandSets(Rebind, int) {}
void ClearFrameRecords() {}
void ResetStatusState() {}

}  // namespace pavo
