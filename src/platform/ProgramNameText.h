#pragma once
// Program names as the unit stores them: a fixed field of bytes, cut at the first zero byte and
// trimmed of blanks. ASCII bytes are themselves; other bytes are double-byte characters of the Chinese
// code page (GBK / CP936), as the unit's tools on Chinese systems store them. Every place that shows
// or stores a name converts with these two, so a name reads the same in the program label, the program
// list and the name edit, and storing a name that was shown gives back the same bytes.
#include <QString>
#include <cstddef>
#include <cstdint>

namespace pavo {

QString ProgramNameText(const uint8_t* field, size_t n);
// The name into the field, cut without splitting a character, the rest filled with blanks.
void ProgramNameToBytes(uint8_t* field, size_t n, const QString& name);

// Whether the system's Qt can convert GBK itself (it can when built with ICU); without it, ASCII
// stays and each other character reads as U+FFFD and is not stored.
bool HaveGbkCodec();

}  // namespace pavo
