// Band sets: member order, the summed curve, the model's sets and their re-binding after each model
// operation, and whole records for a concurrent scan.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "eq/BandSets.h"
#include "eq/KTVEQ.h"
#include "eq_plot.h"
#include "model/Model.h"
#include "unit/Unit.h"

namespace pavo {
namespace {

using testing::kPlot;

// ---- One band set on records of its own ----

TEST(BandSet, MembersAreBandsThenHighPassThenLowPass) {
    MicBlock mic{};
    for (int i = 0; i < 20; ++i) SetBand(mic.Eq[i], static_cast<uint16_t>(10 * i), 120, 10, BandPeak);
    SetFilter(mic.HighPass, FilterKindHighPass, 0, 0);
    SetFilter(mic.LowPass, FilterKindLowPass, 361, 0);
    CKTVEQ set;
    set.CreateBands(20, mic.Eq, &mic.HighPass, &mic.LowPass);
    ASSERT_EQ(set.GetSize(), 22);
    EXPECT_EQ(set.BandCount(), 20);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(set[i].Band(), &mic.Eq[i]);
        EXPECT_EQ(set[i].BandNumber(), i + 1);
        EXPECT_EQ(set[i].GetLabel(), std::to_string(i + 1));
        EXPECT_EQ(set[i].GetType(), FilterType::Peak);
        EXPECT_FALSE(set[i].NarrowGainRange());
    }
    EXPECT_EQ(set.GetHighPass(), set.GetAt(20));
    EXPECT_EQ(set.GetLowPass(), set.GetAt(21));
    EXPECT_EQ(set.GetHighPass()->GetType(), FilterType::HighPass);
    EXPECT_EQ(set.GetHighPass()->Setting(), &mic.HighPass);
    EXPECT_EQ(set.GetHighPass()->GetLabel(), "H");
    EXPECT_EQ(set.GetLowPass()->GetType(), FilterType::LowPass);
    EXPECT_EQ(set.GetLowPass()->Setting(), &mic.LowPass);
    EXPECT_EQ(set.GetLowPass()->GetLabel(), "L");
    EXPECT_EQ(set.GetLowPass()->Frequency(), 20600);

