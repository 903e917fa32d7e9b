#pragma once
// The least time exchanges with the unit can take on a 115200-baud line, for the benchmarks that hold
// a whole pavo-cli run against it: each exchange its request and reply on the wire (10 bits a byte)
// and the 20 ms pause that ends the engine's cycle.
#include <cstddef>

#include "model/Blocks.h"

namespace pavo::bench {

constexpr double kBaud = 115200;
constexpr double kCycleMs = 20;

inline double WireMs(size_t bytes) {
    return bytes * 10 * 1000.0 / kBaud;
}

// Frames are the envelope (FF 55 LEN CMD ... SUM, 6 bytes) around their payload.
constexpr size_t Frame(size_t payload) {
    return payload + 6;
}

// What every connection starts with: the device lookup, then the read of the system record.
inline double LookupAndSystemMs() {
    return WireMs(Frame(1) + Frame(2)) + kCycleMs + WireMs(Frame(1) + Frame(sizeof(SystemRecord))) + kCycleMs;
}

}  // namespace pavo::bench
