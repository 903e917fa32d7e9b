// pavo-cli on preset files: the response curve of an EQ block, and files that are not presets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "cli_support.h"
#include "eq/KTVEQ.h"
#include "model/CodeTables.h"
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
    const CliRun oversized = RunCli({"curve", "big.dia", "--block", "0"}, dir.path());
    EXPECT_EQ(oversized.code, 2);
    EXPECT_EQ(oversized.ErrLines(),
              std::vector<std::string>{"pavo-cli: big.dia has 2779 bytes: a program file (.dia) has 2778"});
}

}  // namespace
}  // namespace pavo::clitest
