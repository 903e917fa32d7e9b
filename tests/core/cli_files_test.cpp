// pavo-cli on preset files: the response curve of an EQ block, and files that are not presets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include <nlohmann/json.hpp>

#include "cli_support.h"
#include "eq/KTVEQ.h"
#include "model/CodeTables.h"
#include "model/DataConver.h"
#include "model/FieldCatalog.h"
#include "model/FieldValue.h"
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
    const std::pair<int, const char*> blocks[] = {{0, "0"}, {12, "Out2"}, {16, "musicleftdyn"}};
    for (const auto& [block, name] : blocks) {
        SCOPED_TRACE(name);
        const CliRun run = RunCli({"curve", "room.dia", "--block", name}, dir.path());
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

        // The same numbers as JSON, from the program as program 4 of a bank too.
        auto bank = std::make_unique<ProgramBank>();
        bank->Programs[3] = d.image;
        ASSERT_TRUE(WriteDat(dir / "bank.dat", *bank));
        const CliRun json =
            RunCli({"curve", "bank.dat", "--program", "4", "--block", name, "--json"}, dir.path());
        ASSERT_EQ(json.code, 0) << json.err;
        const auto doc = nlohmann::json::parse(json.out);
        EXPECT_EQ(doc.at("blockNumber"), block);
        EXPECT_EQ(doc.at("scene"), 2);
        ASSERT_EQ(doc.at("points").size(), size_t{kGridPoints});
        for (int k = 0; k < kGridPoints; k += 7) {
            EXPECT_DOUBLE_EQ(doc["points"][k].at("hz").get<double>(), ResponseGrid()[k]);
            EXPECT_NEAR(doc["points"][k].at("db").get<double>(), expected[k], 1e-9);
        }
    }
    const CliRun noProgram = RunCli({"curve", "bank.dat", "--block", "Mic12"}, dir.path());
    EXPECT_EQ(noProgram.code, 2);
    EXPECT_EQ(noProgram.ErrLines(),
              std::vector<std::string>{"pavo-cli: bank.dat is a bank: give --program N (1..21, or F1..F5)"});
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

    // The stable form: every field by path with its code and typed value, text fields with their bytes.
    const CliRun json = RunCli({"show", "room.dia", "--json"}, dir.path());
    ASSERT_EQ(json.code, 0) << json.err;
    const auto doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc.at("kind"), "program");
    EXPECT_EQ(doc.at("system").size() + doc.at("program").size(), Fields().size());
    EXPECT_EQ(doc["program"].at("Mic12.MicLevel"),
              nlohmann::json::parse(R"({"code": 30, "number": 5.0, "unit": "dB"})"));
    EXPECT_EQ(doc["program"].at("ActiveScene"), nlohmann::json::parse(R"({"code": 2, "text": "Disco"})"));
    EXPECT_EQ(doc["program"].at("Scene2.Out2.Mute").at("boolean"), false);
    EXPECT_EQ(doc["system"].at("System.ProgramNumber").at("text"), "1");
    EXPECT_EQ(doc["program"].at("ProgramName").at("text"), "Room 7");
    EXPECT_EQ(doc["program"]["ProgramName"].at("hex").get<std::string>().rfind("52 6F 6F 6D 20 37 ", 0), 0u);
    int bytesOnly = 0;
    for (const auto* record : {&doc["system"], &doc["program"]})
        for (const auto& [path, value] : record->items()) bytesOnly += !value.contains("code");
    EXPECT_EQ(bytesOnly, 8);  // the name, 2 passwords, the reserved bytes, 4 spares

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
    const auto allJson = nlohmann::json::parse(RunCli({"show", "all.dat", "--json"}, dir.path()).out);
    ASSERT_EQ(allJson.at("programs").size(), 21u);
    EXPECT_EQ(allJson["programs"][20].at("ProgramName").at("text"), "Function 5");
    EXPECT_EQ(allJson.at("valid"), 1);
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
    const auto json = nlohmann::json::parse(RunCli({"diff", "a.dia", "b.dia", "--json"}, dir.path()).out);
    EXPECT_EQ(json.at("same"), false);
    ASSERT_EQ(json.at("differences").size(), 3u);
    EXPECT_EQ(json["differences"][2],
              nlohmann::json::parse(R"({"path": "MusicLeft.Eq[3].GainCode",
        "a": {"code": )" + std::to_string(a.image.MusicLeft.Eq[2].GainCode) +
                                    R"(, "number": )" +
                                    nlohmann::json(*NumberOfCode(*field("MusicLeft.Eq[3].GainCode"),
                                                                 a.image.MusicLeft.Eq[2].GainCode))
                                        .dump() +
                                    R"(, "unit": "dB"}, "b": {"code": 105, "number": -3.0, "unit": "dB"}})"));
    EXPECT_EQ(nlohmann::json::parse(RunCli({"diff", "a.dia", "a.dia", "--json"}, dir.path()).out),
              nlohmann::json::parse(R"({"same": true, "differences": []})"));

    // Banks by program number; a program file and a bank do not compare.
    auto bank = std::make_unique<ProgramBank>();
    bank->Valid = 1;
    ASSERT_TRUE(WriteDat(dir / "x.dat", *bank));
    BytesFromText(bank->Programs[4].ProgramName, kProgramNameLength, "Five");
    ASSERT_TRUE(WriteDat(dir / "y.dat", *bank));
    const CliRun banks = RunCli({"diff", "x.dat", "y.dat"}, dir.path());
    EXPECT_EQ(banks.code, 1);
    EXPECT_EQ(banks.OutLines(), std::vector<std::string>{"Program5.ProgramName: \"\" -> \"Five\""});
    const CliRun mixed = RunCli({"diff", "a.dia", "x.dat"}, dir.path());
    EXPECT_EQ(mixed.code, 2);  // trouble
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

