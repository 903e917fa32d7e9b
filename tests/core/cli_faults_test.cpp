// pavo-cli against files and targets that must not get through: bank files with codes outside their
// ranges (refused before anything is sent, or sent on --force), a unit that does not keep what it was
// sent (restore --verify), backup targets that cannot be written, trace files that fail.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "cli_support.h"
#include "model/FieldCatalog.h"
#include "model/PresetFiles.h"
#include "virtual_unit/UnitLine.h"

namespace pavo::clitest {
namespace {

using unit::UnitLine;
using unit::UnitOptions;

size_t Stores(const UnitLine& u) {
    size_t n = 0;
    for (const auto& f : u.Received()) n += f.frame.cmd == 0x84 || f.frame.cmd == 0x83;
    return n;
}

std::string Refusal(const std::string& file, const std::string& where) {
    return "pavo-cli: " + file + " is refused: " + where +
           "; nothing was sent (--force sends the file as it is)";
}

// The import's range check runs before the first byte goes out: a bank with a code outside its range
// anywhere is refused naming the program and the first such field, and the unit gets nothing.
TEST(CliFaults, RestoreRefusesBanksWithCodesOutsideTheirRanges) {
    auto u = StartUnit();
    ScratchDir dir;
    const auto good = BankOf(*u);
    const auto with = [&](int program, const char* path, uint32_t code) {
        auto bank = std::make_unique<ProgramBank>(*good);
        const FieldInfo& f = *FindField(path);
        WriteCode(f, program ? BytesOf(bank->Programs[program - 1]) : BytesOf(bank->System), code);
        return bank;
    };
    std::mt19937 random(27);
    std::string noise(kDatFileSize, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    { std::ofstream(dir / "random.dat", std::ios::binary) << noise; }
    ProgramBank randomBank;
    ASSERT_TRUE(ReadDat(dir / "random.dat", randomBank));
    const auto randomFault = CheckDat(randomBank);
    ASSERT_TRUE(randomFault);

    struct Case {
        std::string file;
        std::unique_ptr<ProgramBank> bank;
        std::string error;  // empty: taken
    };
    Case cases[] = {
        {"good.dat", std::make_unique<ProgramBank>(*good), ""},
        {"header.dat", with(0, "System.MicMax", 85),
         Refusal("header.dat",
                 "the header (system record), System.MicMax holds code 85, outside 0 .. 84 (codes 0..84)")},
        {"first.dat", with(1, "Mic12.MicLevel", 200),
         Refusal("first.dat",
                 "program 1, Mic12.MicLevel holds code 200, outside -10.0 dB .. 10.0 dB (codes 0..40)")},
        {"last.dat", with(21, "MusicLeft.Eq[3].GainCode", 241),
         Refusal("last.dat",
                 "program 21 (F5), MusicLeft.Eq[3].GainCode holds code 241, outside -24.0 dB .. 24.0 "
                 "dB (codes 0..240)")},
        {"random.dat", nullptr, ""},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.file);
        if (c.bank) {
            ASSERT_TRUE(WriteDat(dir / c.file, *c.bank));
        }
        const size_t before = u->ReceivedCount();
        const CliRun run = RunCli({"restore", "--port", u->DevicePath(), c.file}, dir.path());
        if (c.file == "random.dat") {
            EXPECT_EQ(run.code, 2);
            ASSERT_EQ(run.ErrLines().size(), 1u) << run.err;
            EXPECT_EQ(run.ErrLines()[0].rfind("pavo-cli: random.dat is refused: ", 0), 0u) << run.err;
            EXPECT_NE(run.err.find(", " + randomFault->field->path + " holds code " +
                                   std::to_string(randomFault->code) + ", outside "),
                      std::string::npos)
                << run.err;
            EXPECT_EQ(u->ReceivedCount(), before) << "the port is not even opened";
        } else if (c.error.empty()) {
            EXPECT_EQ(run.code, 0) << run.err;
            EXPECT_EQ(Stores(*u), 22u);
        } else {
            EXPECT_EQ(run.code, 2);
            EXPECT_EQ(run.ErrLines(), std::vector<std::string>{c.error});
            EXPECT_EQ(u->ReceivedCount(), before) << "the port is not even opened";
        }
    }
    EXPECT_TRUE(SameRecord(*BankOf(*u), *good));

    // --force sends a file as it is, after listing every field outside its range.
    auto both = with(3, "Mic12.MicLevel", 200);
    WriteCode(*FindField("EchoA.Repeat"), BytesOf(both->Programs[2]), 91);
    ASSERT_TRUE(WriteDat(dir / "forced.dat", *both));
    const CliRun forced =
        RunCli({"restore", "--port", u->DevicePath(), "forced.dat", "--force", "-q"}, dir.path());
    EXPECT_EQ(forced.code, 0) << forced.err;
    EXPECT_EQ(
        forced.ErrLines(),
        (std::vector<std::string>{
            "pavo-cli: forced.dat: program 3, EchoA.Repeat holds code 91, outside 0 % .. 90 % (codes 0..90)",
            "pavo-cli: forced.dat: program 3, Mic12.MicLevel holds code 200, outside -10.0 dB .. 10.0 dB "
            "(codes 0..40)",
            "pavo-cli: forced.dat: sent as it is (--force), codes outside their ranges included"}));
    EXPECT_EQ(u->Unit().StoredProgram(3).Mic12.MicLevel, 200);
    EXPECT_EQ(Stores(*u), 44u);
}

// A unit that does not keep what it stored: --verify reads every program back and names the program
// and the field that differ.
TEST(CliFaults, RestoreVerifyNamesTheProgramAndFieldTheUnitDidNotKeep) {
    UnitOptions faulty;
    faulty.corruptProgram = 5;
    faulty.corruptOffset = FindField("Mic12.MicLevel")->offset;
    auto u = StartUnit(faulty);
    ScratchDir dir;
    auto bank = BankOf(*u);
    bank->Programs[4].Mic12.MicLevel = 10;  // -5.0 dB; the unit keeps 11
    ASSERT_TRUE(WriteDat(dir / "room.dat", *bank));
    const CliRun run = RunCli({"restore", "--port", u->DevicePath(), "room.dat", "--verify"}, dir.path());
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.ErrLines(),
              (std::vector<std::string>{
                  "pavo-cli: wrote room.dat to the unit: 21 programs and the system record",
                  "pavo-cli: program 5: Mic12.MicLevel was sent as -5.0 dB and reads back as -4.5 dB",
                  "pavo-cli: the unit on " + u->DevicePath() +
                      " does not hold what was written: 1 field differs"}));
    // Without --verify the same restore passes: the check is what finds it.
    EXPECT_EQ(RunCli({"restore", "--port", u->DevicePath(), "room.dat"}, dir.path()).code, 0);
}

// A backup target that cannot be written is found before the bank is read, and the reason is named.
TEST(CliFaults, BackupChecksItsTargetBeforeReadingTheBank) {
    auto u = StartUnit();
    ScratchDir dir;
    std::ofstream(dir / "locked.dat") << "keep";
    ::chmod((dir / "locked.dat").c_str(), 0444);
    const std::pair<std::string, std::string> targets[] = {
        {"locked.dat", "Permission denied"},
        {"no/such/folder/x.dat", "No such file or directory"},
        {".", "Is a directory"},
    };
    for (const auto& [target, why] : targets) {
        SCOPED_TRACE(target);
        const CliRun run = RunCli({"backup", "--port", u->DevicePath(), target}, dir.path());
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(run.ErrLines(), std::vector<std::string>{"pavo-cli: cannot write " + target + ": " + why});
    }
    EXPECT_EQ(u->ReceivedCount(), 0u);
    std::ifstream locked(dir / "locked.dat");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(locked), {}), "keep");
}

