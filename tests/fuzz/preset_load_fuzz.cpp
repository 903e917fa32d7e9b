// libFuzzer target for the preset loaders (.dia and .dat).
#include "preset_load_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pavo::fuzz::LoadPresetOnce(data, size);
    return 0;
}