// The catalog without a file or a unit: every path once, with what it takes and its names.
TEST(CliFiles, FieldsListsEveryParameterWithItsRangeUnitStepAndNames) {
    ScratchDir dir;
    const CliRun text = RunCli({"fields"}, dir.path());
    ASSERT_EQ(text.code, 0) << text.err;
    ASSERT_EQ(text.OutLines().size(), Fields().size());
    const auto line = [&](const std::string& path) {
        for (const std::string& l : text.OutLines())
            if (l.rfind(path + " ", 0) == 0) return l;
        return std::string("(missing)");
    };
    EXPECT_TRUE(
        Contains(line("Mic12.MicLevel"),
                 " number   -10.0 dB .. 10.0 dB, step 0.5 dB  \"Mic 1&2 Mic Level\" \"话筒1&2 话筒电平\""))
        << line("Mic12.MicLevel");
    EXPECT_TRUE(Contains(line("Scene2.Out1.Eq[3].GainCode"),
                         "\"Scene 2 Out 1 EQ band 3 gain\" \"场景2 输出1 EQ 频段3 增益\""))
        << line("Scene2.Out1.Eq[3].GainCode");

    const CliRun json = RunCli({"fields", "--json"}, dir.path());
    ASSERT_EQ(json.code, 0) << json.err;
    const auto fields = nlohmann::json::parse(json.out).at("fields");
    ASSERT_EQ(fields.size(), Fields().size());
    std::map<std::string, nlohmann::json> byPath;
    for (const auto& f : fields) {
        EXPECT_FALSE(f.at("names").at("en").get<std::string>().empty()) << f.dump();
        EXPECT_FALSE(f.at("names").at("zh").get<std::string>().empty()) << f.dump();
        byPath[f.at("path")] = f;
    }
    EXPECT_EQ(byPath.size(), Fields().size()) << "every path once";
    const auto& gain = byPath.at("MusicLeft.Eq[3].GainCode");
    EXPECT_EQ(gain.at("kind"), "number");
    EXPECT_EQ(gain.at("unit"), "dB");
    EXPECT_DOUBLE_EQ(gain.at("step").get<double>(), 0.2);
    EXPECT_EQ(gain.at("min"), 0);
    EXPECT_EQ(gain.at("max"), 240);
    EXPECT_EQ(gain.at("range"), "-24.0 dB .. 24.0 dB");
    EXPECT_TRUE(byPath.at("Mic12.Eq[1].FrequencyCode").at("step").is_null()) << "a table, not steps";
    EXPECT_EQ(byPath.at("Scene1.Out2.Mute").at("kind"), "switch");
    EXPECT_EQ(byPath.at("ActiveScene").at("choices"),
              nlohmann::json::parse(R"(["Auto", "Sing", "Disco", "Decode"])"));
    EXPECT_EQ(byPath.at("System.ProgramNumber").at("kind"), "program");
    EXPECT_EQ(byPath.at("ProgramName").at("kind"), "text");
    EXPECT_EQ(byPath.at("ProgramName").at("bytes"), 20);
    EXPECT_EQ(byPath.at("System.Reserved").at("kind"), "bytes");
}

}  // namespace
}  // namespace pavo::clitest
