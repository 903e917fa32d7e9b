// libFuzzer target for the preset import from memory (.dia and .dat: taken, checked, applied).
#include "preset_import_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pavo::fuzz::ImportPresetOnce(data, size);
    return 0;
}
