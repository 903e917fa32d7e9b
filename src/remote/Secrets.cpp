#include "remote/Secrets.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace pavo::remote {

namespace {

void RandomBytes(void* out, size_t n) {
    auto* p = static_cast<uint8_t*>(out);
    while (n > 0) {
        const ssize_t got = ::getrandom(p, n, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("no random bytes from the kernel");
        }
        p += got;
        n -= static_cast<size_t>(got);
    }
}

}  // namespace

std::string MakePin() {
    // Rejection sampling: the largest multiple of 10^6 below 2^32 keeps every PIN equally likely.
    constexpr uint32_t kRange = 1000000;
    constexpr uint32_t kLimit = UINT32_MAX - UINT32_MAX % kRange;
    uint32_t x = 0;
    do RandomBytes(&x, sizeof x);
    while (x >= kLimit);
    x %= kRange;
    std::string pin(6, '0');
    for (int i = 5; i >= 0; --i, x /= 10) pin[i] = static_cast<char>('0' + x % 10);
    return pin;
}

std::string MakeToken() {
    uint8_t bytes[32];
    RandomBytes(bytes, sizeof bytes);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    token.reserve(2 * sizeof bytes);
    for (uint8_t b : bytes) {
        token += kHex[b >> 4];
        token += kHex[b & 15];
    }
    return token;
}

bool SameSecret(std::string_view a, std::string_view b) {
    // Every byte of the longer text is looked at; a length difference counts as a difference.
    const size_t n = a.size() > b.size() ? a.size() : b.size();
    volatile uint8_t diff = a.size() == b.size() ? 0 : 1;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t x = i < a.size() ? static_cast<uint8_t>(a[i]) : 0;
        const uint8_t y = i < b.size() ? static_cast<uint8_t>(b[i]) : 0;
        diff = static_cast<uint8_t>(diff | (x ^ y));
    }
    return diff == 0;
}

bool IsPinForm(std::string_view pin) {
    if (pin.size() != 6) return false;
    for (char c : pin)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace pavo::remote
