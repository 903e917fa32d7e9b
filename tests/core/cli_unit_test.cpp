// pavo-cli against virtual units on pseudo-terminals, run as a script runs it: what it prints, what
// the units receive, the files it writes, and its exit codes.
#include <gtest/gtest.h>
#include <sys/file.h>

#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "cli_support.h"
#include "model/DataConver.h"
#include "model/FieldCatalog.h"
#include "model/PresetFiles.h"
#include "virtual_unit/UnitLine.h"

namespace pavo::clitest {
namespace {

using unit::UnitLine;
using unit::UnitOptions;

std::vector<uint8_t> Commands(const UnitLine& u) {
    std::vector<uint8_t> out;
    for (const auto& f : u.Received())
        if (f.frame.cmd != 0x0C && f.frame.cmd != 0x18) out.push_back(f.frame.cmd);
    return out;
}

std::string Name(const ProgramImage& img) {
    return TextFromBytes(img.ProgramName, kProgramNameLength);
}

TEST(CliUnit, InfoShowsTheUnitAndTraceWritesItsTraffic) {
    auto u = StartUnit();
    ScratchDir dir;
    const CliRun run = RunCli({"info", "--port", u->DevicePath(), "--trace", "t.txt"}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto lines = run.OutLines();
    ASSERT_GE(lines.size(), 24u);
    EXPECT_EQ(lines[0], "store authority   yes");
    EXPECT_EQ(lines[1], "current program   1 \"" + Name(u->Unit().CurrentImage()) + "\"");
    EXPECT_EQ(lines[2], "programs");
    for (int n = 1; n <= kProgramCount; ++n) {
        SCOPED_TRACE(n);
        EXPECT_TRUE(
            Contains(lines[2 + n], ProgramNumberText(n) + "  \"" + Name(u->Unit().StoredProgram(n)) + "\""))
            << lines[2 + n];
    }
    EXPECT_TRUE(Contains(run.out, "\nsystem\n  System.ProgramNumber       1\n")) << run.out;
    EXPECT_FALSE(Contains(run.out, "Password")) << "settings, not secrets";
    // The full read of a connection, nothing written to the unit.
    std::vector<uint8_t> expected{0x7F};
    expected.insert(expected.end(), 22, 0x80);
    expected.push_back(0x81);
    expected.push_back(0x82);
    EXPECT_EQ(Commands(*u), expected);

    std::ifstream trace(dir / "t.txt");
    std::string first;
    std::getline(trace, first);
    EXPECT_TRUE(Contains(first, "\tTX\tFF 55 03 00 7F 00 82\tDevice lookup")) << first;
    // A command-line tool leaves no folders behind in the directory it runs in.
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Mode"));
}

TEST(CliUnit, BackupRestoreBackupGivesTheSameBytes) {
    auto u = StartUnit();
    ScratchDir dir;
    CliRun run = RunCli({"backup", "--port", u->DevicePath(), "first.dat"}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    // Nothing on stdout; no progress where stderr is not a terminal, the message on stderr.
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.ErrLines(),
              std::vector<std::string>{
                  "pavo-cli: wrote first.dat: 21 programs and the system record (57019 bytes)"});
    ProgramBank first;
    ASSERT_TRUE(ReadDat(dir / "first.dat", first));
    EXPECT_TRUE(SameRecord(first, *BankOf(*u)));
    EXPECT_EQ(std::filesystem::file_size(dir / "first.dat"), kDatFileSize);

    // A different bank goes to the unit and comes back unchanged.
    auto changed = std::make_unique<ProgramBank>(first);
    BytesFromText(changed->Programs[5].ProgramName, kProgramNameLength, "Restored Six");
    changed->Programs[20].Mic12.Eq[3].GainCode = 77;
    changed->System.VodInputGain = 9;
    changed->System.ProgramNumber = 4;
    ASSERT_TRUE(WriteDat(dir / "changed.dat", *changed));
    const size_t backupFrames = Commands(*u).size();
    run = RunCli({"restore", "--port", u->DevicePath(), "changed.dat", "--verify"}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.ErrLines(),
              (std::vector<std::string>{
                  "pavo-cli: wrote changed.dat to the unit: 21 programs and the system record",
                  "pavo-cli: verified: the unit holds the 21 programs and the system record as written"}));
    EXPECT_TRUE(SameRecord(*BankOf(*u), *changed));
    // As "Import all" sends it: the 21 programs, then the system record; then --verify reads them back.
    std::vector<uint8_t> sent;
    const std::vector<uint8_t> commands = Commands(*u);
    for (auto c = commands.begin() + static_cast<long>(backupFrames); c != commands.end(); ++c)
        if (*c == 0x84 || *c == 0x83 || *c == 0x82) sent.push_back(*c);
    std::vector<uint8_t> expected(21, 0x84);
    expected.push_back(0x83);
    expected.insert(expected.end(), 21, 0x82);
    EXPECT_EQ(sent, expected);

    run = RunCli({"backup", "--port", u->DevicePath(), "second.dat", "--quiet"}, dir.path());
    EXPECT_EQ(run.err, "");
    ASSERT_EQ(run.code, 0) << run.err;
    std::ifstream a(dir / "changed.dat", std::ios::binary), b(dir / "second.dat", std::ios::binary);
    EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b), {}));
}

