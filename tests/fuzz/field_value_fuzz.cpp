// libFuzzer target for the field value parser (text and typed forms).
#include "field_value_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pavo::fuzz::FieldValueOnce(data, size);
    return 0;
}
