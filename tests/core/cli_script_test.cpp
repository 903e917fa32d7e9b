// pavo-cli as scripts use it: many edits over one connection, output that goes to a reader who leaves
// early, the port from the environment, the meters, a program written to a file, a curve read from
// the unit.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli_support.h"
#include "model/FieldCatalog.h"
#include "model/PresetFiles.h"
#include "virtual_unit/UnitLine.h"

namespace pavo::clitest {
namespace {

using unit::UnitLine;

size_t CountOf(const std::vector<unit::ReceivedFrame>& frames, uint8_t cmd) {
    return std::count_if(frames.begin(), frames.end(), [&](const auto& f) { return f.frame.cmd == cmd; });
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Fifty edits in one batch: one lookup, one read, then one frame each; the unit ends with exactly the
// image the edits make. Lines are checked before the port opens; a line that fails at the unit stops
// the run there and names it.
TEST(CliScript, BatchRunsFiftyEditsOverOneConnection) {
    auto u = StartUnit();
    ScratchDir dir;
    ProgramImage expected = u->Unit().CurrentImage();
    std::ostringstream batch;
    batch << "# fifty gains, in dB as get prints them\n\n";
    const std::pair<const char*, int> blocks[] = {
        {"MusicLeft", 15}, {"MusicRight", 15}, {"Mic12", 10}, {"Mic34", 10}};
    int edits = 0;
    for (const auto& [block, bands] : blocks)
        for (int band = 1; band <= bands; ++band) {
            const std::string path = std::string(block) + ".Eq[" + std::to_string(band) + "].GainCode";
            const FieldInfo& f = *FindField(path);
            const uint32_t code = 61 + 3 * static_cast<uint32_t>(edits++);
            ASSERT_NE(ReadCode(f, BytesOf(expected)), code) << path << ": every edit changes its band";
            batch << "set " << path << " \"" << FormatCode(f, code) << "\"\n";
            WriteCode(f, BytesOf(expected), code);
        }
    batch << "get MusicLeft.Eq[1].GainCode Mic34.Eq[10].GainCode\n";
    std::ofstream(dir / "edits.txt") << batch.str();
    ASSERT_EQ(edits, 50);

    const CliRun run =
        RunCli({"batch", "--port", u->DevicePath(), "edits.txt", "--trace", "t.txt"}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    ASSERT_EQ(run.OutLines().size(), 52u);
    EXPECT_EQ(run.OutLines()[50], "MusicLeft.Eq[1].GainCode = " +
                                      FormatCode(*FindField("MusicLeft.Eq[1].GainCode"), 61) + " (code:61)");
    EXPECT_TRUE(SameRecord(u->Unit().CurrentImage(), expected));
    const auto frames = u->Received();
    EXPECT_EQ(CountOf(frames, 0x7F), 1u) << "one lookup";
    EXPECT_EQ(CountOf(frames, 0x82), 1u) << "one read of the current program";
    EXPECT_EQ(CountOf(frames, 0x03), 50u) << "one frame an edit";
    EXPECT_EQ(Occurrences(ReadFile(dir / "t.txt"), "\tDevice lookup\n"), 1u);

    // From stdin: a line the unit cannot take (a scene it does not play) stops the run there.
    const ProgramImage before = u->Unit().CurrentImage();
    CliRun stop =
        RunCli({"batch", "--port", u->DevicePath(), "-"}, dir.path(), 120000,
               WithInput("set Mic12.MicLevel -5dB\n\nset Scene2.Out1.Mute ON\nset Mic12.MicLevel 5dB\n"));
    EXPECT_EQ(stop.code, 2);
    EXPECT_EQ(stop.ErrLines(),
              std::vector<std::string>{"pavo-cli: stdin line 3: Scene2.Out1.Mute is in Scene2, but "
                                       "the unit plays Scene1: only the scene in use takes "
                                       "changes; set ActiveScene first"});
    EXPECT_EQ(u->Unit().CurrentImage().Mic12.MicLevel, 10) << "line 1 done, line 4 never";
    EXPECT_EQ(u->Unit().CurrentImage().Scenes[1].Channel[OutOut1].Mute,
              before.Scenes[1].Channel[OutOut1].Mute);

    // A line that cannot be read refuses the whole batch before the port is opened.
    const size_t frameCount = u->ReceivedCount();
    stop = RunCli({"batch", "--port", u->DevicePath(), "-"}, dir.path(), 120000,
                  WithInput("set Mic12.MicLevel -4dB\nget Mic12.Nothing\n"));
    EXPECT_EQ(stop.code, 2);
    EXPECT_EQ(stop.ErrLines(),
              std::vector<std::string>{
                  "pavo-cli: stdin line 2: no field Mic12.Nothing; pavo-cli fields lists them"});
    EXPECT_EQ(u->ReceivedCount(), frameCount);
}

// A reader that leaves at once (`| head -1`) does not end the run: the backup is written whole, with
// its progress on stderr only, and a batch still makes its edits after its first line of output.
TEST(CliScript, AReaderThatLeavesEarlyDoesNotStopTheWork) {
    auto u = StartUnit();
    ScratchDir dir;
    CliSetup gone;
    gone.closeStdout = true;
    CliRun run =
        RunCli({"backup", "--port", u->DevicePath(), "room.dat", "--progress"}, dir.path(), 120000, gone);
    ASSERT_EQ(run.code, 0) << run.err;
    ASSERT_EQ(std::filesystem::file_size(dir / "room.dat"), kDatFileSize);
    ProgramBank bank;
    ASSERT_TRUE(ReadDat(dir / "room.dat", bank));
    EXPECT_TRUE(SameRecord(bank.Programs[20], u->Unit().StoredProgram(21)));
    const auto err = run.ErrLines();
    ASSERT_EQ(err.size(), 23u) << run.err;
    EXPECT_EQ(err.front(), "reading programs 1/22");
    EXPECT_EQ(err[21], "reading programs 22/22");
    EXPECT_EQ(err.back(), "pavo-cli: wrote room.dat: 21 programs and the system record (57019 bytes)");

    gone.input = "get Mic12.MicLevel\nset Mic12.MicLevel -5dB\n";
    run = RunCli({"batch", "--port", u->DevicePath(), "-"}, dir.path(), 120000, gone);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(u->Unit().CurrentImage().Mic12.MicLevel, 10);
}

// PAVO_PORT stands for --port; --port still wins.
TEST(CliScript, ThePortFromTheEnvironment) {
    auto u = StartUnit();
    ScratchDir dir;
    CliSetup env;
    env.env = {"PAVO_PORT=" + u->DevicePath()};
    CliRun run = RunCli({"get", "Mic12.MicLevel"}, dir.path(), 120000, env);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.OutLines().size(), 1u);
    env.env = {"PAVO_PORT=/dev/nowhere"};
    run = RunCli({"get", "--port", u->DevicePath(), "Mic12.MicLevel"}, dir.path(), 120000, env);
    EXPECT_EQ(run.code, 0) << run.err;
}

// The meters as the system page gets them: one line per status reply, levels and indicators in turn,
// twelve values each, until the count or an interrupt.
TEST(CliScript, MetersPrintEachPollUntilStopped) {
    auto u = StartUnit();
    ScratchDir dir;
    CliRun run = RunCli({"meters", "--port", u->DevicePath(), "--count", "4"}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    ASSERT_EQ(run.OutLines().size(), 4u);
    std::vector<std::string> areas;
    for (const std::string& l : run.OutLines()) {
        std::istringstream in(l);
        std::string area;
        in >> area;
        areas.push_back(area);
        int values = 0;
        for (int v; in >> v; ++values) EXPECT_TRUE(v >= 0 && v <= 255) << l;
        EXPECT_EQ(values, 12) << l;
    }
    EXPECT_NE(areas[0], areas[1]);
    EXPECT_EQ(areas[0], areas[2]);
    for (const std::string& a : areas) EXPECT_TRUE(a == "levels" || a == "indicators") << a;

    run = RunCli({"meters", "--port", u->DevicePath(), "--count", "2", "--json"}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    ASSERT_EQ(run.OutLines().size(), 2u);
    for (const std::string& l : run.OutLines()) EXPECT_EQ(nlohmann::json::parse(l).at("values").size(), 12u);

    // Until interrupted: Ctrl-C ends it as its normal end.
    CliSetup interrupt;
    interrupt.interruptAfterOutLines = 3;
    run = RunCli({"meters", "--port", u->DevicePath()}, dir.path(), 120000, interrupt);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_GE(run.OutLines().size(), 3u);
    EXPECT_EQ(run.err, "");
}

// export writes the program file "Export" writes, which an import takes; curve reads the same program
// from the unit as from the file.
TEST(CliScript, ExportWritesAProgramFileAndCurveReadsTheUnit) {
    auto u = StartUnit();
    ScratchDir dir;
    CliRun run = RunCli({"export", "--port", u->DevicePath(), "now.dia"}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.ErrLines(), std::vector<std::string>{"pavo-cli: wrote now.dia: the current program \"KTV "
                                                       "Standard\" and the system record"});
    DiaContents file;
    ASSERT_TRUE(ReadDia(dir / "now.dia", file));
    EXPECT_TRUE(SameRecord(file.image, u->Unit().CurrentImage()));
    EXPECT_TRUE(SameRecord(file.system, u->Unit().System()));
    EXPECT_FALSE(CheckDia(file)) << "an import takes it";

    run = RunCli({"export", "--port", u->DevicePath(), "--program", "F1", "f1.dia", "--quiet"}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    ASSERT_TRUE(ReadDia(dir / "f1.dia", file));
    EXPECT_TRUE(SameRecord(file.image, u->Unit().StoredProgram(17)));

    const CliRun fromUnit = RunCli({"curve", "--port", u->DevicePath(), "--block", "Mic12"}, dir.path());
    ASSERT_EQ(fromUnit.code, 0) << fromUnit.err;
    const CliRun fromFile = RunCli({"curve", "now.dia", "--block", "Mic12"}, dir.path());
    ASSERT_EQ(fromFile.code, 0) << fromFile.err;
    EXPECT_EQ(fromUnit.out, fromFile.out);
    EXPECT_EQ(fromUnit.OutLines().size(), 421u);
}

}  // namespace
}  // namespace pavo::clitest
