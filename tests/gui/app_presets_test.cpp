// The file commands off line: dialogs, extensions, messages, and nothing changed by a bad file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/Connection.h"
#include "app/PavoDlg.h"
#include "app/PresetCommands.h"
#include "app_support.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"
#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "model/PresetFiles.h"
#include "pages/EqHarnessPage.h"
#include "platform/ControlId.h"
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

    test::Edit(w->unit(), [&](Model& m) { m.bank.Valid = 1; });
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
    const ProgramImage image = w->unit().model().current;
    const SystemRecord system = w->unit().model().system;
    for (const char* name : {"short.dia", "missing.dia"}) {
        state.nextFile = At(name);
        w->presets().ImportDia();
    }
    state.nextFile = At("short.dat");
    w->presets().ImportBank();
    EXPECT_EQ(state.boxes, QStringList({"File read Error", "File read Error", "File read Error"}));
    EXPECT_TRUE(SameRecord(w->unit().model().current, image));
    EXPECT_TRUE(SameRecord(w->unit().model().system, system));
    EXPECT_EQ(w->unit().model().bank.Valid, 0);

    // A bank import of a path without ".dat" does nothing, silently.
    state.boxes.clear();
    state.nextFile = At("short.dia");
    w->presets().ImportBank();
    EXPECT_TRUE(state.boxes.isEmpty());
}

TEST_F(PresetCommandsTest, BankRoundTripAndOffLineRecall) {
    Model& m = w->unit().model();
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

    w->unit().Reset();
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
    test::Edit(w->unit(), [&](Model& m) { m.bank.Valid = 1; });
    test::Edit(w->unit(), [&](Model& m) { m.system.MusicMax = 44; });
    w->connection().SendDeviceCommand(CmdReadPrograms, 1);
    ASSERT_EQ(state.requests.size(), 1u);
    ProgramBank saved;
    ASSERT_TRUE(ReadDat((dir / "bank.dat").string(), saved));
    EXPECT_EQ(saved.System.MusicMax, 44);  // the header is the system record
}

// Random, all-0xFF and bit-flipped files read fine but hold codes nothing writes: they are refused with
// the first bad field named, and nothing changes.
TEST_F(PresetCommandsTest, DamagedFilesAreRefusedNamingTheFirstBadField) {
    Model& m = w->unit().model();
    const std::string good = (dir / "good.dia").string();
    ASSERT_TRUE(WriteDia(good, m.system, m.current));
    std::string bytes;
    {
        std::ifstream f(good, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(f), {});
    }
    std::string flipped = bytes;
    flipped[66 + offsetof(ProgramImage, MusicLeft) + offsetof(MusicBlock, Eq) + 2 * sizeof(EqBand) +
            offsetof(EqBand, GainCode)] ^= 0x80;  // 0 dB (120) becomes 248
    std::string random(57019, '\0');
    unsigned seed = 7;
    for (char& c : random) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);

    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"flipped.dia", flipped, "File read Error\nMusicLeft.Eq[3].GainCode is 248, allowed 0..240"},
        {"ff.dia", std::string(2778, '\xFF'),
         "File read Error\nEchoA.Eq[1].FrequencyCode is 65535, allowed 0..361"},
        {"ff.dat", std::string(57019, '\xFF'), "File read Error\nSystem.ProgramNumber is 255, allowed 0..21"},
        {"random.dat", random, nullptr},
    };
    m.current.EchoA.Repeat = 9;  // an edit not sent yet
    const ProgramImage image = m.current;
    const SystemRecord system = m.system;
    for (const Case& c : cases) {
        std::ofstream(dir / c.name, std::ios::binary) << c.bytes;
        state.boxes.clear();
        state.nextFile = At(c.name);
        if (QString(c.name).endsWith(".dia"))
            w->presets().ImportDia();
        else
            w->presets().ImportBank();
        ASSERT_EQ(state.boxes.size(), 1) << c.name;
        if (c.message)
            EXPECT_EQ(state.boxes[0], c.message) << c.name;
        else
            EXPECT_TRUE(state.boxes[0].startsWith("File read Error\n")) << c.name;
        EXPECT_TRUE(SameRecord(m.current, image)) << c.name;
        EXPECT_TRUE(SameRecord(m.system, system)) << c.name;
        EXPECT_EQ(m.bank.Valid, 0) << c.name;
    }

    // A bad stored program is named by its number.
    auto bank = std::make_unique<ProgramBank>();
    for (ProgramImage& p : bank->Programs) CopyRecord(p, m.current);
    CopyRecord(bank->System, m.system);
    bank->Programs[11].Mic34.FeedbackSuppress = 9;
    ASSERT_TRUE(WriteDat((dir / "bad12.dat").string(), *bank));
    state.boxes.clear();
    state.nextFile = At("bad12.dat");
    w->presets().ImportBank();
    EXPECT_EQ(state.boxes,
              QStringList{"File read Error\nProgram 12: Mic34.FeedbackSuppress is 9, allowed 0..4"});
    EXPECT_EQ(m.bank.Valid, 0);
}

