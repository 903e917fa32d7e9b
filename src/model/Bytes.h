#pragma once
// Byte-level building blocks of the wire records. Every record is an array of bytes in the order the
// unit and the preset files use; multi-byte fields are little-endian whatever the host is.
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace pavo {

// A little-endian 16-bit field stored as two bytes (alignment 1, so records never get padding).
struct Le16 {
    uint8_t lo = 0;
    uint8_t hi = 0;

    constexpr uint16_t get() const { return static_cast<uint16_t>(lo | (hi << 8)); }
    constexpr void set(uint16_t v) {
        lo = static_cast<uint8_t>(v & 0xFF);
        hi = static_cast<uint8_t>(v >> 8);
    }
    constexpr operator uint16_t() const { return get(); }
    constexpr Le16& operator=(uint16_t v) {
        set(v);
        return *this;
    }
};
static_assert(sizeof(Le16) == 2 && alignof(Le16) == 1);

// Raw byte views of a record. Records are trivially copyable arrays of bytes, so this is well defined.
template <class T>
inline uint8_t* BytesOf(T& record) {
    static_assert(std::is_trivially_copyable_v<T> && alignof(T) == 1);
    return reinterpret_cast<uint8_t*>(&record);
}
template <class T>
inline const uint8_t* BytesOf(const T& record) {
    static_assert(std::is_trivially_copyable_v<T> && alignof(T) == 1);
    return reinterpret_cast<const uint8_t*>(&record);
}

// Whole-record copy and comparison by bytes.
template <class T>
inline void CopyRecord(T& dst, const T& src) {
    std::memcpy(BytesOf(dst), BytesOf(src), sizeof(T));
}
template <class T>
inline bool SameRecord(const T& a, const T& b) {
    return std::memcmp(BytesOf(a), BytesOf(b), sizeof(T)) == 0;
}

}  // namespace pavo
