#pragma once
// The one-line description the graph shows beside the highlighted handle: the type, frequency, Q and
// gain of a band ("PEQ  1000Hz 0.71Q -3.0dB"), the frequency of a filter ("95Hz "), nothing for a
// band whose type byte is none of the four types.
#include <string>

#include "eq/Filter.h"

namespace pavo {

std::string BandInfoText(const CFilter& member);

}  // namespace pavo