TEST(CliUnit, SilentUnitFailsWithExitOneAfterTheRetries) {
    UnitOptions silent;
    silent.silent = true;
    auto u = StartUnit(silent);
    ScratchDir dir;
    const CliRun run = RunCli({"info", "--port", u->DevicePath()}, dir.path());
    EXPECT_EQ(run.code, 1);
    ASSERT_EQ(run.ErrLines().size(), 1u) << run.err;
    EXPECT_EQ(run.ErrLines()[0],
              "pavo-cli: no answer from a unit on " + u->DevicePath() + " (device lookup tried 3 times)");
    EXPECT_EQ(Commands(*u), (std::vector<uint8_t>{0x7F, 0x7F, 0x7F}));
    EXPECT_EQ(run.out, "");
}

TEST(CliUnit, APortHeldByAnotherProgramIsNamedAsSuch) {
    auto u = StartUnit();
    // As the program holds the port it is connected on.
    const int held = ::open(u->DevicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    ScratchDir dir;
    const CliRun run = RunCli({"info", "--port", u->DevicePath()}, dir.path());
    ::close(held);
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.ErrLines(),
              std::vector<std::string>{"pavo-cli: " + u->DevicePath() + " is in use by another program"});
    EXPECT_EQ(u->ReceivedCount(), 0u);
}

TEST(CliUnit, RestoreRefusesWrongFilesAndUnitsWithoutStoreAuthorityWritingNothing) {
    ScratchDir dir;
    {
        std::vector<char> bytes(kDatFileSize - 1, 0);
        std::ofstream(dir / "short.dat", std::ios::binary)
            .write(bytes.data(), static_cast<long>(bytes.size()));
    }
    auto u = StartUnit();
    CliRun run = RunCli({"restore", "--port", u->DevicePath(), "short.dat"}, dir.path());
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.ErrLines(),
              std::vector<std::string>{"pavo-cli: short.dat has 57018 bytes: a bank file (.dat) has 57019"});
    EXPECT_EQ(u->ReceivedCount(), 0u) << "the port is not even opened";

    UnitOptions noAuthority;
    noAuthority.storeAuthority = 0;
    auto locked = StartUnit(noAuthority);
    const ProgramBank before = *BankOf(*locked);
    ASSERT_TRUE(WriteDat(dir / "bank.dat", before));
    run = RunCli({"restore", "--port", locked->DevicePath(), "bank.dat"}, dir.path());
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.ErrLines(),
              std::vector<std::string>{"pavo-cli: the unit on " + locked->DevicePath() +
                                       " does not allow storing programs (no store authority); "
                                       "nothing was written"});
    EXPECT_EQ(Commands(*locked), std::vector<uint8_t>{0x7F});
}

