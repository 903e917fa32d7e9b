// pavo-cli on preset files: the response curve of an EQ block, and files that are not presets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "cli_support.h"
#include "eq/KTVEQ.h"
#include "model/CodeTables.h"
#include "model/DataConver.h"
#include "model/FieldCatalog.h"
#include "model/PresetFiles.h"
#include "virtual_unit/VirtualUnit.h"

namespace pavo::clitest {
namespace {

// A program with shaped bands everywhere, edited in scene 2, with an output channel of that scene
// given bands of its own and a steep high-pass.
DiaContents GeneratedProgram() {
    DiaContents d{};
    d.system = unit::FactorySystem();
    d.image = unit::FactoryProgram(6);
    d.image.ActiveScene = 2;
    OutputChannel& out2 = d.image.Scenes[1].Channel[OutOut2];
    for (int k = 0; k < 10; ++k)
        SetBand(out2.Eq[k], static_cast<uint16_t>(40 + 30 * k), static_cast<uint8_t>(90 + 7 * k), 20,
                BandPeak);
    SetFilter(out2.HighPass, FilterKindHighPass, 120, 9);
    d.image.MusicLeft.DynEq[1].Band.GainCode = 150;
    d.image.MusicLeft.DynEq[1].Band.BandType = BandLowShelf;
    return d;
}

// The block's levels summed straight from the filter model, on band sets of our own.
GridLevels ExpectedSum(DiaContents& d, int block) {
    CKTVEQ set;
    ProgramImage& img = d.image;
    switch (block) {
        case 0:
            set.CreateBands(15, img.MusicLeft.Eq, &img.MusicLeft.HighPass, &img.MusicLeft.LowPass);
            break;
        case 12: {
            OutputChannel& c = img.Scenes[1].Channel[4];  // scene 2: the one the program edits
            set.CreateBands(10, c.Eq, &c.HighPass, &c.LowPass);
            break;
        }
        case 16:
            set.CreateDynamicBands(img.MusicLeft.DynEq);
            break;
    }
    GridLevels sum{};
    for (int i = 0; i < set.GetSize(); ++i)
        for (int k = 0; k < kGridPoints; ++k) sum[k] += set[i].LevelDb()[k];
    return sum;
}

TEST(CliFiles, CurveIsTheSummedResponseOfTheFilterModelOnTheGraphsGrid) {
    ScratchDir dir;
    DiaContents d = GeneratedProgram();
    ASSERT_TRUE(WriteDia(dir / "room.dia", d.system, d.image));
    for (int block : {0, 12, 16}) {
        SCOPED_TRACE(block);
        const CliRun run = RunCli({"curve", "room.dia", "--block", std::to_string(block)}, dir.path());
        ASSERT_EQ(run.code, 0) << run.err;
        const auto lines = run.OutLines();
        ASSERT_EQ(lines.size(), kGridPoints + 1u);
        EXPECT_EQ(lines[0], "Hz,dB");
        const GridLevels expected = ExpectedSum(d, block);
        double lowest = 0, highest = 0;
        for (int k = 0; k < kGridPoints; ++k) {
            const std::string& l = lines[k + 1];
            const size_t comma = l.find(',');
            ASSERT_NE(comma, std::string::npos) << l;
            EXPECT_DOUBLE_EQ(std::strtod(l.c_str(), nullptr), ResponseGrid()[k]) << l;
            const double level = std::strtod(l.c_str() + comma + 1, nullptr);
            EXPECT_NEAR(level, expected[k], 0.00005) << l;
            lowest = std::min(lowest, level);
            highest = std::max(highest, level);
        }
        EXPECT_GT(highest - lowest, 3.0) << "a curve with some shape";
    }
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(CliFiles, ShowPrintsEveryFieldByPathInEngineeringUnits) {
    ScratchDir dir;
    DiaContents d = GeneratedProgram();
    d.image.Mic12.MicLevel = 30;  // +5.0 dB
    BytesFromText(d.image.ProgramName, kProgramNameLength, "Room 7");
    ASSERT_TRUE(WriteDia(dir / "room.dia", d.system, d.image));
    const CliRun text = RunCli({"show", "room.dia"}, dir.path());
    ASSERT_EQ(text.code, 0) << text.err;
    const auto lines = text.OutLines();
    ASSERT_EQ(lines.size(), Fields().size());
    EXPECT_EQ(lines.front().rfind("System.ProgramNumber", 0), 0u);  // the system record first
    auto line = [&](const std::string& path) {
        for (const std::string& l : lines)
            if (l.rfind(path + " ", 0) == 0) return l.substr(l.find_first_not_of(' ', path.size()));
        return std::string("(missing)");
    };
    EXPECT_EQ(line("ProgramName"), "\"Room 7\"");
    EXPECT_EQ(line("Mic12.MicLevel"), "5.0 dB");
    EXPECT_EQ(line("ActiveScene"), "Disco");
    EXPECT_EQ(line("Scene2.Out2.HighPass.SlopeCode"), "24dBLink-Riley");
    EXPECT_EQ(line("Scene2.Out2.Eq[1].FrequencyCode"),
              FormatCode(*FindField("Scene2.Out2.Eq[1].FrequencyCode"), 40));

    // The stable form: every field with its code and value, text fields with their bytes.
    const CliRun json = RunCli({"show", "room.dia", "--json"}, dir.path());
    ASSERT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\n  \"kind\": \"program\",\n  \"system\": {\n", 0), 0u)
        << json.out.substr(0, 80);
    EXPECT_EQ(Count(json.out, "\"code\": "), Count(json.out, "\"value\": "));
    EXPECT_EQ(Count(json.out, "\"hex\": "), 8u);  // the name, 2 passwords, the reserved bytes, 4 spares
    EXPECT_NE(json.out.find("    \"Mic12.MicLevel\": {\"code\": 30, \"value\": \"5.0 dB\"},\n"),
              std::string::npos);
    EXPECT_NE(json.out.find("\"ProgramName\": {\"text\": \"Room 7\", \"hex\": \"52 6F 6F 6D 20 37"),
              std::string::npos);
    EXPECT_EQ(Count(json.out, "{"), Count(json.out, "}"));

