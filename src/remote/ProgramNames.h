#pragma once
// Program names as UTF-8 for the page and for scripts. The unit stores a name as a fixed field of
// bytes: ASCII is itself, other characters are double-byte characters of the Chinese code page (GBK),
// as the program shows them. A byte sequence GBK does not know reads as U+FFFD, never as broken UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>

namespace pavo::remote {

std::string ProgramNameUtf8(const uint8_t* field, size_t n);

}  // namespace pavo::remote