TEST(CliUnit, RecallsOnTwoUnitsAtOnceEachReportedByItsPort) {
    auto a = StartUnit();
    auto b = StartUnit();
    UnitOptions silent;
    silent.silent = true;
    auto dead = StartUnit(silent);
    ScratchDir dir;
    const CliRun run =
        RunCli({"recall", "--port", a->DevicePath(), "--port", b->DevicePath(), "F2"}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    auto lines = run.OutLines();
    std::sort(lines.begin(), lines.end());
    std::vector<std::string> expected{a->DevicePath() + ": recalled program F2 \"Function 2\"",
                                      b->DevicePath() + ": recalled program F2 \"Function 2\""};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
    for (UnitLine* u : {a.get(), b.get()}) {
        EXPECT_TRUE(SameRecord(u->Unit().CurrentImage(), u->Unit().StoredProgram(18)));
        EXPECT_EQ(u->Unit().System().ProgramNumber, 18);
    }

    // One room's unit does not answer: the others are still served, and the run says it failed.
    const CliRun mixed =
        RunCli({"recall", "--port", dead->DevicePath(), "--port", a->DevicePath(), "3"}, dir.path());
    EXPECT_EQ(mixed.code, 1);
    EXPECT_EQ(mixed.OutLines(), std::vector<std::string>{a->DevicePath() + ": recalled program 3 \"Rock\""});
    EXPECT_EQ(mixed.ErrLines(),
              std::vector<std::string>{"pavo-cli: no answer from a unit on " + dead->DevicePath() +
                                       " (device lookup tried 3 times)"});
    EXPECT_EQ(a->Unit().System().ProgramNumber, 3);
}

// Units served at once write whole lines: each unit's lines, taken by their prefix, are exactly what
// it prints alone; JSON comes as one document a line, each naming its port.
TEST(CliUnit, SeveralUnitsPrintWholeLinesEachUnderItsPort) {
    std::vector<std::unique_ptr<UnitLine>> units;
    for (int i = 0; i < 3; ++i) units.push_back(StartUnit());
    ScratchDir dir;
    std::vector<std::string> args{"info"};
    for (const auto& u : units) args.insert(args.end(), {"--port", u->DevicePath()});
    const CliRun all = RunCli(args, dir.path());
    ASSERT_EQ(all.code, 0) << all.err;
    const CliRun alone = RunCli({"info", "--port", units[0]->DevicePath()}, dir.path());
    ASSERT_EQ(alone.code, 0) << alone.err;
    for (const auto& u : units) {
        SCOPED_TRACE(u->DevicePath());
        const std::string prefix = u->DevicePath() + ": ";
        std::vector<std::string> mine;
        for (const std::string& l : all.OutLines())
            if (l.rfind(prefix, 0) == 0) mine.push_back(l.substr(prefix.size()));
        EXPECT_EQ(mine, alone.OutLines());
    }
    EXPECT_EQ(all.OutLines().size(), 3 * alone.OutLines().size()) << "every line starts with a port";

    args.push_back("--json");
    const CliRun json = RunCli(args, dir.path());
    ASSERT_EQ(json.code, 0) << json.err;
    std::vector<std::string> ports;
    for (const std::string& l : json.OutLines()) {
        const auto doc = nlohmann::json::parse(l);
        ports.push_back(doc.at("port"));
        EXPECT_EQ(doc.at("programs").size(), 21u);
    }
    std::sort(ports.begin(), ports.end());
    std::vector<std::string> expected;
    for (const auto& u : units) expected.push_back(u->DevicePath());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ports, expected);
}

// The frames the unit got other than the lookup, the reads and the status polls.
std::vector<unit::Frame> ParameterFrames(const UnitLine& u) {
    std::vector<unit::Frame> out;
    for (const auto& f : u.Received()) {
        const uint8_t c = f.frame.cmd;
        if (c != 0x0C && c != 0x18 && c != 0x7F && c != 0x80 && c != 0x81 && c != 0x82)
            out.push_back(f.frame);
    }
    return out;
}