    // A bank: the header's fields, then each program's under its number, then the valid flag.
    auto bank = std::make_unique<ProgramBank>();
    bank->System = d.system;
    for (int n = 1; n <= kProgramCount; ++n) bank->Programs[n - 1] = unit::FactoryProgram(n);
    bank->Valid = 1;
    ASSERT_TRUE(WriteDat(dir / "all.dat", *bank));
    const CliRun all = RunCli({"show", "all.dat"}, dir.path());
    ASSERT_EQ(all.code, 0) << all.err;
    EXPECT_EQ(all.OutLines().size(),
              FieldsOf(FieldRecord::System).size() + 21 * FieldsOf(FieldRecord::Program).size() + 1);
    EXPECT_NE(all.out.find("\nProgram21.ProgramName"), std::string::npos);
    EXPECT_EQ(all.OutLines().back().rfind("Valid ", 0), 0u);
    const CliRun allJson = RunCli({"show", "all.dat", "--json"}, dir.path());
    EXPECT_EQ(Count(allJson.out, "\"ProgramName\": "), 21u);
    EXPECT_NE(allJson.out.find("\n  \"valid\": 1\n}\n"), std::string::npos);
}

TEST(CliFiles, DiffListsTheFieldsThatDifferInEngineeringUnits) {
    ScratchDir dir;
    const DiaContents a = GeneratedProgram();
    DiaContents b = a;
    b.system.MicMaster = static_cast<uint8_t>(b.system.MicMaster | kMasterMuteBit);  // a bit beside the level
    b.image.MusicLeft.Eq[2].GainCode = 105;
    b.image.EchoA.Delay = 2500;
    ASSERT_TRUE(WriteDia(dir / "a.dia", a.system, a.image));
    ASSERT_TRUE(WriteDia(dir / "b.dia", b.system, b.image));
    const CliRun run = RunCli({"diff", "a.dia", "b.dia"}, dir.path());
    ASSERT_EQ(run.code, 1) << run.err;  // as diff(1): different
    const auto field = [](const char* path) { return FindField(path); };
    EXPECT_EQ(run.OutLines(),
              (std::vector<std::string>{
                  "System.MicMaster.Mute: OFF -> ON",
                  "EchoA.Delay: " + FormatCode(*field("EchoA.Delay"), a.image.EchoA.Delay) + " -> 250.0 ms",
                  "MusicLeft.Eq[3].GainCode: " +
                      FormatCode(*field("MusicLeft.Eq[3].GainCode"), a.image.MusicLeft.Eq[2].GainCode) +
                      " -> -3.0 dB",
              }));
    const CliRun same = RunCli({"diff", "a.dia", "a.dia"}, dir.path());
    EXPECT_EQ(same.code, 0);
    EXPECT_EQ(same.out, "");

    // Banks by program number; a program file and a bank do not compare.
    auto bank = std::make_unique<ProgramBank>();
    bank->Valid = 1;
    ASSERT_TRUE(WriteDat(dir / "x.dat", *bank));
    BytesFromText(bank->Programs[4].ProgramName, kProgramNameLength, "Five");
    ASSERT_TRUE(WriteDat(dir / "y.dat", *bank));
    EXPECT_EQ(RunCli({"diff", "x.dat", "y.dat"}, dir.path()).OutLines(),
              std::vector<std::string>{"Program5.ProgramName: \"\" -> \"Five\""});
    const CliRun mixed = RunCli({"diff", "a.dia", "x.dat"}, dir.path());
    EXPECT_EQ(mixed.code, 2);
    EXPECT_EQ(
        mixed.ErrLines(),
        std::vector<std::string>{"pavo-cli: cannot compare a program file (.dia) with a bank file (.dat)"});
}

TEST(CliFiles, TruncatedOrOversizedFilesAreRefusedWithExitTwo) {
    ScratchDir dir;
    const DiaContents d = GeneratedProgram();
    ASSERT_TRUE(WriteDia(dir / "room.dia", d.system, d.image));
    std::filesystem::resize_file(dir / "room.dia", kDiaFileSize - 1);
    { std::ofstream(dir / "big.dia", std::ios::binary) << std::string(kDiaFileSize + 1, 'x'); }
    const CliRun truncated = RunCli({"curve", "room.dia", "--block", "0"}, dir.path());
    EXPECT_EQ(truncated.code, 2);
    EXPECT_EQ(truncated.ErrLines(),
              std::vector<std::string>{"pavo-cli: room.dia has 2777 bytes: a program file (.dia) has 2778"});
    EXPECT_EQ(truncated.out, "");
    for (const char* command : {"show", "diff"}) {
        SCOPED_TRACE(command);
        std::vector<std::string> args{command, "room.dia"};
        if (std::string(command) == "diff") args.push_back("room.dia");
        const CliRun run = RunCli(args, dir.path());
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(run.ErrLines(),
                  std::vector<std::string>{"pavo-cli: room.dia has 2777 bytes: a program file (.dia) "
                                           "has 2778, a bank file (.dat) 57019"});
    }
    const CliRun oversized = RunCli({"curve", "big.dia", "--block", "0"}, dir.path());
    EXPECT_EQ(oversized.code, 2);
    EXPECT_EQ(oversized.ErrLines(),
              std::vector<std::string>{"pavo-cli: big.dia has 2779 bytes: a program file (.dia) has 2778"});
}

}  // namespace
}  // namespace pavo::clitest
