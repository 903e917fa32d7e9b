// Not a target: proof that the fuzz targets' flags make undefined behaviour fail the run. Fed an input
// starting with 'U' it overflows a signed int; the fuzz_flags_fail_on_undefined_behaviour test expects
// that run to fail.
#include <climits>
#include <cstddef>
#include <cstdint>

volatile int gSink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0 && data[0] == 'U') {
        volatile int big = INT_MAX;
        gSink = big + static_cast<int>(size);
    }
    return 0;
}
