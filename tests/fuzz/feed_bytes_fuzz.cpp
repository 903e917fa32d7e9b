// libFuzzer target for the frame assembler (FeedBytes).
#include "feed_bytes_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pavo::fuzz::FeedBytesOnce(data, size);
    return 0;
}
