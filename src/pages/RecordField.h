#pragma once
// A field of a record named by its byte offset and width (1, or 2 for a little-endian 16-bit field),
// so a page can list the fields its sliders edit in one table.
#include <cstddef>
#include <cstdint>

namespace pavo {

struct RecordField {
    size_t offset;
    int width = 1;  // or 2
};

inline int ReadField(const uint8_t* record, RecordField f) {
    if (f.width == 2) return record[f.offset] | (record[f.offset + 1] << 8);
    return record[f.offset];
}

inline void WriteField(uint8_t* record, RecordField f, int value) {
    record[f.offset] = static_cast<uint8_t>(value & 0xFF);
    if (f.width == 2) record[f.offset + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

}  // namespace pavo
