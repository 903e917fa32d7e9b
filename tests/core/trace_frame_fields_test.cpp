// The traffic log names the fields a parameter frame carries by reading the change scan backwards.
// Checked against the scanner itself, field by field over the whole catalog.
#include <gtest/gtest.h>

#include <regex>

#include "model/FieldCatalog.h"
#include "protocol/FrameFields.h"
#include "protocol_fixture.h"

namespace pavo {
namespace {

using testing::Bytes;
using testing::MakeFrame;

class FrameFieldsTest : public testing::ProtocolTest {
protected:
    uint8_t* Record(const FieldInfo& f) {
        return f.record == FieldRecord::Program ? BytesOf(m.current) : BytesOf(m.system);
    }
};

// Every field the scanner sends comes back, by name, from the frame it builds; the ones it never
// sends are exactly those that travel only with whole records.
TEST_F(FrameFieldsTest, EveryFieldTheScannerSendsIsFoundInItsFrame) {
    const std::regex neverSent(
        R"(CheckByte|ReverbSpare\..*|MusicRight\.(Compressor|Gate)\..*|Scene[23]\..*|)"
        R"(Scene1\.(Out3|Out1|SurroundR)\.Limiter\..*|.*\.Kind|System\.ProgramNumber)");
    int sent = 0;
    for (const FieldInfo& f : Fields()) {
        if (!f.HasCode() || f.min == f.max) continue;
        SCOPED_TRACE(f.path);
        const uint32_t old = ReadCode(f, Record(f));
        const uint32_t code = old < f.max ? old + 1 : old - 1;
        m.Edit([&] { WriteCode(f, Record(f), code); });
        const Bytes frame = Scan();
        const uint8_t cmd = frame[4];
        const std::span<const uint8_t> payload(frame.data() + 5, frame.size() - 6);
        if (cmd == 0x0C || cmd == 0x18) {
            EXPECT_TRUE(std::regex_match(f.path, neverSent)) << "not sent by the scanner";
        } else {
            ++sent;
            EXPECT_FALSE(std::regex_match(f.path, neverSent)) << "sent after all";
            const auto target = FrameTargetOf(cmd, payload, 1);
            ASSERT_TRUE(target.has_value()) << "CMD " << int(cmd);
            EXPECT_EQ(target->record, f.record);
            EXPECT_GE(f.offset, target->offset);
            EXPECT_LT(f.offset, target->offset + target->width);
            EXPECT_TRUE(f.width > 1 || (f.mask & target->mask));
            // The log shows the new value in engineering units.
            const std::string text = DescribeFrameFields(cmd, payload, 1);
            EXPECT_NE(text.find(" = " + FormatCode(f, code)), std::string::npos) << text;
        }
        // Back as it was, and sent, so the next field starts from a quiet scan.
        m.Edit([&] { WriteCode(f, Record(f), old); });
        for (uint8_t c = Scan()[4]; c != 0x0C && c != 0x18; c = Scan()[4]) {
        }
    }
    EXPECT_GT(sent, 1000);
}

TEST(FrameFields, ParameterFramesReadAsFieldsAndValues) {
    struct Case {
        uint8_t cmd;
        Bytes payload;
        int scene;
        const char* text;
    };
    const Case cases[] = {
        {0x0B, {5, 1}, 1, "EchoB.DirectSwitch = ON"},
        {0x01, {1, 0x80 | 40}, 1, "System.MicMaster: Level = 40, Mute = ON"},
        {0x03,
         {42, 204, 0, 135, 10, 1},
         1,
         "Mic12.Eq[3]: FrequencyCode = 1000 Hz, GainCode = 3.0 dB, QCode = 0.71, BandType = P"},
        {0x04,
         {3, 1, 204, 0, 8},
         1,
         "Mic34.LowPass: Kind = LowPass, FrequencyCode = 1000 Hz, SlopeCode = 24dB Butuerworth"},
        {0x08, {5, 1, 0}, 2, "Scene2.Out1.Mute = ON"},
        {0x13, {0, 1}, 1, "System.AnalogSensitivity = H"},
        {0x09, {9, 0, 0}, 1, "System.KeyShift = 2"},
        {0x8E, {3}, 1, "ActiveScene = Decode"},
        {0x0B, {0, 1}, 1, ""},  // index 0 of the switches belongs to no field
        {0x42, {0, 1}, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DescribeFrameFields(c.cmd, c.payload, c.scene), c.text);
    }
}

}  // namespace
}  // namespace pavo