TEST(CliUnit, SetChangesExactlyThatFieldOnTheUnitAndGetReadsIt) {
    struct Case {
        const char* path;
        const char* value;
        uint32_t code;
        const char* shown;
        uint8_t cmd;  // the one frame the change scanner sends for it
    };
    const Case cases[] = {
        {"Mic12.MicLevel", "-5dB", 10, "-5.0 dB", 0x13},
        {"MusicLeft.Eq[3].GainCode", "-3dB", 105, "-3.0 dB", 0x03},
        {"musicleft.highpass.frequencycode", "1k", 204, "1000 Hz", 0x04},
        {"System.MicMaster.Mute", "ON", 1, "ON", 0x01},  // a mute at closing time; the level stays
        {"Scene1.Out2.Mute", "code:1", 1, "ON", 0x08},
        {"EchoA.Delay", "250ms", 2500, "250.0 ms", 0x05},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto u = StartUnit();
        const ProgramImage image = u->Unit().CurrentImage();
        const SystemRecord system = u->Unit().System();
        const CliRun run = RunCli({"set", "--port", u->DevicePath(), c.path, c.value}, dir.path());
        ASSERT_EQ(run.code, 0) << run.err;
        const FieldInfo& f = *FindField(c.path);
        ASSERT_EQ(run.OutLines().size(), 1u);
        EXPECT_EQ(run.OutLines()[0].rfind(f.path + " = " + c.shown + " (was ", 0), 0u) << run.out;

        // Exactly that field changed on the unit, by exactly one frame.
        ProgramImage expectedImage = image;
        SystemRecord expectedSystem = system;
        WriteCode(f, f.record == FieldRecord::Program ? BytesOf(expectedImage) : BytesOf(expectedSystem),
                  c.code);
        EXPECT_TRUE(SameRecord(u->Unit().CurrentImage(), expectedImage));
        EXPECT_TRUE(SameRecord(u->Unit().System(), expectedSystem));
        const auto frames = ParameterFrames(*u);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].cmd, c.cmd);

        const CliRun get = RunCli({"get", "--port", u->DevicePath(), c.path}, dir.path());
        ASSERT_EQ(get.code, 0) << get.err;
        EXPECT_EQ(get.OutLines(), std::vector<std::string>{f.path + " = " + c.shown +
                                                           " (code:" + std::to_string(c.code) + ")"});
    }

    // Several in one call, in order, over one connection: one frame each, one line each.
    auto u = StartUnit();
    const CliRun run = RunCli({"set", "--port", u->DevicePath(), "Mic12.MicLevel=-5dB", "EchoA.Delay=250ms",
                               "System.MicMaster.Mute=ON"},
                              dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    ASSERT_EQ(run.OutLines().size(), 3u) << run.out;
    EXPECT_EQ(run.OutLines()[1].rfind("EchoA.Delay = 250.0 ms (was ", 0), 0u);
    std::vector<uint8_t> cmds;
    for (const auto& f : ParameterFrames(*u)) cmds.push_back(f.cmd);
    EXPECT_EQ(cmds, (std::vector<uint8_t>{0x13, 0x05, 0x01}));
    const std::vector<uint8_t> all = Commands(*u);
    EXPECT_EQ(std::count(all.begin(), all.end(), 0x7F), 1) << "one lookup";
    const CliRun get =
        RunCli({"get", "--port", u->DevicePath(), "Mic12.MicLevel", "EchoA.Delay"}, dir.path());
    EXPECT_EQ(get.OutLines(), (std::vector<std::string>{"Mic12.MicLevel = -5.0 dB (code:10)",
                                                        "EchoA.Delay = 250.0 ms (code:2500)"}));
}

