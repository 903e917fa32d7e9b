// The file commands off line: dialogs, extensions, messages, and nothing changed by a bad file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/Connection.h"
#include "app/PavoDlg.h"
#include "app/PresetCommands.h"
#include "app_support.h"
#include "model/PresetFiles.h"
#include "protocol/CommandCodes.h"

namespace pavo {
namespace {

namespace fs = std::filesystem;

class PresetCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("pavo-app-presets-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        StartOptions o;
        o.connectAtStart = false;
        w = std::make_unique<PavoDlg>(o);
    }
    void TearDown() override { fs::remove_all(dir); }
    QString At(const char* name) const { return QString::fromStdString((dir / name).string()); }

    test::AppState state;
    fs::path dir;
    std::unique_ptr<PavoDlg> w;
};

TEST_F(PresetCommandsTest, ExportsAppendTheExtensionAndUseTheMusicFileFolder) {
    state.nextFile = At("live");
    w->presets().ExportDia();
    ASSERT_EQ(state.requests.size(), 1u);
    EXPECT_TRUE(state.requests[0].save);
    EXPECT_EQ(state.requests[0].pattern, "*.dia");
    EXPECT_TRUE(state.requests[0].initial.endsWith("MusicFile/*.dia"));
    EXPECT_EQ(fs::file_size(dir / "live.dia"), 2778u);

    TheModel().bank.Valid = 1;
    state.nextFile = At("a.dat.bak");
    w->presets().ExportBank();
    EXPECT_EQ(fs::file_size(dir / "a.dat.bak"), 57019u);

    state.nextFile.clear();  // cancelled
    w->presets().ExportDia();
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 2);

    state.nextFile = At("no/such/folder/x.dia");
    w->presets().ExportDia();
    EXPECT_EQ(state.boxes, QStringList{"MusicFile Write Error"});
}

TEST_F(PresetCommandsTest, BadFilesChangeNothing) {
    std::ofstream(dir / "short.dia", std::ios::binary) << std::string(1000, '\x07');
    std::ofstream(dir / "short.dat", std::ios::binary) << std::string(57018, '\x07');
    const ProgramImage image = TheModel().current;
    const SystemRecord system = TheModel().system;
    for (const char* name : {"short.dia", "missing.dia"}) {
        state.nextFile = At(name);
        w->presets().ImportDia();
    }
    state.nextFile = At("short.dat");
    w->presets().ImportBank();
    EXPECT_EQ(state.boxes, QStringList({"File read Error", "File read Error", "File read Error"}));
    EXPECT_TRUE(SameRecord(TheModel().current, image));
    EXPECT_TRUE(SameRecord(TheModel().system, system));
    EXPECT_EQ(TheModel().bank.Valid, 0);

    // A bank import of a path without ".dat" does nothing, silently.
    state.boxes.clear();
    state.nextFile = At("short.dia");
    w->presets().ImportBank();
    EXPECT_TRUE(state.boxes.isEmpty());
}

TEST_F(PresetCommandsTest, BankRoundTripAndOffLineRecall) {
    Model& m = TheModel();
    for (int n = 0; n < kProgramCount; ++n) {
        m.bank.Programs[n] = m.current;
        m.bank.Programs[n].EchoA.Repeat = static_cast<uint8_t>(10 + n);
    }
    m.bank.System = m.system;
    m.bank.System.ProgramNumber = 3;
    m.bank.Valid = 1;
    state.nextFile = At("all.dat");
    w->presets().ExportBank();
    std::ifstream f(dir / "all.dat", std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(f), {}};
    ASSERT_EQ(bytes.size(), 57019u);
    EXPECT_EQ(bytes.back(), 1);

    ResetParameters();
    w->presets().ImportBank();
    EXPECT_EQ(m.system.ProgramNumber, 3);
    EXPECT_EQ(m.current.EchoA.Repeat, 12);
    EXPECT_EQ(w->programLabelText(), "Off Line");

    // Off line, recall works on the bank and sends nothing.
    w->connection().SendDeviceCommand(CmdRecall, 5);
    EXPECT_EQ(m.system.ProgramNumber, 5);
    EXPECT_EQ(m.current.EchoA.Repeat, 14);
    EXPECT_TRUE(SameRecord(m.lastSent, m.current));
}

TEST_F(PresetCommandsTest, OffLineExportAllNeedsAValidBank) {
    state.nextFile = At("bank");
    w->connection().SendDeviceCommand(CmdReadPrograms, 1);
    EXPECT_TRUE(state.requests.empty());
    TheModel().bank.Valid = 1;
    TheModel().system.MusicMax = 44;
    w->connection().SendDeviceCommand(CmdReadPrograms, 1);
    ASSERT_EQ(state.requests.size(), 1u);
    ProgramBank saved;
    ASSERT_TRUE(ReadDat((dir / "bank.dat").string(), saved));
    EXPECT_EQ(saved.System.MusicMax, 44);  // the header is the system record
}

}  // namespace
}  // namespace pavo