// Whatever the pages can set, a file written from it imports again: every slider, combo box and
// numeric edit of every page taken to each end of its range.
TEST_F(PresetCommandsTest, FilesWrittenAfterEveryPageEditImportAgain) {
    w->show();
    std::vector<QWidget*> pages;
    for (int i = 0; i < 7; ++i)
        if (QWidget* p = w->Page(i); p && std::find(pages.begin(), pages.end(), p) == pages.end())
            pages.push_back(p);
    EqHarnessPage eq(w->unit(), BlockMusicLeft);
    pages.push_back(&eq);
    for (bool top : {true, false}) {
        int controls = 0;
        for (QWidget* page : pages) {
            for (BitmapSlider* s : page->findChildren<BitmapSlider*>()) {
                s->SetPos(top ? s->GetRangeMax() : s->GetRangeMin());
                SendMessage(s->parentWidget(), WM_SLIDER_CHANGED, ControlId(s), s->GetPos());
                ++controls;
            }
            for (BitComboBox* c : page->findChildren<BitComboBox*>()) {
                if (c->count() == 0) continue;
                c->setCurrentIndex(top ? c->count() - 1 : 0);
                SendMessage(c->parentWidget(), WM_COMMAND, MakeCommand(ControlId(c), CBN_SELCHANGE),
                            reinterpret_cast<LParam>(c));
                ++controls;
            }
            for (NumEdit* e : page->findChildren<NumEdit*>()) {
                e->SetValue(top ? e->MaxCode() : e->MinCode());
                SendMessage(e->parentWidget(), WM_NUMEDIT_CHANGED, 0, ControlId(e));
                ++controls;
            }
            DeliverPostedMessages();
        }
        ASSERT_GT(controls, 40);

        state.boxes.clear();
        state.nextFile = At("edited.dia");
        w->presets().ExportDia();
        test::Edit(w->unit(), [&](Model& m) { m.bank.Valid = 1; });
        for (ProgramImage& p : w->unit().model().bank.Programs) CopyRecord(p, w->unit().model().current);
        state.nextFile = At("edited.dat");
        w->presets().ExportBank();
        const ProgramImage edited = w->unit().model().current;
        state.nextFile = At("edited.dia");
        w->presets().ImportDia();
        state.nextFile = At("edited.dat");
        w->presets().ImportBank();
        EXPECT_TRUE(state.boxes.isEmpty()) << state.boxes.join(" | ").toStdString();
        EXPECT_EQ(
            std::memcmp(BytesOf(w->unit().model().current) + kProgramNameLength,
                        BytesOf(edited) + kProgramNameLength, sizeof(ProgramImage) - kProgramNameLength - 1),
            0);
    }
}

}  // namespace
}  // namespace pavo