    MusicBlock music{};
    for (auto& d : music.DynEq) SetBand(d.Band, 100, 120, 10, BandPeak);
    music.DynEq[2].Band.GainCode = 150;
    CKTVEQ dyn;
    dyn.CreateDynamicBands(music.DynEq);
    ASSERT_EQ(dyn.GetSize(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dyn[i].Band(), &music.DynEq[i].Band);
        EXPECT_EQ(dyn[i].BandNumber(), i + 1);
        EXPECT_TRUE(dyn[i].NarrowGainRange());
    }
    EXPECT_EQ(dyn[2].GetGainCode(), 150);
    EXPECT_EQ(dyn.GetHighPass(), nullptr);  // a dynamic set has no filters
    EXPECT_EQ(dyn.GetLowPass(), nullptr);
}

TEST(BandSet, SumCurveIsTheSumOfTheMemberLevels) {
    EchoBlock echo{};
    for (int i = 0; i < 7; ++i) SetBand(echo.Eq[i], static_cast<uint16_t>(40 * i), 120, 10, BandBypass);
    SetBand(echo.Eq[2], 204, 150, 10, BandPeak);          // +6 dB at 1 kHz
    SetFilter(echo.HighPass, FilterKindHighPass, 85, 3);  // "12dB Butuerworth" at 101 Hz
    SetFilter(echo.LowPass, FilterKindLowPass, 361, 0);
    CKTVEQ set;
    set.CreateBands(7, echo.Eq, &echo.HighPass, &echo.LowPass);
    set.SetPlotRect(kPlot);
    set.SumResponse();
    const auto& curve = set.SumCurve();
    for (int k = 0; k < kGridPoints; ++k) {
        double sum = 0;
        for (int m = 0; m < set.GetSize(); ++m) sum += set[m].LevelDb()[k];
        ASSERT_EQ(curve[k].y, static_cast<float>(LevelToY(sum, 180) + 10)) << k;
    }
    const double peakDb = 12 - (curve[239].y - 10) / 5;  // the peak, with a trace of the high-pass
    EXPECT_NEAR(peakDb, 6 + set.GetHighPass()->LevelDb()[239], 1e-4);
    EXPECT_NEAR(peakDb, 6, 0.01);
    EXPECT_GT(curve[35].y, 70 + 5 * 20);  // more than 20 dB down at 19.7 Hz

    // Members follow their setters; the sum follows at the next SumResponse.
    set[2].SetGainCode(120);
    set.GetHighPass()->SetSlopeCode(0);
    set.SumResponse();
    for (const PlotPointF& p : curve) ASSERT_EQ(p.y, 70.0f);
}

TEST(BandSet, PlotRectPlacesTheCurveOnTheFrequencyScale) {
    CKTVEQ set;  // no members: the sum is the 0 dB line
    set.SetPlotRect(kPlot);
    set.SumResponse();
    const auto& curve = set.SumCurve();
    EXPECT_EQ(curve[0].x, 35.0f);
    EXPECT_DOUBLE_EQ(FrequencyToX(30000, 700) + 35, 735);
    EXPECT_LT(curve[415].x, 735.0f);
    for (int k = 416; k < kGridPoints; ++k) EXPECT_GT(curve[k].x, 735.0f) << k;  // right of the plot
    for (int k = 0; k < kGridPoints; ++k) {
        ASSERT_EQ(curve[k].x, static_cast<float>(FrequencyToX(ResponseGrid()[k], 700) + 35));
        ASSERT_EQ(curve[k].y, 70.0f);
    }
    EXPECT_EQ(set.PlotWidth(), 700);
    EXPECT_EQ(set.PlotHeight(), 180);
}

// ---- The model's band sets ----

class ModelBandSets : public ::testing::Test {
protected:
    CKTVEQ* BandSetOf(int block, int scene) { return bands.Of(block, scene); }
    CKTVEQ* BandSetOf(int block) { return bands.Of(block); }
    CKTVEQ* OutputBandSet(int scene, int channel) { return bands.Output(scene, channel); }
    std::vector<CKTVEQ*> AllSets() {
        std::vector<CKTVEQ*> sets;
        for (int b : {0, 1, 2, 3, 4, 5, 6, 7, 16, 17}) sets.push_back(BandSetOf(b, 1));
        for (int s = 1; s <= 3; ++s)
            for (int c = 0; c < 8; ++c) sets.push_back(OutputBandSet(s, c));
        return sets;
    }