TEST(CliUnit, SetRefusesWhatTheUnitWouldNotTakeAndChangesNothing) {
    auto u = StartUnit();
    const std::string port = u->DevicePath();
    struct Case {
        const char* path;
        const char* value;
        const char* error;
    };
    const Case cases[] = {
        {"Scene2.Out1.Mute", "ON",
         "Scene2.Out1.Mute is in Scene2, but the unit plays Scene1: only the scene in use takes changes; set "
         "ActiveScene first"},
        {"ReverbSpare.EqBypass", "ON",
         "ReverbSpare.EqBypass is not sent to the unit on its own: it travels only with whole programs"},
        {"System.ProgramNumber", "3",
         "System.ProgramNumber is not sent on its own; pavo-cli recall changes the program"},
        {"ProgramName", "Hall", "ProgramName holds characters or bytes; it cannot be set"},
        {"Mic12.MicLevel", "99dB", "Mic12.MicLevel: 99dB is outside -10.0 dB .. 10.0 dB"},
        // Values that once wrapped into the range and were sent.
        {"Mic12.MicLevel", "1e308dB", "Mic12.MicLevel: 1e308dB is outside -10.0 dB .. 10.0 dB"},
        {"Mic12.MicLevel", "2147483650dB", "Mic12.MicLevel: 2147483650dB is outside -10.0 dB .. 10.0 dB"},
        {"EchoA.Eq[1].GainCode", "1e300dB", "EchoA.Eq[1].GainCode: 1e300dB is outside -24.0 dB .. 24.0 dB"},
        {"System.KeyShift", "nan", "System.KeyShift: nan is outside -7 .. 7"},
        // A bare number is never a raw code.
        {"Scene1.Out2.Mute", "1",
         "Scene1.Out2.Mute: \"1\" is not one of OFF, ON (a raw code is written code:1)"},
        {"Mic12.Level", "1", "no field Mic12.Level; pavo-cli fields lists them"},
        // A value as get --json prints it is checked the same way.
        {"Mic12.MicLevel", "{\"number\": 11, \"unit\": \"dB\"}",
         "Mic12.MicLevel: 11 dB is outside -10.0 dB .. 10.0 dB"},
        {"Mic12.MicLevel", "{\"number\": -5, \"unit\": \"Hz\"}",
         "Mic12.MicLevel: \"Hz\" is not its unit (dB)"},
        {"Mic12.MicLevel", "{\"code\": 11, \"number\": -5, \"unit\": \"dB\"}",
         "Mic12.MicLevel: {\"code\":11,\"number\":-5,\"unit\":\"dB\"} gives code 10, not its code 11"},
    };
    const ProgramImage image = u->Unit().CurrentImage();
    const SystemRecord system = u->Unit().System();
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const CliRun run = RunCli({"set", "--port", port, c.path, c.value}, dir.path());
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(run.ErrLines(), std::vector<std::string>{std::string("pavo-cli: ") + c.error});
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(SameRecord(u->Unit().CurrentImage(), image));
    EXPECT_TRUE(SameRecord(u->Unit().System(), system));
    EXPECT_TRUE(ParameterFrames(*u).empty());
}

