// Preset files: exact sizes and bytes, the load rules, and nothing lost or changed on bad files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "model/Model.h"
#include "model/PresetFiles.h"

namespace pavo {
namespace {

namespace fs = std::filesystem;

class PresetFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("pavo-presets-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        ResetParameters(m);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    static std::vector<uint8_t> Bytes(const std::string& p) {
        std::ifstream f(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    fs::path dir;
    Model m;
};

TEST_F(PresetFiles, ExtensionRules) {
    EXPECT_EQ(WithExtension("live", ".dia"), "live.dia");
    EXPECT_EQ(WithExtension("a.dia.bak", ".dia"), "a.dia.bak");
    EXPECT_EQ(WithExtension("set.dat", ".dat"), "set.dat");
    EXPECT_FALSE(ContainsExtension("bank.dia", ".dat"));
}

TEST_F(PresetFiles, DiaRoundTripIsByteExactAndKeepsTheSystemRecord) {
    m.current.Mic12.Eq[3].GainCode = 200;
    m.current.Scenes[1].Channel[2].Delay = 777;
    m.system.MicMaster = 40;
    const std::string p = Path("live.dia");
    ASSERT_TRUE(WriteDia(p, m.system, m.current));
    const auto bytes = Bytes(p);
    ASSERT_EQ(bytes.size(), 2778u);
    EXPECT_EQ(std::memcmp(bytes.data(), BytesOf(m.system), 66), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + 66, BytesOf(m.current), 2712), 0);

    const ProgramImage saved = m.current;
    ResetParameters(m);
    m.system.MicMaster = 12;
    m.system.ProgramNumber = 7;
    DiaContents file;
    ASSERT_TRUE(ReadDia(p, file));
    ApplyDia(m, file);
    EXPECT_EQ(m.system.MicMaster, 12);  // the file's system record is not taken over
    EXPECT_EQ(m.system.ProgramNumber, 7);
    EXPECT_TRUE(SameRecord(m.lastSentSystem, m.system));
    unsigned sum = 0;
    for (size_t i = 0; i < 2712; ++i) sum += BytesOf(saved)[i];
    EXPECT_EQ(m.current.CheckByte, static_cast<uint8_t>(sum));
    EXPECT_EQ(std::memcmp(BytesOf(m.current), BytesOf(saved), 2711), 0);
    EXPECT_TRUE(SameRecord(m.lastSent, m.current));
}

TEST_F(PresetFiles, DatRoundTripTakesTheHeadersProgram) {
    for (int n = 0; n < kProgramCount; ++n) m.bank.Programs[n].EchoA.Repeat = static_cast<uint8_t>(n + 1);
    m.bank.System.ProgramNumber = 3;
    m.bank.System.MusicMax = 60;
    m.bank.Valid = 1;
    const std::string p = Path("all.dat");
    ASSERT_TRUE(WriteDat(p, m.bank));
    const auto bytes = Bytes(p);
    ASSERT_EQ(bytes.size(), 57019u);
    EXPECT_EQ(bytes.back(), 1);

    ResetParameters(m);
    ProgramBank file;
    ASSERT_TRUE(ReadDat(p, file));
    EXPECT_TRUE(ApplyDat(m, file));
    EXPECT_EQ(m.bank.Valid, 1);
    EXPECT_EQ(m.system.ProgramNumber, 3);
    EXPECT_EQ(m.system.MusicMax, 60);
    EXPECT_EQ(m.current.EchoA.Repeat, 3);
    EXPECT_TRUE(SameRecord(m.lastSent, m.current));
    EXPECT_TRUE(SameRecord(m.lastSentSystem, m.system));
}

// A header naming no stored program keeps the current program: its image, its pending edits and its
// number, which the header then carries too (it goes to the unit as the system record).
TEST_F(PresetFiles, DatWithAProgramNumberOutOfRangeKeepsTheCurrentProgram) {
    for (int number : {0, 22, 108, 255}) {
        ResetParameters(m);
        m.system.ProgramNumber = 7;
        m.current.EchoA.Repeat = 9;  // an edit not sent yet
        ProgramBank bank{};
        bank.System.ProgramNumber = static_cast<uint8_t>(number);
        bank.System.MusicMax = 60;
        EXPECT_FALSE(ApplyDat(m, bank)) << number;
        EXPECT_EQ(m.current.EchoA.Repeat, 9) << number;
        EXPECT_NE(m.lastSent.EchoA.Repeat, 9) << number;
        EXPECT_EQ(m.system.ProgramNumber, 7) << number;
        EXPECT_EQ(m.bank.System.ProgramNumber, 7) << number;
        EXPECT_EQ(m.system.MusicMax, 60) << number;  // the rest of the header is taken
        EXPECT_TRUE(SameRecord(m.lastSentSystem, m.system)) << number;
        EXPECT_EQ(m.bank.Valid, 1) << number;
    }
}

// Whatever the program can hold passes: the reset model and every field at either end of its range.
TEST_F(PresetFiles, FilesOfResetAndExtremeModelsPassTheCheck) {
    for (int pass = 0; pass < 3; ++pass) {
        ResetParameters(m);
        if (pass > 0)
            for (FieldRecord r : {FieldRecord::Program, FieldRecord::System})
                for (const FieldInfo& f : FieldsOf(r))
                    if (f.HasCode())
                        WriteCode(f, r == FieldRecord::Program ? BytesOf(m.current) : BytesOf(m.system),
                                  pass == 1 ? f.min : f.max);
        ASSERT_TRUE(WriteDia(Path("x.dia"), m.system, m.current));
        for (ProgramImage& p : m.bank.Programs) CopyRecord(p, m.current);
        CopyRecord(m.bank.System, m.system);
        m.bank.Valid = 1;
        ASSERT_TRUE(WriteDat(Path("x.dat"), m.bank));
        auto dia = std::make_unique<DiaContents>();
        auto bank = std::make_unique<ProgramBank>();
        ASSERT_TRUE(ReadDia(Path("x.dia"), *dia));
        ASSERT_TRUE(ReadDat(Path("x.dat"), *bank));
        EXPECT_FALSE(CheckDia(*dia).has_value()) << "pass " << pass << ": " << CheckDia(*dia)->field->path;
        EXPECT_FALSE(CheckDat(*bank).has_value()) << "pass " << pass << ": " << CheckDat(*bank)->field->path;
    }
}

// The first bad field in the order of the file's bytes: the system record, then the program(s).
TEST_F(PresetFiles, TheCheckNamesTheFirstBadFieldOfTheFile) {
    auto bank = std::make_unique<ProgramBank>();
    for (ProgramImage& p : bank->Programs) CopyRecord(p, m.current);
    CopyRecord(bank->System, m.system);
    EXPECT_FALSE(CheckDat(*bank).has_value());
    bank->Programs[8].Mic12.Gate.Threshold = 61;
    bank->Programs[4].Scenes[2].Channel[OutOut1].Limiter.Ratio = 200;
    auto fault = CheckDat(*bank);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->program, 5);
    EXPECT_EQ(fault->field->path, "Scene3.Out1.Limiter.Ratio");
    EXPECT_EQ(fault->code, 200u);
    bank->System.InputSelect = 3;
    fault = CheckDat(*bank);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->program, 0);
    EXPECT_EQ(fault->field->path, "System.InputSelect");