    Unit unit{false};
    Model& m = unit.model();
    BandSets& bands = unit.bands();
};

TEST_F(ModelBandSets, EachBlockHasItsSetOnItsOwnRecords) {
    ProgramImage& img = m.current;
    struct Case {
        int block, scene;
        int members;
        EqBand* firstBand;
        FilterSetting *highPass, *lowPass;
    } cases[] = {
        {0, 1, 17, img.MusicLeft.Eq, &img.MusicLeft.HighPass, &img.MusicLeft.LowPass},
        {1, 1, 17, img.MusicRight.Eq, &img.MusicRight.HighPass, &img.MusicRight.LowPass},
        {2, 1, 22, img.Mic12.Eq, &img.Mic12.HighPass, &img.Mic12.LowPass},
        {3, 1, 22, img.Mic34.Eq, &img.Mic34.HighPass, &img.Mic34.LowPass},
        {4, 1, 9, img.EchoA.Eq, &img.EchoA.HighPass, &img.EchoA.LowPass},
        {5, 1, 9, img.EchoB.Eq, &img.EchoB.HighPass, &img.EchoB.LowPass},
        {6, 1, 9, img.Reverb.Eq, &img.Reverb.HighPass, &img.Reverb.LowPass},
        {7, 1, 9, img.ReverbSpare.Eq, &img.ReverbSpare.HighPass, &img.ReverbSpare.LowPass},
        {8, 1, 12, img.Scenes[0].Channel[0].Eq, &img.Scenes[0].Channel[0].HighPass,
         &img.Scenes[0].Channel[0].LowPass},
        {13, 2, 12, img.Scenes[1].Channel[5].Eq, &img.Scenes[1].Channel[5].HighPass,
         &img.Scenes[1].Channel[5].LowPass},
        {15, 3, 12, img.Scenes[2].Channel[7].Eq, &img.Scenes[2].Channel[7].HighPass,
         &img.Scenes[2].Channel[7].LowPass},
        {16, 1, 3, &img.MusicLeft.DynEq[0].Band, nullptr, nullptr},
        {17, 3, 3, &img.MusicRight.DynEq[0].Band, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        CKTVEQ* set = BandSetOf(c.block, c.scene);
        ASSERT_NE(set, nullptr) << c.block;
        ASSERT_EQ(set->GetSize(), c.members) << c.block;
        const int stride = c.block >= 16 ? 2 : 1;  // dynamic bands are 10 bytes apart
        for (int i = 0; i < set->BandCount(); ++i)
            EXPECT_EQ((*set)[i].Band(), c.firstBand + stride * i) << c.block;
        EXPECT_EQ(set->GetHighPass() ? set->GetHighPass()->Setting() : nullptr, c.highPass) << c.block;
        EXPECT_EQ(set->GetLowPass() ? set->GetLowPass()->Setting() : nullptr, c.lowPass) << c.block;
    }
    // 34 distinct sets: 8 block sets, 2 dynamic, 24 output-channel sets.
    std::vector<CKTVEQ*> sets = AllSets();
    std::sort(sets.begin(), sets.end());
    EXPECT_EQ(std::unique(sets.begin(), sets.end()), sets.end());
    EXPECT_EQ(sets.size(), 34u);

    for (int bad : {-1, 18, 99}) EXPECT_EQ(BandSetOf(bad, 1), nullptr);
    EXPECT_EQ(BandSetOf(8, 0), nullptr);
    EXPECT_EQ(BandSetOf(8, 4), nullptr);
}

TEST_F(ModelBandSets, GraphLookupFollowsTheEditedScene) {
    struct Case {
        uint8_t activeScene;
        int scene;
    } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 3}};
    for (const Case& c : cases) {
        m.Edit([&] { m.current.ActiveScene = c.activeScene; });
        for (int block = 8; block <= 15; ++block)
            EXPECT_EQ(BandSetOf(block), OutputBandSet(c.scene, block - 8)) << int(c.activeScene);
        EXPECT_EQ(BandSetOf(3), BandSetOf(3, 1));
        EXPECT_EQ(BandSetOf(17), BandSetOf(17, 2));
    }
}

// ---- Re-binding ----

// Writes new values into every record a set's members are bound to, behind the members' backs.
void ChangeRecords(Model& m, CKTVEQ& set) {
    static int round = 0;  // new values every time, so no member already shows them
    ++round;
    m.Edit([&] {
        for (int i = 0; i < set.GetSize(); ++i) {
            if (EqBand* b = set[i].Band())
                SetBand(*b, static_cast<uint16_t>((b->FrequencyCode + 17) % 362),
                        static_cast<uint8_t>(130 + round % 100), static_cast<uint8_t>(20 + round % 50),
                        BandHighShelf);
            if (FilterSetting* f = set[i].Setting()) {
                f->FrequencyCode = static_cast<uint16_t>(100 + round % 200);
                f->SlopeCode = static_cast<uint8_t>(1 + round % 12);
            }
        }
    });
}

// Whether a member shows what its record holds now.
bool InSync(Model& m, const CFilter& member) {
    CFilter fresh;
    fresh.SetPlotSize({35, 10, 35 + member.PlotWidth(), 10 + member.PlotHeight()});
    if (const EqBand* b = member.Band()) {
        EqBand copy = m.Edit([&] { return *b; });
        fresh.AttachBand(copy);
    } else {
        FilterSetting copy = m.Edit([&] { return *member.Setting(); });
        fresh.SetType(member.GetType());
        fresh.AttachFilterSetting(copy);
    }
    return fresh.GetType() == member.GetType() && fresh.Frequency() == member.Frequency() &&
           fresh.Gain() == member.Gain() && fresh.Q() == member.Q() &&
           fresh.SlopeCode() == member.SlopeCode() && fresh.LevelDb() == member.LevelDb() &&
           fresh.HandleRect() == member.HandleRect();
}

