// pavo-cli autoeq: a block fitted to a measurement made from a known band set, printed, written to a
// program file, and sent to a unit as the bands that changed; refusals before anything is sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>

#include "cli_support.h"
#include "eq/BlockResponse.h"
#include "model/CodeTables.h"
#include "model/PresetFiles.h"
#include "virtual_unit/VirtualUnit.h"

namespace pavo::clitest {
namespace {

using nlohmann::json;

int SceneOf(const ProgramImage& image) {
    return image.ActiveScene >= 1 && image.ActiveScene <= 3 ? image.ActiveScene : 1;
}

// What a microphone would measure before the EQ if `shaped` were the cure: the block's response with
// the known bands, inverted, written as a room-measurement export on the response grid.
void WriteMeasurement(const std::string& path, const ProgramImage& shaped, int block) {
    const auto response = BlockResponse(shaped, block, SceneOf(shaped));
    ASSERT_TRUE(response);
    std::ofstream out(path);
    out << "* made from a known band set\n";
    for (int k = 0; k < kGridPoints; ++k) out << ResponseGrid()[k] << " " << -(*response)[k] << "\n";
}

// RMS of a - b about its mean over the grid points from 40 Hz to 16 kHz.
double LevelFreeRms(const GridLevels& a, const GridLevels& b) {
    std::vector<double> d;
    for (int k = 0; k < kGridPoints; ++k)
        if (ResponseGrid()[k] >= 40 && ResponseGrid()[k] <= 16000) d.push_back(a[k] - b[k]);
    double mean = 0, sum = 0;
    for (double x : d) mean += x / d.size();
    for (double x : d) sum += (x - mean) * (x - mean);
    return std::sqrt(sum / d.size());
}

TEST(CliAutoEq, FitsAFileAndWritesTheFittedProgram) {
    ScratchDir dir;
    DiaContents flat{};
    flat.system = unit::FactorySystem();
    flat.image = unit::FactoryProgram(1);
    ASSERT_TRUE(WriteDia(dir / "flat.dia", flat.system, flat.image));
    ProgramImage shaped = flat.image;
    SetBand(shaped.Mic12.Eq[0], 120, 140, 20, BandPeak);  // +4 dB
    SetBand(shaped.Mic12.Eq[1], 250, 90, 30, BandPeak);   // -6 dB
    WriteMeasurement(dir / "room.txt", shaped, 2);

    const CliRun run = RunCli({"autoeq", "--block", "Mic12", "--measurement", "room.txt", "--from",
                               "flat.dia", "--out", "fitted.dia", "--json"},
                              dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    const json doc = json::parse(run.out);
    EXPECT_EQ(doc.at("block"), "Mic12");
    EXPECT_LT(doc.at("rmsAfter").get<double>(), 0.5);
    EXPECT_GT(doc.at("rmsBefore").get<double>(), 2.0);
    const size_t kBands = std::size(flat.image.Mic12.Eq);
    ASSERT_EQ(doc.at("bands").size(), kBands) << "every band of the block";
    for (const json& b : doc["bands"]) {
        for (const char* key :
             {"band", "type", "frequencyCode", "gainCode", "qCode", "frequency", "gain", "q", "used"})
            EXPECT_TRUE(b.contains(key)) << key << " in " << b.dump();
        EXPECT_LE(b.at("gain").get<double>(), 6.0) << "the default boost limit";
        EXPECT_GE(b.at("gain").get<double>(), -12.0) << "the default cut limit";
    }

    // The file holds the source program with exactly those codes in the block.
    DiaContents fitted;
    ASSERT_TRUE(ReadDia(dir / "fitted.dia", fitted));
    for (size_t i = 0; i < kBands; ++i) {
        const json& b = doc["bands"][i];
        EXPECT_EQ(fitted.image.Mic12.Eq[i].FrequencyCode, b.at("frequencyCode").get<int>()) << i;
        EXPECT_EQ(fitted.image.Mic12.Eq[i].GainCode, b.at("gainCode").get<int>()) << i;
        EXPECT_EQ(fitted.image.Mic12.Eq[i].QCode, b.at("qCode").get<int>()) << i;
    }
    ProgramImage rest = fitted.image;
    std::copy(std::begin(flat.image.Mic12.Eq), std::end(flat.image.Mic12.Eq), std::begin(rest.Mic12.Eq));
    EXPECT_TRUE(SameRecord(rest, flat.image)) << "nothing but the block's bands changed";
    EXPECT_LT(LevelFreeRms(*BlockResponse(fitted.image, 2, 1), *BlockResponse(shaped, 2, 1)), 0.5);

    // The text form: a line a band and the errors.
    const CliRun text =
        RunCli({"autoeq", "--block", "2", "--measurement", "room.txt", "--from", "flat.dia"}, dir.path());
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.OutLines().size(), kBands + 2) << text.out;
    EXPECT_EQ(text.OutLines().back().rfind("RMS error ", 0), 0u) << text.out;
}

// On a unit: one read, then only the bands that changed go out, through the change scanner; --dry-run
// sends nothing.
TEST(CliAutoEq, SendsTheChangedBandsOfTheUnitsProgram) {
    auto u = StartUnit();
    ScratchDir dir;
    const ProgramImage before = u->Unit().CurrentImage();
    const int scene = SceneOf(before);
    ProgramImage shaped = before;
    SetBand(shaped.Scenes[scene - 1].Channel[OutOut1].Eq[2], 200, 150, 25, BandPeak);  // +6 dB
    WriteMeasurement(dir / "room.txt", shaped, 13);
    const auto eqFrames = [&] {
        const auto frames = u->Received();
        return std::count_if(frames.begin(), frames.end(), [](const auto& f) { return f.frame.cmd == 0x03; });
    };

    CliRun run = RunCli({"autoeq", "--port", u->DevicePath(), "--block", "Out1", "--measurement", "room.txt",
                         "--dry-run", "--json"},
                        dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(json::parse(run.out).at("sent"), 0);
    EXPECT_EQ(eqFrames(), 0);
    EXPECT_TRUE(SameRecord(u->Unit().CurrentImage(), before));

    run = RunCli(
        {"autoeq", "--port", u->DevicePath(), "--block", "Out1", "--measurement", "room.txt", "--json"},
        dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    const json doc = json::parse(run.out);
    EXPECT_EQ(doc.at("scene"), scene);
    const ProgramImage after = u->Unit().CurrentImage();
    int changed = 0;
    for (int i = 0; i < 10; ++i) {
        const EqBand& was = before.Scenes[scene - 1].Channel[OutOut1].Eq[i];
        const EqBand& now = after.Scenes[scene - 1].Channel[OutOut1].Eq[i];
        const json& b = doc["bands"][i];
        EXPECT_EQ(now.FrequencyCode, b.at("frequencyCode").get<int>()) << i;
        EXPECT_EQ(now.GainCode, b.at("gainCode").get<int>()) << i;
        EXPECT_EQ(now.QCode, b.at("qCode").get<int>()) << i;
        changed += std::memcmp(&was, &now, sizeof(EqBand)) != 0;
    }
    EXPECT_GT(changed, 0);
    EXPECT_EQ(eqFrames(), changed) << "one frame a changed band";
    EXPECT_EQ(doc.at("sent"), changed);
    EXPECT_LT(LevelFreeRms(*BlockResponse(after, 13, scene), *BlockResponse(shaped, 13, scene)), 0.5);
}

TEST(CliAutoEq, RefusalsNameTheCauseAndSendNothing) {
    auto u = StartUnit();
    ScratchDir dir;
    std::ofstream(dir / "bad.txt") << "* header\n20 0\n30 x\n";
    {
        std::ofstream good(dir / "good.txt");
        for (double hz = 20; hz < 20000; hz *= 1.5) good << hz << " 0\n";
    }
    struct Case {
        std::vector<std::string> args;
        std::string error;
    };
    const std::string port = u->DevicePath();
    const Case cases[] = {
        {{"--block", "Out1", "--measurement", "bad.txt"}, "bad.txt:3: "},
        {{"--block", "Out1", "--measurement", "none.txt"}, "none.txt"},
        {{"--block", "Out1"}, "autoeq needs --block B and --measurement FILE"},
        {{"--block", "MusicLeftDyn", "--measurement", "good.txt"}, "the dynamic EQ blocks are not fitted"},
        {{"--block", "Out1", "--measurement", "good.txt", "--bands", "11"},
         "band 11 is not one of the block's"},
        {{"--block", "Out1", "--measurement", "good.txt", "--range", "800:100"}, "--range takes LO:HI"},
        {{"--block", "Out1", "--measurement", "good.txt", "--bands", "0-3"}, "--bands takes band numbers"},
        {{"--block", "Out1", "--measurement", "good.txt", "--from", "x.dia"},
         "autoeq fits the program of a file (--from) or of a unit (--port), not both"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"autoeq", "--port", port};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(args[4]);
        const CliRun run = RunCli(args, dir.path());
        EXPECT_EQ(run.code, 2);
        ASSERT_EQ(run.ErrLines().size(), 1u) << run.err;
        EXPECT_EQ(run.ErrLines()[0].rfind("pavo-cli: " + c.error, 0), 0u) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(u->ReceivedCount(), 0u) << "refused before the port opened";
}

}  // namespace
}  // namespace pavo::clitest