    DiaContents dia;
    CopyRecord(dia.system, m.system);
    CopyRecord(dia.image, m.current);
    dia.system.InputSelect = 3;  // a ".dia" import never uses its system record
    EXPECT_FALSE(CheckDia(dia).has_value());
    dia.image.MusicLeft.Eq[2].GainCode = 241;
    fault = CheckDia(dia);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->field->path, "MusicLeft.Eq[3].GainCode");
    EXPECT_EQ(fault->code, 241u);
}

TEST_F(PresetFiles, ShortOrMissingFilesAreReadErrors) {
    const std::string shortDia = Path("short.dia");
    std::ofstream(shortDia, std::ios::binary) << std::string(2777, '\x01');
    const std::string shortDat = Path("short.dat");
    std::ofstream(shortDat, std::ios::binary) << std::string(57018, '\x01');
    DiaContents dia;
    ProgramBank bank;
    EXPECT_FALSE(ReadDia(shortDia, dia));
    EXPECT_FALSE(ReadDat(shortDat, bank));
    EXPECT_FALSE(ReadDia(Path("missing.dia"), dia));
    EXPECT_FALSE(ReadDat(dir.string(), bank));  // a folder is no file
}

TEST_F(PresetFiles, AnExportIntoAMissingFolderFailsAndCreatesNothing) {
    EXPECT_FALSE(WriteDat(Path("no/such/folder/x.dat"), m.bank));
    EXPECT_FALSE(WriteDia(Path("no/such/folder/x.dia"), m.system, m.current));
    EXPECT_FALSE(fs::exists(Path("no")));
}

}  // namespace
}  // namespace pavo