// Every operation that replaces records moves the records version, and the next look at any set
// brings every member in step with its record; without it the sets keep what they showed.
TEST_F(ModelBandSets, EveryOperationThatReplacesRecordsBringsEverySetInStep) {
    const std::pair<const char*, std::function<void()>> operations[] = {
        {"ResetEqBands(0)", [this] { ResetEqBands(m, BlockMusicLeft); }},
        {"ResetEqBands(8) in scene 2",
         [this] {
             m.Edit([&] { m.current.ActiveScene = 2; });
             ResetEqBands(m, BlockOutputFirst);
         }},
        {"ResetEqBands(17)", [this] { ResetEqBands(m, BlockMusicRightDyn); }},
        {"LinkMusic", [this] { LinkMusic(m); }},
        {"LinkMic", [this] { LinkMic(m); }},
        {"LinkOutputPair(13)", [this] { LinkOutputPair(m, 13); }},
        {"AcceptProgram(false)", [this] { AcceptProgram(m, false); }},
        {"ResetParameters", [this] { ResetParameters(m, false); }},
        {"undo",
         [this] {
             m.Edit([&] { m.current.Mic12.Eq[0].GainCode = 1; });
             unit.history().Commit();
             unit.history().Undo();
         }},
    };
    for (const auto& [name, operation] : operations) {
        for (CKTVEQ* set : AllSets()) {
            set->SetPlotRect(kPlot);
            ChangeRecords(m, *set);
        }
        // Records changed behind the sets' backs with no operation: nothing re-reads them.
        for (CKTVEQ* set : AllSets())
            for (int i = 0; i < set->GetSize(); ++i) ASSERT_FALSE(InSync(m, (*set)[i])) << name;
        operation();
        for (CKTVEQ* set : AllSets())
            for (int i = 0; i < set->GetSize(); ++i)
                EXPECT_TRUE(InSync(m, (*set)[i])) << name << ", member " << i;
    }
}

TEST_F(ModelBandSets, AFlatSetSumsToTheZeroDbLine) {
    CKTVEQ* set = BandSetOf(BlockMusicLeft, 1);  // 15 bypassed bands at 0 dB, both filters "ByPass"
    set->SetPlotRect(kPlot);
    set->SumResponse();
    for (const PlotPointF& p : set->SumCurve()) ASSERT_EQ(p.y, 180.0f / 3 + 10);
    EXPECT_EQ(set->SumCurve()[0].x, 35.0f);
}

TEST_F(ModelBandSets, ResetEqBandsShowsTheFlatPeakingBands) {
    CKTVEQ* set = BandSetOf(2, 1);
    (*set)[4].SetGainCode(200);
    ResetEqBands(m, 2);
    set = BandSetOf(2, 1);
    for (int i = 0; i < set->BandCount(); ++i) {
        EXPECT_EQ((*set)[i].GetType(), FilterType::Peak);
        EXPECT_EQ((*set)[i].GetGainCode(), 120);
        for (double l : (*set)[i].LevelDb()) ASSERT_NEAR(l, 0.0, 1e-12);
    }
}

// ---- Edits and a concurrent scan ----

TEST(BandSetConcurrency, ScansSeeOnlyWholeRecords) {
    EqBand band{};
    SetBand(band, 256, 120, 10, BandPeak);
    FilterSetting hp{};
    SetFilter(hp, FilterKindHighPass, 256, 3);
    std::mutex lock;  // the records' model lock
    CFilter bandFilter, hpFilter;
    bandFilter.AttachBand(band, &lock);
    hpFilter.SetType(FilterType::HighPass);
    hpFilter.AttachFilterSetting(hp, &lock);

    std::atomic<bool> stop{false};
    std::atomic<int> torn{0}, scans{0};
    std::thread scanner([&] {  // what the change scanner does on the engine's thread
        while (!stop.load()) {
            const auto [b, f] = [&] {
                std::lock_guard<std::mutex> guard(lock);
                return std::pair{band, hp};
            }();
            const int bc = b.FrequencyCode.get(), fc = f.FrequencyCode.get();
            if ((bc != 255 && bc != 256) || (fc != 255 && fc != 256)) ++torn;
            ++scans;
        }
    });
    for (int i = 0; i < 4000 || scans.load() < 100; ++i) {
        bandFilter.SetFrequencyCode(i % 2 ? 255 : 256);  // 0x00FF / 0x0100: a torn read shows 0x01FF or 0
        hpFilter.SetFilterFrequencyCode(i % 2 ? 256 : 255);
    }
    stop = true;
    scanner.join();
    EXPECT_EQ(torn.load(), 0);
}

}  // namespace
}  // namespace pavo
