// Not a target: proof that the fuzz targets' flags make undefined behaviour fail the run. Fed an input
// starting with 'U' it overflows a signed int, with 'F' it converts a double far beyond an int's range
// to an int; the fuzz_flags_fail_on_* tests expect both runs to fail.
#include <climits>
#include <cstddef>
#include <cstdint>

volatile int gSink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0 && data[0] == 'U') {
        volatile int big = INT_MAX;
        gSink = big + static_cast<int>(size);
    }
    if (size > 0 && data[0] == 'F') {
        volatile double huge = 1e300 * static_cast<double>(size);
        gSink = static_cast<int>(huge);
    }
    return 0;
}
