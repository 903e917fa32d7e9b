#include "FieldText.h"

#include <cstdio>
#include <cstring>

#include "protocol/TrafficText.h"

namespace pavo::cli {

namespace {

std::string Hex(const uint8_t* p, size_t n) {
    return HexBytes({p, n});
}

}  // namespace

std::string ShownValue(const FieldInfo& f, const uint8_t* record) {
    if (f.display == FieldDisplay::Text) return QuotedName({record + f.offset, f.width});
    return FormatField(f, record);
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04X", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonValue(const FieldInfo& f, const uint8_t* record) {
    const uint8_t* p = record + f.offset;
    if (f.display == FieldDisplay::Opaque) return "{\"hex\": " + JsonString(Hex(p, f.width)) + "}";
    if (f.display == FieldDisplay::Text) {
        // The text as far as it goes (up to a zero byte, trimmed); the bytes themselves in hex.
        return "{\"text\": " + JsonString(FormatField(f, record)) +
               ", \"hex\": " + JsonString(Hex(p, f.width)) + "}";
    }
    return "{\"code\": " + std::to_string(ReadCode(f, record)) +
           ", \"value\": " + JsonString(FormatField(f, record)) + "}";
}

bool SameField(const FieldInfo& f, const uint8_t* a, const uint8_t* b) {
    if (!f.HasCode()) return std::memcmp(a + f.offset, b + f.offset, f.width) == 0;
    return ReadCode(f, a) == ReadCode(f, b);
}

}  // namespace pavo::cli