// What get prints, given back to set, is the code the unit has, for a field of each kind after a raw
// code set through code:N: as text, and as get --json prints it (value by value, and the document).
TEST(CliUnit, WhatGetPrintsSetTakesBackUnchanged) {
    auto u = StartUnit();
    const std::string port = u->DevicePath();
    // Two rounds, so that a field can come back with another code.
    const std::vector<std::vector<std::pair<const char*, uint32_t>>> rounds = {
        {
            {"MusicLeft.Eq[3].GainCode", 97},           // dB in 0.2 steps
            {"Mic12.MicLevel", 13},                     // dB in 0.5 steps
            {"System.KeyShift", 9},                     // signed, no unit
            {"Mic12.Eq[1].FrequencyCode", 2},           // Hz from a table
            {"MusicLeft.HighPass.FrequencyCode", 150},  // Hz, the crossover table
            {"Mic12.Eq[1].QCode", 10},                  // Q
            {"Mic12.HighPass.SlopeCode", 8},            // a name
            {"Scene1.Out2.Mute", 1},                    // ON / OFF
            {"Mic12.Compressor.Attack", 10},            // ms from labels
            {"Mic12.Compressor.Release", 1},            // labels
            {"Mic12.Compressor.Ratio", 5},              // ratio
            {"MusicLeft.Gate.Threshold", 0},            // OFF
            {"EchoA.Delay", 2500},                      // ms
            {"EchoA.RightDelay", 30},                   // %
            {"System.MicMaster.Level", 60},             // the code itself
        },
        {
            {"System.KeyShift", 7},           // 0: a plain number, not code 0
            {"MusicLeft.Gate.Threshold", 9},  // dBV
        },
    };
    const auto codeOnUnit = [&](const FieldInfo& f) {
        ProgramImage image = u->Unit().CurrentImage();
        SystemRecord system = u->Unit().System();
        return ReadCode(f, f.record == FieldRecord::Program ? BytesOf(image) : BytesOf(system));
    };
    ScratchDir dir;
    for (const auto& round : rounds) {
        std::vector<std::string> set{"set", "--port", port}, get{"get", "--port", port};
        for (const auto& [path, code] : round) {
            set.push_back(std::string(path) + "=code:" + std::to_string(code));
            get.push_back(path);
        }
        CliRun run = RunCli(set, dir.path());
        ASSERT_EQ(run.code, 0) << run.err;
        for (const auto& [path, code] : round) ASSERT_EQ(codeOnUnit(*FindField(path)), code) << path;
        const size_t frames = ParameterFrames(*u).size();

        // Text: "PATH = VALUE (code:N)", or "PATH = VALUE" where the value is the code.
        run = RunCli(get, dir.path());
        ASSERT_EQ(run.code, 0) << run.err;
        ASSERT_EQ(run.OutLines().size(), round.size());
        std::vector<std::string> back{"set", "--port", port};
        std::vector<std::string> unchanged;
        for (size_t i = 0; i < round.size(); ++i) {
            const FieldInfo& f = *FindField(round[i].first);
            const std::string line = run.OutLines()[i];
            const std::string suffix = " (code:" + std::to_string(round[i].second) + ")";
            const bool plain = f.display == FieldDisplay::Code;
            ASSERT_EQ(line.rfind(f.path + " = ", 0), 0u) << line;
            if (!plain) {
                ASSERT_EQ(line.substr(line.size() - suffix.size()), suffix) << line;
            }
            const std::string value =
                line.substr(f.path.size() + 3, line.size() - f.path.size() - 3 - (plain ? 0 : suffix.size()));
            back.push_back(f.path + "=" + value);
            unchanged.push_back(f.path + " = " + value + " (unchanged)");
        }
        run = RunCli(back, dir.path());
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.OutLines(), unchanged);

        // JSON: each value as get --json prints it, and the whole document through --values.
        get.push_back("--json");
        run = RunCli(get, dir.path());
        ASSERT_EQ(run.code, 0) << run.err;
        const auto doc = nlohmann::json::parse(run.out);
        const std::string printed = run.out;  // fields in the order asked for
        std::vector<std::string> backJson{"set", "--port", port, "--json"};
        for (const auto& [path, code] : round) {
            const FieldInfo& f = *FindField(path);
            const auto& value = doc.at("values").at(f.path);
            EXPECT_EQ(value.at("code"), code) << path;
            backJson.push_back(f.path + "=" + value.dump());
        }
        run = RunCli(backJson, dir.path());
        ASSERT_EQ(run.code, 0) << run.err;
        const auto changes = nlohmann::json::parse(run.out).at("changes");
        ASSERT_EQ(changes.size(), round.size());
        for (const auto& c : changes) EXPECT_FALSE(c.at("changed")) << c.dump();
        std::ofstream(dir / "values.json") << printed;
        run = RunCli({"set", "--port", port, "--values", "values.json"}, dir.path());
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.OutLines(), unchanged);
        for (const auto& [path, code] : round) EXPECT_EQ(codeOnUnit(*FindField(path)), code) << path;
        EXPECT_EQ(ParameterFrames(*u).size(), frames) << "what get printed went back unchanged: nothing sent";
    }

    // Programs: printed F2 after a recall, and F2 and 18 both name it.
    ASSERT_EQ(RunCli({"recall", "--port", port, "18"}, dir.path()).code, 0);
    const CliRun get = RunCli({"get", "--port", port, "System.ProgramNumber"}, dir.path());
    EXPECT_EQ(get.OutLines(), std::vector<std::string>{"System.ProgramNumber = F2 (code:18)"});
    for (const char* same : {"F2", "18", "code:18", "{\"code\": 18, \"text\": \"F2\"}"}) {
        const CliRun run = RunCli({"set", "--port", port, "System.ProgramNumber", same}, dir.path());
        EXPECT_EQ(run.code, 0) << same << ": " << run.err;
        EXPECT_EQ(run.OutLines(), std::vector<std::string>{"System.ProgramNumber = F2 (unchanged)"}) << same;
    }
    EXPECT_EQ(u->Unit().System().ProgramNumber, 18);
}

