// The field catalog: every byte of both records named once, ranges that every program-made record
// passes, and values read and typed in engineering units.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "model/DataConver.h"
#include "model/FieldBytes.h"
#include "model/FieldCatalog.h"
#include "model/Model.h"

namespace pavo {
namespace {

TEST(FieldCatalog, EveryByteOfBothRecordsHasExactlyOneOwner) {
    for (auto [record, size] : {std::pair{FieldRecord::Program, sizeof(ProgramImage)},
                                std::pair{FieldRecord::System, sizeof(SystemRecord)}}) {
        std::vector<unsigned> bits(size, 0);
        int lastOffset = -1;
        for (const FieldInfo& f : FieldsOf(record)) {
            ASSERT_EQ(f.record, record) << f.path;
            EXPECT_GE(f.offset, lastOffset) << f.path << " out of byte order";
            lastOffset = f.offset;
            ASSERT_LE(f.offset + f.width, size) << f.path;
            for (int b = 0; b < f.width; ++b) {
                EXPECT_EQ(bits[f.offset + b] & f.mask, 0u) << f.path << " shares bits at " << f.offset + b;
                bits[f.offset + b] |= f.mask;
            }
        }
        for (size_t b = 0; b < size; ++b) EXPECT_EQ(bits[b], 0xFFu) << "byte " << b << " has no field";
    }
    std::set<std::string> paths;
    for (const FieldInfo& f : Fields()) EXPECT_TRUE(paths.insert(f.path).second) << f.path << " twice";
}

TEST(FieldCatalog, PathsNameTheBytesTheModelUses) {
    const Model m;
    const auto at = [](const void* field, const void* record) {
        return static_cast<int>(static_cast<const uint8_t*>(field) - static_cast<const uint8_t*>(record));
    };
    const ProgramImage& p = m.current;
    const std::map<std::string, int> program = {
        {"ProgramName", 0},
        {"EchoB.Eq[1].FrequencyCode", at(&p.EchoB.Eq[0].FrequencyCode, &p)},
        {"Reverb.ReverbTime", at(&p.Reverb.ReverbTime, &p)},
        {"Mic34.Gate.Release", at(&p.Mic34.Gate.Release, &p)},
        {"MusicLeft.Eq[3].GainCode", at(&p.MusicLeft.Eq[2].GainCode, &p)},
        {"MusicRight.DynEq[3].Ratio", at(&p.MusicRight.DynEq[2].Ratio, &p)},
        {"MusicLeft.MainHighPass.SlopeCode", at(&p.MusicLeft.MainHighPass.SlopeCode, &p)},
        {"Scene1.Out4.Mute", at(&p.Scenes[0].Channel[OutOut4].Mute, &p)},
        {"Scene2.Out1.ReverbSwitch", at(&p.Scenes[1].Channel[OutOut1].ReverbSwitch, &p)},
        {"Scene3.SurroundR.Delay", at(&p.Scenes[2].Channel[OutSurroundR].Delay, &p)},
        {"Out12Link", 2709},
        {"CheckByte", 2711},
    };
    for (const auto& [path, offset] : program) {
        const FieldInfo* f = FindField(path);
        ASSERT_NE(f, nullptr) << path;
        EXPECT_EQ(f->offset, offset) << path;
        EXPECT_EQ(FieldAt(FieldRecord::Program, offset), f) << path;
    }
    EXPECT_EQ(FindField("musicleft.eq[3].gaincode"), FindField("MusicLeft.Eq[3].GainCode"));
    EXPECT_EQ(FindField("MusicLeft.Eq[16].GainCode"), nullptr);  // the music EQ has 15 bands
    EXPECT_EQ(FieldAt(FieldRecord::Program, 2712), nullptr);
    EXPECT_EQ(FieldAt(FieldRecord::System, 9)->path, "System.AnalogSensitivity");
    EXPECT_EQ(FieldAt(FieldRecord::System, 30)->path, "System.Reserved");
}

TEST(FieldCatalog, ResetAndExtremeRecordsPassAndTheFirstBadFieldIsNamed) {
    Model m;
    ResetParameters(m, false);
    for (FieldRecord r : {FieldRecord::Program, FieldRecord::System}) {
        EXPECT_EQ(FirstFieldOutOfRange(r, RecordOf(m, r)), nullptr);
        for (bool top : {false, true}) {
            for (const FieldInfo& f : FieldsOf(r))
                if (f.HasCode()) WriteCode(f, RecordOf(m, r), top ? f.max : f.min);
            const FieldInfo* bad = FirstFieldOutOfRange(r, RecordOf(m, r));
            EXPECT_EQ(bad, nullptr) << (bad ? bad->path : "");
        }
    }
    ResetParameters(m, false);
    m.current.Mic12.Gate.Threshold = 61;
    m.current.Scenes[1].Channel[OutOut2].Limiter.Ratio = 41;
    ASSERT_NE(FirstFieldOutOfRange(FieldRecord::Program, RecordOf(m, FieldRecord::Program)), nullptr);
    EXPECT_EQ(FirstFieldOutOfRange(FieldRecord::Program, RecordOf(m, FieldRecord::Program))->path,
              "Mic12.Gate.Threshold");
    m.current.Mic12.Gate.Threshold = 60;
    m.current.MusicLeft.HighPass.Kind = FilterKindLowPass;  // a high-pass record says low-pass
    EXPECT_EQ(FirstFieldOutOfRange(FieldRecord::Program, RecordOf(m, FieldRecord::Program))->path,
              "MusicLeft.HighPass.Kind");
    m.system.SensitivityKeyShift = 0xF1;  // key 15
    EXPECT_EQ(FirstFieldOutOfRange(FieldRecord::System, RecordOf(m, FieldRecord::System))->path,
              "System.KeyShift");
}

TEST(FieldCatalog, BitFieldsKeepTheirNeighbours) {
    Model m;
    ResetParameters(m, false);
    SystemRecord& s = m.system;
    s.MicMaster = 60;
    s.SensitivityKeyShift = 0x71;
    uint8_t* bytes = BytesOf(s);
    WriteCode(*FindField("System.MicMaster.Mute"), bytes, 1);
    EXPECT_EQ(s.MicMaster, 0x80 | 60);
    EXPECT_EQ(ReadCode(*FindField("System.MicMaster.Level"), bytes), 60u);
    WriteCode(*FindField("System.KeyShift"), bytes, 10);
    EXPECT_EQ(s.SensitivityKeyShift, 0xA1);
    EXPECT_EQ(FormatField(*FindField("System.KeyShift"), bytes), "3");
    EXPECT_EQ(FormatField(*FindField("System.AnalogSensitivity"), bytes), "H");
}

TEST(FieldCatalog, ValuesReadAndTypedInEngineeringUnits) {
    struct Case {
        const char* path;
        uint32_t code;
        const char* shown;
        std::vector<const char*> typed;  // each gives `code`
    } cases[] = {
        {"MusicLeft.Eq[3].GainCode",
         105,
         "-3.0 dB",
         {"code:105", "-3dB", "-3.0 dB", "-3.05", "-3", "-30e-1"}},
        {"MusicLeft.Eq[3].FrequencyCode",
         204,
         "1000 Hz",
         {"code:204", "1k", "1000Hz", "1 kHz", "999.9Hz", "1000"}},
        {"Mic12.Eq[1].FrequencyCode", 2, "20.5 Hz", {"20.5", "20.5Hz", "Code: 2"}},
        {"Mic12.HighPass.SlopeCode", 8, "24dB Butuerworth", {"code:8", "24db butuerworth"}},
        {"Mic12.Eq[1].QCode", 10, "0.71", {"code:10", "0.71", "0.7"}},
        {"Mic12.Eq[1].BandType", 1, "P", {"CODE:1", "p"}},
        {"MusicLeft.Gate.Threshold", 0, "OFF", {"code:0", "off"}},
        {"MusicLeft.Gate.Threshold", 1, "-77 dBV", {"code:1", "-77dBV", "-77"}},
        {"Mic34.Compressor.Threshold", 0, "-22 dBV", {"-22", "-22 dBV"}},
        {"Scene1.Out2.Limiter.Threshold", 34, "12 dB", {"12", "12dB"}},
        {"Mic34.Compressor.Attack", 10, "16 ms", {"16", "16 ms", "16ms", "15.9"}},
        {"Mic34.Compressor.Release", 1, "Atk X4", {"code:1", "atk x4"}},
        {"Mic34.Compressor.Ratio", 5, "2.0:1", {"2", "2.0:1", "2:1", "2.1"}},
        {"Mic12.MicLevel", 20, "0.0 dB", {"0dB", "0", "-0", "0.2"}},
        {"Mic12.FeedbackSuppress", 2, "FB.EX2", {"fb.ex2"}},
        {"MusicRight.DynEq[2].Threshold", 60, "12 dBV", {"12dBV"}},
        {"Scene1.Out1.Delay", 1500, "150.0 ms", {"150ms", "150.0 ms", "150", "code:1500"}},
        {"EchoA.Delay", 5000, "500.0 ms", {"500 ms"}},
        {"EchoA.RightDelay", 0, "-50 %", {"-50%", "-50"}},
        {"Reverb.ReverbTime", 50000, "5000.0 ms", {"5000ms", "5k ms", "5e3"}},
        {"Scene3.Center.MusicLevel", 200, "200 %", {"200", "200%"}},
        {"ActiveScene", 2, "Disco", {"disco"}},
        {"System.VodInputGain", 0, "-10.0 dB", {"-10dB"}},
        {"System.MicMaster.Mute", 1, "ON", {"on"}},
        {"System.MicMaster.Level", 60, "60", {"60", "code:60"}},
        {"System.InputSelect", 1, "AUDIO", {"audio"}},
        // A plain number is a value: the key shift's "0" is code 7, not code 0.
        {"System.KeyShift", 7, "0", {"0", "+0", "-0", "code:7"}},
        {"System.KeyShift", 0, "-7", {"-7", "code:0"}},
        // Programs 17..21 are F1..F5 whichever way they are named.
        {"System.ProgramNumber", 18, "F2", {"18", "f2", "code:18"}},
        {"System.ProgramNumber", 5, "5", {"5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const FieldInfo* f = FindField(c.path);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(FormatCode(*f, c.code), c.shown);
        for (const char* t : c.typed) {
            std::string error;
            EXPECT_EQ(ParseCode(*f, t, &error), c.code) << t << ": " << error;
        }
        EXPECT_EQ(ParseCode(*f, c.shown), c.code) << "what is shown reads back";
    }
}

TEST(FieldCatalog, TypedValuesOutsideTheFieldOrInTheWrongFormAreRefusedWithAReason) {
    struct Case {
        const char* path;
        const char* typed;
        const char* error;
    } cases[] = {
        {"MusicLeft.Eq[3].GainCode", "25dB", "MusicLeft.Eq[3].GainCode: 25dB is outside -24.0 dB .. 24.0 dB"},
        {"MusicLeft.Eq[3].GainCode", "241", "MusicLeft.Eq[3].GainCode: 241 is outside -24.0 dB .. 24.0 dB"},
        {"MusicLeft.Eq[3].GainCode", "code:241",
         "MusicLeft.Eq[3].GainCode: code:241 is outside code:0 .. code:240 (-24.0 dB .. 24.0 dB)"},
        {"MusicLeft.Eq[3].GainCode", "code:-1",
         "MusicLeft.Eq[3].GainCode: \"code:-1\" is not a raw code (code:0 .. code:240)"},
        {"MusicLeft.Eq[3].GainCode", "3kHz", "MusicLeft.Eq[3].GainCode: \"Hz\" is not its unit (dB)"},
        {"MusicLeft.Eq[3].FrequencyCode", "30k",
         "MusicLeft.Eq[3].FrequencyCode: 30k is outside 19.7 Hz .. 20600 Hz"},
        {"MusicLeft.Eq[3].FrequencyCode", "19.6Hz",
         "MusicLeft.Eq[3].FrequencyCode: 19.6Hz is outside 19.7 Hz .. 20600 Hz"},
        {"MusicLeft.Gate.Threshold", "-78",
         "MusicLeft.Gate.Threshold: -78 is outside -77 dBV .. -18 dBV or OFF"},
        {"Mic12.FeedbackSuppress", "FB.EX9",
         "Mic12.FeedbackSuppress: \"FB.EX9\" is not one of OFF, FB.EX1, FB.EX2, FB.EX3, FB.EX4"},
        // A bare number on a field read by name was taken as a raw code once; now it says how to write one.
        {"Scene1.Out2.Mute", "1",
         "Scene1.Out2.Mute: \"1\" is not one of OFF, ON (a raw code is written code:1)"},
        {"Mic12.Eq[1].BandType", "0.5", "Mic12.Eq[1].BandType: \"0.5\" is not one of BY, P, LS, HS"},
        {"Mic12.LowPass.Kind", "HighPass", "Mic12.LowPass.Kind: \"HighPass\" is not one of LowPass"},
        {"Scene1.Out1.Delay", "151ms", "Scene1.Out1.Delay: 151ms is outside 0.0 ms .. 150.0 ms"},
        {"System.KeyShift", "8", "System.KeyShift: 8 is outside -7 .. 7"},
        {"System.KeyShift", "", "System.KeyShift: no value given; it takes -7 .. 7"},
        {"System.KeyShift", "up", "System.KeyShift: \"up\" is not a value in -7 .. 7"},
        {"System.ProgramNumber", "F6", "System.ProgramNumber: \"F6\" is not 0 .. 16, F1 .. F5"},
        {"System.ProgramNumber", "22", "System.ProgramNumber: \"22\" is not 0 .. 16, F1 .. F5"},
        {"System.MicMax", "99999999999", "System.MicMax: 99999999999 is outside 0 .. 84"},
        {"System.MicMax", "code:99999999999",
         "System.MicMax: code:99999999999 is outside code:0 .. code:84 (0 .. 84)"},
        {"ProgramName", "abc", "ProgramName: holds characters or bytes, not a code"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + c.typed);
        std::string error;
        EXPECT_EQ(ParseCode(*FindField(c.path), c.typed, &error), std::nullopt);
        EXPECT_EQ(error, c.error);
    }
}

TEST(FieldCatalog, TextAndOpaqueFieldsShowTheirBytes) {
    Model m;
    ResetParameters(m, false);
    BytesFromText(m.current.ProgramName, kProgramNameLength, "Hall B");
    EXPECT_EQ(FormatField(*FindField("ProgramName"), BytesOf(m.current)), "Hall B");
    m.current.MusicLeft.Spare[1] = 0xAB;
    EXPECT_EQ(FormatField(*FindField("MusicLeft.Spare"), BytesOf(m.current)), "00 AB 00 00 00");
    EXPECT_EQ(FormatCode(*FindField("Mic12.Eq[1].GainCode"), 250), "250 (outside 0..240)");
}

}  // namespace
}  // namespace pavo
