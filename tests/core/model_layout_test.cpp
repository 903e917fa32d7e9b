// The byte layout is the wire format: fields must land at their offsets in little-endian order.
#include <gtest/gtest.h>

#include <cstddef>

#include "model/Blocks.h"

namespace pavo {
namespace {

TEST(Layout, MultiByteFieldsAreLittleEndianAtTheirOffsets) {
    ProgramImage img{};
    img.EchoB.RightDelay = 0x1234;
    img.Scenes[2].Channel[7].Delay = 0xABCD;
    img.MusicRight.HighExciter.FrequencyCode = 361;
    const uint8_t* b = BytesOf(img);
    EXPECT_EQ(b[77 + 54], 0x34);
    EXPECT_EQ(b[77 + 55], 0x12);
    EXPECT_EQ(b[2098 + 7 * 76 + 74], 0xCD);
    EXPECT_EQ(b[2098 + 7 * 76 + 75], 0xAB);
    EXPECT_EQ(b[717 + 155], 361 & 0xFF);
    EXPECT_EQ(b[717 + 156], 361 >> 8);
    EXPECT_EQ(img.EchoB.RightDelay.get(), 0x1234);
}

TEST(Layout, NestedRecordOffsets) {
    // A table of absolute offsets in the program image, taken from the block tables.
    ProgramImage img{};
    const uint8_t* base = BytesOf(img);
    struct Case {
        const void* field;
        ptrdiff_t offset;
    } cases[] = {
        {&img.Mic12.Eq[0], 238 + 17},
        {&img.Mic34.HighExciter, 395 + 148},
        {&img.MusicLeft.DynEq[2].Reserved, 553 + 121 + 2 * 10 + 9},
        {&img.MusicRight.MainHighPass.SlopeCode, 717 + 117 + 3},
        {&img.Scenes[1].Channel[5].Limiter, 1490 + 5 * 76 + 62},
        {&img.Reverb.ReverbTime, 134 + 50},
        {&img.ReverbSpare.LowPass.FrequencyCode, 186 + 44 + 1},
    };
    for (const Case& c : cases) EXPECT_EQ(static_cast<const uint8_t*>(c.field) - base, c.offset);

    ProgramBank bank{};
    EXPECT_EQ(BytesOf(bank.Programs[20]) - BytesOf(bank), 66 + 20 * 2712);
    EXPECT_EQ(&bank.Valid - BytesOf(bank), 57018);
}

}  // namespace
}  // namespace pavo
