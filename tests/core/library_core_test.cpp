// What the preset library reads of files and programs, without Qt: the summary of a file agrees with
// the import's checks, the differences of two programs are exactly the fields that changed, grouped by
// page, and a block's curve as text is what pavo-cli prints for it.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "cli_support.h"
#include "eq/BlockResponse.h"
#include "library/PresetSummary.h"
#include "library/ProgramCompare.h"
#include "library/ProgramCurves.h"
#include "model/FieldCatalog.h"
#include "model/PresetFiles.h"
#include "virtual_unit/VirtualUnit.h"

namespace pavo {
namespace {

std::vector<uint8_t> CopyOf(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    return {b, b + n};
}

std::string Name(const ProgramName& n) {
    return std::string(reinterpret_cast<const char*>(n.data()), n.size());
}

TEST(LibrarySummary, AgreesWithTheImportsChecks) {
    EXPECT_EQ(PresetKindOf("Room.DIA"), PresetKind::Program);
    EXPECT_EQ(PresetKindOf("a.dat"), PresetKind::Bank);
    EXPECT_FALSE(PresetKindOf("a.dia.bak"));
    EXPECT_FALSE(PresetKindOf("dia"));

    DiaContents good{};
    good.system = unit::FactorySystem();
    good.image = unit::FactoryProgram(3);
    std::vector<uint8_t> dia = CopyOf(&good, sizeof good);
    PresetSummary s = SummarizePreset(PresetKind::Program, dia, dia.size());
    EXPECT_TRUE(s.Loadable());
    ASSERT_EQ(s.names.size(), 1u);
    EXPECT_EQ(Name(s.names[0]).substr(0, 4), "Rock");

    // Longer than the format: the import reads what it needs and takes it; shorter: refused.
    std::vector<uint8_t> longer = dia;
    longer.resize(dia.size() + 10);
    EXPECT_TRUE(SummarizePreset(PresetKind::Program, longer, longer.size()).Loadable());
    s = SummarizePreset(PresetKind::Program, std::span(dia).first(1000), 1000);
    EXPECT_EQ(s.refusal, Refusal::TooShort);
    EXPECT_TRUE(s.names.empty());

    // A code out of range: refused with the field the import names.
    DiaContents bad = good;
    bad.image.MusicLeft.Eq[2].GainCode = 248;
    s = SummarizePreset(PresetKind::Program, CopyOf(&bad, sizeof bad), sizeof bad);
    EXPECT_EQ(s.refusal, Refusal::OutOfRange);
    EXPECT_EQ(s.fault.field, CheckDia(bad)->field);
    EXPECT_EQ(s.fault.field->path, "MusicLeft.Eq[3].GainCode");
    EXPECT_EQ(s.names.size(), 1u);  // the name is still there to show

    // A bank: 21 names, the program its header makes current, a bad program named by its number.
    auto bank = std::make_unique<ProgramBank>();
    bank->System = unit::FactorySystem();
    for (int n = 1; n <= kProgramCount; ++n) bank->Programs[n - 1] = unit::FactoryProgram(n);
    bank->System.ProgramNumber = 18;
    bank->Valid = 1;
    s = SummarizePreset(PresetKind::Bank, CopyOf(bank.get(), sizeof *bank), sizeof *bank);
    EXPECT_TRUE(s.Loadable());
    ASSERT_EQ(s.names.size(), 21u);
    EXPECT_EQ(Name(s.names[17]).substr(0, 10), "Function 2");
    EXPECT_EQ(s.headerProgram, 18);
    bank->System.ProgramNumber = 0;
    bank->Programs[11].Mic34.FeedbackSuppress = 9;
    s = SummarizePreset(PresetKind::Bank, CopyOf(bank.get(), sizeof *bank), sizeof *bank);
    EXPECT_EQ(s.headerProgram, 0);
    EXPECT_EQ(s.refusal, Refusal::OutOfRange);
    EXPECT_EQ(s.fault.program, 12);
    EXPECT_EQ(s.fault.field->path, "Mic34.FeedbackSuppress");
    EXPECT_EQ(SummarizePreset(PresetKind::Bank, dia, dia.size()).refusal, Refusal::TooShort);
}

TEST(LibraryCompare, FindsExactlyTheChangedFieldsByPage) {
    ProgramImage a = unit::FactoryProgram(2);
    SystemRecord sa = unit::FactorySystem();
    EXPECT_TRUE(CompareSides({&a, &sa}, {&a, &sa}).empty());

    struct Case {
        const char* path;
        const char* value;
        SettingsPage page;
    } cases[] = {
        {"ProgramName", nullptr, SettingsPage::Program},
        {"ActiveScene", "Disco", SettingsPage::Program},
        {"MusicLeft.Eq[3].GainCode", "-3dB", SettingsPage::Music},
        {"MusicRight.Compressor.Attack", "code:2", SettingsPage::Music},
        {"MusicLink", "OFF", SettingsPage::Music},
        {"MusicLeft.DynEq[2].Threshold", "-20", SettingsPage::DynEq},
        {"Mic12.MicLevel", "-5dB", SettingsPage::Mic},
        {"Mic34.Gate.Threshold", "OFF", SettingsPage::Mic},
        {"Scene2.Out1.Mute", "ON", SettingsPage::Out12},
        {"Scene1.Out4.Limiter.Ratio", "code:3", SettingsPage::Out34},
        {"EchoB.RightDelay", "-20", SettingsPage::Effect},
        {"Reverb.ReverbTime", "1500ms", SettingsPage::Effect},
        {"Scene1.Center.HighPass.FrequencyCode", "code:50", SettingsPage::Center},
        {"Scene3.SUB.Eq[2].QCode", "code:5", SettingsPage::Sub},
        {"SurroundLink", "OFF", SettingsPage::Surround},
        {"System.KeyShift", "3", SettingsPage::System},
        {"System.MusicMaster.Mute", "ON", SettingsPage::System},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const FieldInfo* f = FindField(c.path);
        ASSERT_NE(f, nullptr);
        ProgramImage b = a;
        SystemRecord sb = sa;
        uint8_t* record = f->record == FieldRecord::Program ? BytesOf(b) : BytesOf(sb);
        if (!c.value) {
            std::memcpy(record + f->offset, "Other name          ", f->width);
        } else {
            std::string error;
            const auto code = ParseCode(*f, c.value, &error);
            ASSERT_TRUE(code) << error;
            ASSERT_NE(*code, ReadCode(*f, record)) << "the case must change the field";
            WriteCode(*f, record, *code);
        }
        const auto d = CompareSides({&a, &sa}, {&b, &sb});
        ASSERT_EQ(d.size(), 1u);
        EXPECT_EQ(d[0].field, f);
        EXPECT_EQ(d[0].page, c.page);
        EXPECT_EQ(PageOf(*f), c.page);
        // Without a system record on one side, system fields are not compared.
        EXPECT_EQ(CompareSides({&a, nullptr}, {&b, &sb}).size(), f->record == FieldRecord::Program ? 1u : 0u);
    }

    // Several pages at once come in page order; the check byte is no setting.
    ProgramImage b = a;
    b.CheckByte ^= 0xFF;
    EXPECT_TRUE(CompareSides({&a, nullptr}, {&b, nullptr}).empty());
    b.Reverb.ReverbTime = b.Reverb.ReverbTime ^ 1;
    b.Mic12.MicLevel ^= 1;
    b.MusicLeft.DynEq[0].Ratio ^= 1;
    b.MusicLeft.Gate.Release ^= 1;
    std::vector<SettingsPage> pages;
    for (const FieldDifference& d : CompareSides({&a, nullptr}, {&b, nullptr})) pages.push_back(d.page);
    EXPECT_EQ(pages, (std::vector<SettingsPage>{SettingsPage::Music, SettingsPage::DynEq, SettingsPage::Mic,
                                                SettingsPage::Effect}));

    // The report's list holds every field but the check byte, each once.
    const auto all = FieldsByPage(true);
    EXPECT_EQ(all.size(), Fields().size() - 1);
    EXPECT_EQ(FieldsByPage(false).size(), FieldsOf(FieldRecord::Program).size() - 1);
}

TEST(LibraryCurves, CurveTextIsWhatPavoCliPrints) {
    clitest::ScratchDir dir;
    DiaContents d{};
    d.system = unit::FactorySystem();
    d.image = unit::FactoryProgram(9);
    d.image.ActiveScene = 3;  // the outputs of scene 3
    ASSERT_TRUE(WriteDia(dir / "p.dia", d.system, d.image));
    for (int block : {int(BlockMusicLeft), int(BlockMic34), BlockOutputFirst + 2, int(BlockMusicRightDyn)}) {
        SCOPED_TRACE(block);
        const auto run = clitest::RunCli({"curve", "p.dia", "--block", std::to_string(block)}, dir.path());
        ASSERT_EQ(run.code, 0) << run.err;
        const auto levels = ProgramBlockResponse(d.image, block);
        ASSERT_TRUE(levels);
        EXPECT_EQ(CurveCsv(*levels), run.out);
    }
    EXPECT_FALSE(ProgramBlockResponse(d.image, kBlockCount));

    // The thumbnail samples the same curves, scene 3's output 1 among them.
    const ThumbnailCurves t = ThumbnailCurvesOf(d.image);
    const auto out1 = BlockResponse(d.image, BlockOutputFirst + int(OutOut1), 3);
    for (int k : {0, 50, kThumbnailPoints - 1})
        EXPECT_FLOAT_EQ(t.db[2][k], static_cast<float>((*out1)[ThumbnailGridIndex(k)]));
    EXPECT_EQ(ThumbnailGridIndex(kThumbnailPoints - 1), kGridPoints - 1);
}

}  // namespace
}  // namespace pavo
