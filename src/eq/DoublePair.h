#pragma once
// Two doubles in one vector register, for the grid loops that run on every drag step. GCC and Clang
// vector extensions: plain SSE2 on x86-64, NEON on ARM, scalar code elsewhere.
#include <cstdint>
#include <cstring>

namespace pavo {

using DoublePair = double __attribute__((vector_size(16)));
using BitsPair = uint64_t __attribute__((vector_size(16)));

inline DoublePair LoadPair(const double* p) {
    DoublePair v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void StorePair(double* p, DoublePair v) {
    std::memcpy(p, &v, sizeof v);
}

}  // namespace pavo