// A trace file that fails is said once, with its own exit status; the unit's operation completes. A
// read-only trace file is refused before anything happens, and left as it was.
TEST(CliFaults, TraceFilesThatFailAreSaidAndTheOperationCompletes) {
    auto u = StartUnit();
    ScratchDir dir;
    CliRun run = RunCli({"set", "--port", u->DevicePath(), "Mic12.MicLevel", "-5dB", "--trace", "/dev/full"},
                        dir.path());
    EXPECT_EQ(run.code, 3);
    EXPECT_EQ(run.ErrLines(),
              std::vector<std::string>{"pavo-cli: the trace file /dev/full could not be written: No "
                                       "space left on device; the trace stops here"});
    EXPECT_EQ(run.OutLines().size(), 1u);
    EXPECT_EQ(u->Unit().CurrentImage().Mic12.MicLevel, 10) << "the set was made";

    std::ofstream(dir / "t.txt") << "keep";
    ::chmod((dir / "t.txt").c_str(), 0444);
    const size_t frames = u->ReceivedCount();
    run =
        RunCli({"set", "--port", u->DevicePath(), "Mic12.MicLevel", "-4dB", "--trace", "t.txt"}, dir.path());
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.ErrLines(),
              std::vector<std::string>{"pavo-cli: cannot write the trace file t.txt: the file is read-only"});
    EXPECT_EQ(u->ReceivedCount(), frames);
    std::ifstream kept(dir / "t.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep");
}

}  // namespace
}  // namespace pavo::clitest
