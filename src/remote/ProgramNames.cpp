#include "remote/ProgramNames.h"

#include <iconv.h>

#include <cerrno>

#include "model/DataConver.h"

namespace pavo::remote {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

bool IsLeadByte(uint8_t b) {
    return b >= 0x81 && b <= 0xFE;
}

// What is left when the C library has no GBK converter: ASCII, one replacement per other character.
std::string AsciiOnly(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            continue;
        }
        if (IsLeadByte(b) && i + 1 < bytes.size()) ++i;
        out += kReplacement;
    }
    return out;
}

}  // namespace

std::string ProgramNameUtf8(const uint8_t* field, size_t n) {
    const std::string bytes = TextFromBytes(field, n);
    iconv_t cd = ::iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return AsciiOnly(bytes);
    std::string out;
    char buffer[8];
    size_t i = 0;
    // Character by character: one that does not convert becomes a replacement and the rest goes on.
    while (i < bytes.size()) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        const size_t len = b < 0x80 || !IsLeadByte(b) || i + 1 >= bytes.size() ? 1 : 2;
        char* in = const_cast<char*>(bytes.data() + i);
        size_t inLeft = len;
        char* o = buffer;
        size_t outLeft = sizeof buffer;
        if (::iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) {
            ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
            out += kReplacement;
        } else {
            out.append(buffer, static_cast<size_t>(o - buffer));
        }
        i += len;
    }
    ::iconv_close(cd);
    return out;
}

}  // namespace pavo::remote