TEST(CliUnit, SeveralUnitsGetATraceFileEach) {
    auto a = StartUnit();
    auto b = StartUnit();
    ScratchDir dir;
    const CliRun run = RunCli(
        {"info", "--port", a->DevicePath(), "--port", b->DevicePath(), "--trace", "room.txt"}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err;
    for (UnitLine* u : {a.get(), b.get()}) {
        // /dev/pts/7 -> room-pts7.txt
        std::string tag = u->DevicePath().substr(5);
        tag.erase(std::remove(tag.begin(), tag.end(), '/'), tag.end());
        std::ifstream trace(dir / ("room-" + tag + ".txt"));
        std::string first;
        ASSERT_TRUE(std::getline(trace, first)) << tag;
        EXPECT_TRUE(Contains(first, "\tDevice lookup")) << first;
    }
}

TEST(CliUnit, BadUsageIsExitTwoWithOneLineAndNothingSent) {
    auto u = StartUnit();
    const std::string port = u->DevicePath();
    struct Case {
        std::vector<std::string> args;
        std::string error;
    };
    const Case cases[] = {
        {{}, "no command given; pavo-cli --help lists them"},
        {{"frob"}, "unknown command frob; pavo-cli --help lists them"},
        {{"info", "--port", port, "--loud"}, "unknown option --loud; pavo-cli info --help lists them"},
        {{"backup", "--port", port, "b.dat", "--json"},
         "unknown option --json; pavo-cli backup --help lists them"},
        {{"info", "--port", port, "extra"}, "usage: pavo-cli info [options]"},
        {{"info"}, "info needs --port DEVICE (or --all-ports, or PAVO_PORT in the environment)"},
        {{"info", "--port"}, "--port needs a value"},
        {{"info", "--port", ""}, "the port is empty: give a device, e.g. --port /dev/ttyUSB0"},
        {{"recall", "--port", port, "22"}, "recall takes a program number 1..21 (or F1..F5), not 22"},
        {{"recall", "--port", port, "F6"}, "recall takes a program number 1..21 (or F1..F5), not F6"},
        {{"export", "--port", port, "--program", "0", "x.dia"},
         "--program takes a stored program 1..21 (or F1..F5), not 0"},
        {{"backup", "--port", port}, "usage: pavo-cli backup [options] FILE.dat"},
        {{"restore", "--port", port, "missing.dat"}, "cannot read missing.dat: no such file"},
        {{"get", "--port", port, "Mic12.MicLevel", "Mic12.Nothing"},
         "no field Mic12.Nothing; pavo-cli fields lists them"},
        {{"set", "--port", port, "Mic12.MicLevel=-1dB", "EchoA.Delay"},
         "set takes PATH=VALUE pairs, not EchoA.Delay"},
        {{"curve", "x.dia"}, "usage: pavo-cli curve FILE.dia --block B, or FILE.dat --program N --block B"},
        {{"curve", "x.dia", "--block", "Out5"},
         "--block takes MusicLeft, MusicRight, Mic12, Mic34, EchoA, EchoB, Reverb, ReverbSpare, Out4, Out3, "
         "Center, SUB, Out2, Out1, SurroundL, SurroundR, MusicLeftDyn, MusicRightDyn or 0..17, not Out5"},
        {{"curve", "x.dia", "--block", "1", "--port", port},
         "curve reads from a file or from a unit (--port), not both"},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        const CliRun run = RunCli(c.args, dir.path());
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(run.ErrLines(), std::vector<std::string>{"pavo-cli: " + c.error});
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(u->ReceivedCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "b.dat"));
}

// The general help, each command's own, and the version.
TEST(CliUnit, HelpForEveryCommandAndTheVersion) {
    ScratchDir dir;
    const CliRun help = RunCli({"--help"}, dir.path());
    EXPECT_EQ(help.code, 0);
    for (const char* command : {"ports", "fields", "info", "backup", "restore", "export", "recall", "get",
                                "set", "batch", "meters", "show", "diff", "curve"})
        EXPECT_TRUE(Contains(help.out, std::string("\n  ") + command + " ")) << command;
    EXPECT_TRUE(Contains(help.out,
                         "Exit status: 0 success, 1 the unit or the link failed (diff: the files differ), 2"))
        << help.out;

    const CliRun get = RunCli({"get", "--help"}, dir.path());
    EXPECT_EQ(get.code, 0);
    EXPECT_EQ(get.err, "");
    EXPECT_TRUE(Contains(get.out, "pavo-cli get [options] PATH...")) << get.out;
    EXPECT_TRUE(Contains(get.out, "--json"));
    EXPECT_FALSE(Contains(get.out, "--verify")) << "restore's options are restore's";
    EXPECT_TRUE(Contains(RunCli({"restore", "--help"}, dir.path()).out, "--verify"));
    EXPECT_TRUE(Contains(RunCli({"diff", "--help"}, dir.path()).out, "0 the same, 1 different, 2 trouble"));

    const CliRun version = RunCli({"--version"}, dir.path());
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("pavo-cli ") + PAVO_VERSION + "\n");
}

}  // namespace
}  // namespace pavo::clitest
