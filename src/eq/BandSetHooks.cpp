// Placeholder until the band sets exist: the band-set module replaces this file.
#include "model/ModelHooks.h"

namespace pavo {

void CreateBandSets() {}
void RebindBandSets(Rebind, int) {}

}  // namespace pavo
