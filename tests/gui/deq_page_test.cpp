// The dynamic EQ page without a unit: the narrow gain range by edit, slider and graph drag, the
// compressor sliders and the bytes they write, SYNC and the channel choice, the EQ controls and the
// graph, EQ reset.
#include <gtest/gtest.h>

#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "graph_support.h"
#include "outputs_support.h"
#include "pages/DEQ_Dlg.h"

namespace pavo {
namespace {

using D = DEQ_Dlg;
using test::Click;
using test::LabelText;
using test::Latched;
using test::MoveSlider;

struct DynEqPage : test::LonePage<DEQ_Dlg> {
    DynEqPage() { page->RefreshFromModel(); }
    MusicBlock& Left() { return unit().model().current.MusicLeft; }
    MusicBlock& Right() { return unit().model().current.MusicRight; }
    int Gain(int band) { return Left().DynEq[band].Band.GainCode; }
};

// Offset of a byte of a dynamic band of MusicLeft in the program image.
size_t LeftDynByte(int band, int byte) {
    return offsetof(ProgramImage, MusicLeft) + offsetof(MusicBlock, DynEq) + sizeof(DynEqBand) * band + byte;
}

TEST(DynEqPage, GainStaysWithinTwelveDecibelsByEditSliderAndDrag) {
    DynEqPage p;
    struct Typed {
        const char* text;
        int code;
    } typed[] = {{"-30", 60}, {"20", 180}, {"3.3", 136}, {"-12.1", 60}};
    for (const Typed& t : typed) {
        test::TypeInto(p.page.get(), D::IDC_GAIN_EDIT, t.text);
        EXPECT_EQ(p.Gain(0), t.code) << t.text;
        EXPECT_EQ(test::Item<BitmapSlider>(p.page.get(), D::IDC_GAIN_SLIDER)->GetInvertedPos(), t.code)
            << t.text;
    }

    // The slider's ends are the range's ends: End goes to the bottom, -12 dB; Home to the top, +12 dB.
    auto* slider = test::Item<BitmapSlider>(p.page.get(), D::IDC_GAIN_SLIDER + 1);
    for (auto [key, code] : {std::pair{Qt::Key_End, 60}, std::pair{Qt::Key_Home, 180}}) {
        slider->setFocus();
        QTest::keyClick(slider, key);
        DeliverPostedMessages();
        EXPECT_EQ(p.Gain(1), code);
        EXPECT_EQ(test::Item<NumEdit>(p.page.get(), D::IDC_GAIN_EDIT + 1)->GetValue(), code);
    }

    // A drag on the graph far below the plot stops at -12 dB, far above at +12 dB.
    CFStatic* graph = p->Graph();
    const CFilter& band = *p.unit().bands().Of(BlockMusicLeftDyn)->GetAt(2);
    for (auto [dy, code] : {std::pair{400, 60}, std::pair{-400, 180}}) {
        const QPoint start = test::HandleCentre(band);
        test::Hover(graph, start);
        QTest::mousePress(graph, Qt::LeftButton, {}, start);
        QTest::mouseMove(graph, start + QPoint(0, dy));
        QTest::mouseRelease(graph, Qt::LeftButton, {}, start + QPoint(0, dy));
        DeliverPostedMessages();
        EXPECT_EQ(p.Gain(2), code);
        EXPECT_EQ(test::Item<NumEdit>(p.page.get(), D::IDC_GAIN_EDIT + 2)->GetValue(), code);
    }
}

TEST(DynEqPage, CompressorSlidersWriteOnlyTheirBandsByteAndLeaveTheGraph) {
    struct Case {
        int slider;
        int pos;
        int band;
        int byte;
        const char* label;
    } cases[] = {
        {D::IDC_THRESHOLD + 1, 30, 1, 5, "-18dBV"}, {D::IDC_THRESHOLD, 60, 0, 5, "12dBV"},
        {D::IDC_ATTACK + 2, 19, 2, 6, "400ms"},     {D::IDC_RELEASE, 7, 0, 7, "Atk X32"},
        {D::IDC_RATIO + 1, 27, 1, 8, "12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slider);
        DynEqPage p;
        Model& m = p.unit().model();
        const ProgramImage before = m.current;
        const qint64 plot = p->Graph()->PlotImage().cacheKey();
        MoveSlider(p.page.get(), c.slider, c.pos);
        EXPECT_EQ(test::DifferingBytes(before, m.current), std::vector<size_t>{LeftDynByte(c.band, c.byte)});
        EXPECT_EQ(BytesOf(m.current)[LeftDynByte(c.band, c.byte)], c.pos);
        EXPECT_EQ(LabelText(p.page.get(), c.slider - 10), c.label);
        EXPECT_EQ(p->Graph()->PlotImage().cacheKey(), plot);
    }
}

TEST(DynEqPage, SyncMakesTheRightChannelFollowTheLeft) {
    DynEqPage p;
    Model& m = p.unit().model();
    m.Edit([&] {
        p.Right().DynEq[0].Threshold = 33;
        p.Right().Eq[3].GainCode = 99;
    });
    AcceptProgram(m, false);

    Click(p.page.get(), D::IDC_MUSIC_RIGHT);
    EXPECT_TRUE(Latched(p.page.get(), D::IDC_MUSIC_RIGHT));
    EXPECT_EQ(p->Graph()->GraphId(), BlockMusicRightDyn);
    MoveSlider(p.page.get(), D::IDC_RATIO, 5);
    EXPECT_EQ(p.Right().DynEq[0].Ratio, 5);
    EXPECT_EQ(LabelText(p.page.get(), D::IDC_THRESHOLD - 10), "-15dBV");  // the right channel's 33

    // Linked, the page edits the left channel and offers no channel choice; its button stays latched.
    Click(p.page.get(), D::IDC_SYNC);
    EXPECT_EQ(m.current.MusicLink, 1);
    EXPECT_TRUE(Latched(p.page.get(), D::IDC_SYNC));
    EXPECT_EQ(m.pages.DynEqSide, BlockMusicLeftDyn);
    EXPECT_EQ(p->Graph()->GraphId(), BlockMusicLeftDyn);
    for (int id : {D::IDC_MUSIC_LEFT, D::IDC_MUSIC_RIGHT}) {
        EXPECT_FALSE(test::Item(p.page.get(), id)->isEnabled());
        EXPECT_EQ(Latched(p.page.get(), id), id == D::IDC_MUSIC_LEFT);
    }
    MoveSlider(p.page.get(), D::IDC_THRESHOLD + 2, 50);
    EXPECT_EQ(p.Left().DynEq[2].Threshold, 50);

    // Unlinking copies the whole left channel onto the right, in both images: nothing to send for it.
    Click(p.page.get(), D::IDC_SYNC);
    EXPECT_EQ(m.current.MusicLink, 0);
    EXPECT_TRUE(SameRecord(p.Right(), p.Left()));
    EXPECT_TRUE(SameRecord(m.lastSent.MusicRight, p.Right()));
    EXPECT_TRUE(Latched(p.page.get(), D::IDC_MUSIC_LEFT));
    EXPECT_TRUE(test::Item(p.page.get(), D::IDC_MUSIC_RIGHT)->isEnabled());
    EXPECT_FALSE(Latched(p.page.get(), D::IDC_SYNC));
}

TEST(DynEqPage, ALinkFromTheUnitWhileRightIsShownSelectsTheLeft) {
    DynEqPage p;
    Model& m = p.unit().model();
    Click(p.page.get(), D::IDC_MUSIC_RIGHT);
    m.Edit([&] {
        m.current.MusicLink = 1;
        p.Left().DynEq[1].Band.GainCode = 150;
        p.Right().DynEq[1].Band.GainCode = 90;
    });
    m.RecordsReplaced();  // as the receive path does
    p->RefreshFromModel();
    EXPECT_EQ(m.pages.DynEqSide, BlockMusicLeftDyn);
    EXPECT_EQ(p->CurrentSet(), BlockMusicLeftDyn);
    EXPECT_EQ(p->Graph()->GraphId(), BlockMusicLeftDyn);
    EXPECT_EQ(test::Item<NumEdit>(p.page.get(), D::IDC_GAIN_EDIT + 1)->GetValue(), 150);

    // A gain beyond the page's range shows at the nearer end, not as the value shown before; the
    // record keeps it.
    m.Edit([&] { p.Left().DynEq[1].Band.GainCode = 30; });
    p->RefreshFromModel();
    EXPECT_EQ(test::Item<NumEdit>(p.page.get(), D::IDC_GAIN_EDIT + 1)->text(), "-12.0");
    EXPECT_EQ(test::Item<BitmapSlider>(p.page.get(), D::IDC_GAIN_SLIDER + 1)->GetInvertedPos(), 60);
    EXPECT_EQ(p.Left().DynEq[1].Band.GainCode, 30);
}

TEST(DynEqPage, BandEditsGoThroughTheBandSetAndSelectTheBand) {
    DynEqPage p;
    test::TypeInto(p.page.get(), D::IDC_FREQUENCY + 2, "1000");
    EXPECT_EQ(p.Left().DynEq[2].Band.FrequencyCode, 204);
    EXPECT_EQ(p->Graph()->SelectedIndex(), 2);
    test::Choose(p.page.get(), D::IDC_TYPE + 1, 3);
    EXPECT_EQ(p.Left().DynEq[1].Band.BandType, 3);
    EXPECT_EQ(p->Graph()->SelectedIndex(), 1);
    test::TypeInto(p.page.get(), D::IDC_Q, "1.0");
    EXPECT_EQ(p.Left().DynEq[0].Band.QCode, 16);
    EXPECT_EQ(p.unit().bands().Of(BlockMusicLeftDyn)->GetAt(0)->Q(), 1.0);

    // The graph reports a band it moved: the page reloads that band's controls.
    p.unit().bands().Of(BlockMusicLeftDyn)->GetAt(1)->SetGainCode(70);
    SendMessage(p.page.get(), WM_EQCURVE_CHANGED, BlockMusicLeftDyn, 1);
    EXPECT_EQ(test::Item<NumEdit>(p.page.get(), D::IDC_GAIN_EDIT + 1)->GetValue(), 70);
    EXPECT_EQ(test::Item<BitmapSlider>(p.page.get(), D::IDC_GAIN_SLIDER + 1)->GetInvertedPos(), 70);
}

TEST(DynEqPage, EqResetFlattensTheBandsButKeepsTheCompressors) {
    DynEqPage p;
    Model& m = p.unit().model();
    m.Edit([&] {
        for (DynEqBand& b : p.Left().DynEq) {
            b.Band.GainCode = 160;
            b.Threshold = 44;
        }
        p.Right().DynEq[0].Band.GainCode = 160;
    });
    m.RecordsReplaced();  // as the receive path does
    p->RefreshFromModel();
    Click(p.page.get(), D::IDC_EQ_RESET);
    for (const DynEqBand& b : p.Left().DynEq) {
        EXPECT_EQ(b.Band.GainCode, kGainCodeFlat);
        EXPECT_EQ(b.Band.BandType, BandPeak);
        EXPECT_EQ(b.Threshold, 44);
    }
    EXPECT_EQ(p.Right().DynEq[0].Band.GainCode, 160);
    EXPECT_EQ(test::Item<NumEdit>(p.page.get(), D::IDC_GAIN_EDIT)->text(), "0.0");
    EXPECT_EQ(p->Graph()->SelectedIndex(), -1);
}

}  // namespace
}  // namespace pavo
