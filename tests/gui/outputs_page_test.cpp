// The main output page without a unit: which buttons edit which blocks, the limiter of the pair, the
// value labels, SYNC and its copy, the automatic scene, the edited scene, EQ reset and bypass, and
// the graph's reports.
#include <gtest/gtest.h>

#include "controls/FontStatic.h"
#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "outputs_support.h"
#include "pages/EQDlg.h"
#include "pages/FilterControls.h"
#include "pages/MainDlg.h"
#include "platform/Skin.h"

namespace pavo {
namespace {

using M = MainDlg;
using test::Click;
using test::LabelText;
using test::Latched;
using test::MoveSlider;
using test::Out;

struct OutputPage : test::LonePage<MainDlg> {
    explicit OutputPage(int pageIndex = PavoDlg::PageOut12) {
        Model& m = unit().model();
        m.Edit([&] {
            m.current.Out12Link = 0;
            m.current.Out34Link = 0;
        });
        Show(pageIndex);
    }
    // What the main window does when the tab is chosen.
    void Show(int pageIndex) {
        Model& m = unit().model();
        m.Edit([&] { m.pages.CurrentPage = pageIndex; });
        page->Selected(pageIndex);
        page->RefreshFromModel();
    }
    QWidget* item(int id) const { return test::Item(page.get(), id); }
};

// Gives channels 4 and 5 (Out 2 and Out 1) of every scene settings of their own, in both images.
void DistinctOut12Channels(Model& m) {
    m.Edit([&] {
        for (int s = 1; s <= 3; ++s)
            for (int c : {4, 5}) {
                OutputChannel& ch = Out(m, s, c);
                ch.Mute = static_cast<uint8_t>(c == 5);
                ch.MusicLevel = static_cast<uint8_t>(10 * s + c);
                ch.Eq[0].GainCode = static_cast<uint8_t>(100 + 10 * s + c);
                ch.Limiter.Ratio = static_cast<uint8_t>(s + c);
                ch.HighPass.FrequencyCode = static_cast<uint16_t>(50 + c);
                ch.Delay = static_cast<uint16_t>(100 * s + c);
            }
    });
    AcceptProgram(m, false);
}

TEST(OutputPage, ChannelButtonsEditTheirOwnBlocks) {
    // Out1&2 shows block 12 (channel 4) as "Out 2" and block 13 (channel 5) as "Out 1"; Out3&4 shows
    // block 8 (channel 0) as "Out 4" and block 9 (channel 1) as "Out 3".
    struct Case {
        int pageIndex;
        int button;
        const char* caption;
        int channel;
        int partner;
    } cases[] = {
        {PavoDlg::PageOut12, M::IDC_FIRST_CHANNEL, "Out 2", OutOut2, OutOut1},
        {PavoDlg::PageOut12, M::IDC_SECOND_CHANNEL, "Out 1", OutOut1, OutOut2},
        {PavoDlg::PageOut34, M::IDC_FIRST_CHANNEL, "Out 4", OutOut4, OutOut3},
        {PavoDlg::PageOut34, M::IDC_SECOND_CHANNEL, "Out 3", OutOut3, OutOut4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        OutputPage p(c.pageIndex);
        Model& m = p.unit().model();
        // Each tab opens on its second channel.
        EXPECT_TRUE(Latched(p.page.get(), M::IDC_SECOND_CHANNEL));
        EXPECT_FALSE(Latched(p.page.get(), M::IDC_FIRST_CHANNEL));

        EXPECT_EQ(test::Item<BitButton>(p.page.get(), c.button)->text(), c.caption);
        Click(p.page.get(), c.button);
        EXPECT_TRUE(Latched(p.page.get(), c.button));
        EXPECT_EQ(p->SideBlock(), int{BlockOutputFirst} + c.channel);

        MoveSlider(p.page.get(), M::IDC_SOURCE_SLIDER, 150);
        Click(p.page.get(), M::IDC_SOURCE_SWITCH + 1);
        Click(p.page.get(), M::IDC_EQ_PASS);
        test::TypeInto(p->Strips().Strip(2)->GainEdit(), "6");
        MoveSlider(p.page.get(), M::IDC_HPF_SLIDER, 80);
        EXPECT_EQ(Out(m, 1, c.channel).MusicLevel, 150);
        EXPECT_EQ(Out(m, 1, c.channel).MicSwitch, 1);
        EXPECT_EQ(Out(m, 1, c.channel).EqBypass, 1);
        EXPECT_EQ(Out(m, 1, c.channel).Eq[2].GainCode, 150);
        EXPECT_EQ(Out(m, 1, c.channel).HighPass.FrequencyCode, 80);
        const OutputChannel untouched = Out(m, 2, c.partner);  // scenes 1..3 start equal
        EXPECT_TRUE(SameRecord(Out(m, 1, c.partner), untouched));
    }
}

TEST(OutputPage, LimiterIsThePairsAndLivesInTheFirstChannel) {
    OutputPage p;
    Model& m = p.unit().model();
    m.Edit([&] { Out(m, 1, OutOut2).Limiter = {10, 7, 2, 27}; });
    p->RefreshFromModel();
    ASSERT_EQ(p->SideBlock(), int{BlockOutputFirst} + OutOut1);  // the second channel is selected
    EXPECT_EQ(LabelText(p.page.get(), 1269), "-12dB");
    EXPECT_EQ(LabelText(p.page.get(), 1272), "5.7ms");
    EXPECT_EQ(LabelText(p.page.get(), 1275), "Atk X6");
    EXPECT_EQ(LabelText(p.page.get(), 1278), "12");

    const OutputChannel second = Out(m, 1, OutOut1);
    const int values[4] = {34, 19, 7, 40};
    for (int i = 0; i < 4; ++i) MoveSlider(p.page.get(), M::IDC_LIMITER_SLIDER + i, values[i]);
    EXPECT_EQ(Out(m, 1, OutOut2).Limiter.Threshold, 34);
    EXPECT_EQ(Out(m, 1, OutOut2).Limiter.Attack, 19);
    EXPECT_EQ(Out(m, 1, OutOut2).Limiter.Release, 7);
    EXPECT_EQ(Out(m, 1, OutOut2).Limiter.Ratio, 40);
    EXPECT_TRUE(SameRecord(Out(m, 1, OutOut1), second));
}

TEST(OutputPage, ValueLabelsShowUnitsAndDistances) {
    OutputPage p;
    Model& m = p.unit().model();
    struct Case {
        int slider;
        int pos;
        int label;
        const char* text;
    } cases[] = {
        {M::IDC_LIMITER_SLIDER, 0, 1269, "-22dB"},
        {M::IDC_LIMITER_SLIDER, 34, 1269, "12dB"},
        {M::IDC_LIMITER_SLIDER + 1, 19, 1272, "400ms"},
        {M::IDC_LIMITER_SLIDER + 2, 0, 1275, "Atk X2"},
        {M::IDC_LIMITER_SLIDER + 3, 40, 1278, "100"},
        {M::IDC_SOURCE_SLIDER, 200, 1253, "200%"},
        {M::IDC_FIRST_DELAY, 1500, M::IDC_FIRST_DELAY_LABEL, "150.0ms"},
        {M::IDC_FIRST_DELAY, 1500, M::IDC_FIRST_DISTANCE, "51.000m"},
        {M::IDC_SECOND_DELAY, 100, M::IDC_SECOND_DELAY_LABEL, "10.0ms"},
        {M::IDC_SECOND_DELAY, 100, M::IDC_SECOND_DISTANCE, "3.400m"},
    };
    for (const Case& c : cases) {
        MoveSlider(p.page.get(), c.slider, c.pos);
        EXPECT_EQ(LabelText(p.page.get(), c.label), c.text) << c.slider << " at " << c.pos;
    }
    // The delays are 16-bit fields of their own channels.
    EXPECT_EQ(Out(m, 1, OutOut2).Delay, 1500);
    EXPECT_EQ(Out(m, 1, OutOut1).Delay, 100);
}

TEST(OutputPage, SyncEditsTheLeadingChannelAndUnlinkingCopiesItWithoutSending) {
    OutputPage p;
    Model& m = p.unit().model();
    DistinctOut12Channels(m);
    p->RefreshFromModel();
    ASSERT_EQ(p->SideBlock(), int{BlockOutputFirst} + OutOut1);

    // SYNC on: the unit runs Out 1 on Out 2's settings, so the page shows and edits Out 2.
    Click(p.page.get(), M::IDC_SYNC);
    EXPECT_EQ(m.current.Out12Link, 1);
    EXPECT_TRUE(Latched(p.page.get(), M::IDC_SYNC));
    EXPECT_EQ(p->SideBlock(), int{BlockOutputFirst} + OutOut2);
    for (int id : {M::IDC_FIRST_CHANNEL, M::IDC_SECOND_CHANNEL}) {
        EXPECT_FALSE(p.item(id)->isEnabled()) << id;
        EXPECT_EQ(Latched(p.page.get(), id), id == M::IDC_FIRST_CHANNEL) << id;  // the one on screen
    }
    EXPECT_EQ(p->Strips().Strip(0)->GainEdit()->GetValue(), 114);  // scene 1, channel 4
    EXPECT_EQ(LabelText(p.page.get(), 1253), "14%");

    // SYNC off: in every scene Out 1 becomes Out 2 but for its own mute and delay, in both images.
    Click(p.page.get(), M::IDC_SYNC);
    EXPECT_EQ(m.current.Out12Link, 0);
    for (int s = 1; s <= 3; ++s) {
        SCOPED_TRACE(s);
        OutputChannel expected = Out(m, s, OutOut2);
        expected.Mute = 1;
        expected.Delay = static_cast<uint16_t>(100 * s + 5);
        EXPECT_TRUE(SameRecord(Out(m, s, OutOut1), expected));
    }
    // Nothing of the copy is left for the change scan; the link byte went back to what was sent.
    EXPECT_TRUE(test::DifferingBytes(m.current, m.lastSent).empty());
    EXPECT_FALSE(Latched(p.page.get(), M::IDC_SYNC));
    for (int id : {M::IDC_FIRST_CHANNEL, M::IDC_SECOND_CHANNEL}) EXPECT_TRUE(p.item(id)->isEnabled()) << id;
    // The strips show the copy: the second channel's band 0 now has the first channel's gain.
    Click(p.page.get(), M::IDC_SECOND_CHANNEL);
    EXPECT_EQ(p->Strips().Strip(0)->GainEdit()->GetValue(), 114);

    // A received program links the pair while Out 1 is selected: the page moves to Out 2 as well.
    m.Edit([&] { m.current.Out12Link = 1; });
    p->RefreshFromModel();
    EXPECT_EQ(p->SideBlock(), int{BlockOutputFirst} + OutOut2);
    EXPECT_EQ(p->Graph()->GraphId(), int{BlockOutputFirst} + OutOut2);
}

// The page says which channel it shows: with SYNC on, the first channel's button stays latched (and
// takes no input), whichever channel was chosen before; with SYNC off again it stays latched.
TEST(OutputPage, ChannelOnScreenKeepsItsButtonLatchedThroughSync) {
    struct Row {
        int page, chosenBefore;
    } rows[] = {
        {PavoDlg::PageOut12, M::IDC_SECOND_CHANNEL},
        {PavoDlg::PageOut12, M::IDC_FIRST_CHANNEL},
        {PavoDlg::PageOut34, M::IDC_SECOND_CHANNEL},
        {PavoDlg::PageOut34, M::IDC_FIRST_CHANNEL},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "page " << row.page << " chosen " << row.chosenBefore);
        OutputPage p(row.page);
        Click(p.page.get(), row.chosenBefore);
        ASSERT_TRUE(Latched(p.page.get(), row.chosenBefore));
        Click(p.page.get(), M::IDC_SYNC);
        EXPECT_TRUE(Latched(p.page.get(), M::IDC_FIRST_CHANNEL));
        EXPECT_FALSE(Latched(p.page.get(), M::IDC_SECOND_CHANNEL));
        EXPECT_FALSE(p.item(M::IDC_FIRST_CHANNEL)->isEnabled());
        Click(p.page.get(), M::IDC_SYNC);
        EXPECT_TRUE(Latched(p.page.get(), M::IDC_FIRST_CHANNEL));
        EXPECT_FALSE(Latched(p.page.get(), M::IDC_SECOND_CHANNEL));
        EXPECT_TRUE(p.item(M::IDC_FIRST_CHANNEL)->isEnabled());
    }
}

// The music and microphone switch boxes fade into the page in the automatic scene, on or off, as the
// other disabled controls do; in an edited scene they show in full colour.
TEST(OutputPage, SwitchBoxesLookDisabledInTheAutomaticScene) {
    OutputPage p;
    Model& m = p.unit().model();
    // The mean colour distance of the box's pixels to the page background.
    auto contrast = [&](int id) {
        QWidget* box = p.item(id);
        const QImage img = p.page->grab(box->geometry()).toImage();
        const QColor bg = PageBackground();
        double sum = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                sum += std::abs(c.red() - bg.red()) + std::abs(c.green() - bg.green()) +
                       std::abs(c.blue() - bg.blue());
            }
        return sum / (img.width() * img.height());
    };
    for (uint8_t on : {uint8_t{0}, uint8_t{1}}) {
        for (int source : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "source " << source << " on " << int{on});
            const int id = M::IDC_SOURCE_SWITCH + source;
            m.Edit([&] {
                OutputChannel& c = Out(m, 1, OutOut1);
                (source == 0 ? c.MusicSwitch : c.MicSwitch) = on;
                m.current.ActiveScene = 1;
            });
            p->RefreshFromModel();
            ASSERT_TRUE(p.item(id)->isEnabled());
            const double enabled = contrast(id);
            m.Edit([&] { m.current.ActiveScene = 0; });
            p->RefreshFromModel();
            ASSERT_FALSE(p.item(id)->isEnabled());
            EXPECT_EQ(Latched(p.page.get(), id), on != 0);
            EXPECT_LT(contrast(id), enabled * 0.6);
        }
    }
}

TEST(OutputPage, AutomaticSceneTakesNoInputAndShowsSceneOne) {
    OutputPage p;
    Model& m = p.unit().model();
    m.Edit([&] {
        Out(m, 1, OutOut1).MusicLevel = 77;
        Out(m, 2, OutOut1).MusicLevel = 88;
        m.current.ActiveScene = 0;
    });
    p->RefreshFromModel();
    EXPECT_EQ(LabelText(p.page.get(), 1253), "77%");
    int controls = 0;
    for (QWidget* w : p.page->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(p.page.get())) continue;
        const bool input = qobject_cast<QAbstractButton*>(w) || qobject_cast<BitmapSlider*>(w) ||
                           qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w);
        if (!input) continue;
        ++controls;
        EXPECT_FALSE(w->isEnabled()) << ControlId(w) << " " << w->metaObject()->className();
        if (auto* s = qobject_cast<BitmapSlider*>(w)) {
            EXPECT_FALSE(s->IsSliderEnabled());
        }
    }
    // Ten strips of five, seven buttons, two switches, ten sliders, two combos and two edits.
    EXPECT_EQ(controls, 73);

    m.Edit([&] { m.current.ActiveScene = 2; });
    p->RefreshFromModel();
    EXPECT_EQ(LabelText(p.page.get(), 1253), "88%");
    for (int id : {M::IDC_SYNC, M::IDC_FIRST_CHANNEL, M::IDC_EQ_PASS, M::IDC_SOURCE_SLIDER, M::IDC_HPF_EDIT})
        EXPECT_TRUE(p.item(id)->isEnabled()) << id;
    EXPECT_TRUE(p->Strips().Strip(0)->isEnabled());
}

TEST(OutputPage, StripsAndGraphFollowTheSceneOfAReceivedProgram) {
    OutputPage p;
    Model& m = p.unit().model();
    // A program arrives whose active scene is 3: the model re-binds its band sets, the page refreshes.
    m.Edit([&] {
        m.current.ActiveScene = 3;
        Out(m, 3, OutOut1).Eq[4].GainCode = 90;
    });
    m.RecordsReplaced();  // as the receive path does
    p->RefreshFromModel();
    EXPECT_EQ(p->Graph()->BandSet(), p.unit().bands().Output(3, OutOut1));
    EXPECT_EQ(p->Strips().Strip(4)->GainEdit()->GetValue(), 90);

    const EqBand scene1Band = Out(m, 1, OutOut1).Eq[4];
    test::MoveGainSlider(p->Strips().Strip(4), EQDlg::kGainSliderId, 160);
    EXPECT_EQ(Out(m, 3, OutOut1).Eq[4].GainCode, 160);
    EXPECT_TRUE(SameRecord(Out(m, 1, OutOut1).Eq[4], scene1Band));
}

TEST(OutputPage, EqResetAndBypassActOnTheSelectedChannel) {
    OutputPage p;
    Model& m = p.unit().model();
    m.Edit([&] {
        for (EqBand& b : Out(m, 1, OutOut1).Eq) b.GainCode = 150;
        Out(m, 1, OutOut2).Eq[0].GainCode = 150;
    });
    m.RecordsReplaced();  // as the receive path does
    p->RefreshFromModel();
    SendMessage(p.page.get(), WM_EQSTRIP_CHANGED, 0, 2);
    ASSERT_EQ(p->Strips().Strip(2)->Caption()->TextColour(), kRed);

    Click(p.page.get(), M::IDC_EQ_RESET);
    for (const EqBand& b : Out(m, 1, OutOut1).Eq) {
        EXPECT_EQ(b.GainCode, kGainCodeFlat);
        EXPECT_EQ(b.BandType, BandPeak);
    }
    EXPECT_EQ(Out(m, 1, OutOut2).Eq[0].GainCode, 150);
    EXPECT_EQ(p->Strips().Strip(0)->GainEdit()->text(), "0.0");
    // The highlighted strip turns white but stays the highlighted one.
    EXPECT_EQ(p->Strips().Strip(2)->Caption()->TextColour(), kWhite);
    EXPECT_EQ(p->Strips().Highlighted(), 2);

    Click(p.page.get(), M::IDC_EQ_PASS);
    EXPECT_EQ(Out(m, 1, OutOut1).EqBypass, 1);
    EXPECT_TRUE(Latched(p.page.get(), M::IDC_EQ_PASS));
    EXPECT_TRUE(p->Graph()->BypassShown());
}

TEST(OutputPage, FiltersEditTheSelectedChannelAndFollowTheGraph) {
    OutputPage p;
    Model& m = p.unit().model();
    MoveSlider(p.page.get(), M::IDC_HPF_SLIDER, 50);
    EXPECT_EQ(Out(m, 1, OutOut1).HighPass.FrequencyCode, 50);
    EXPECT_EQ(test::Item<NumEdit>(p.page.get(), M::IDC_HPF_EDIT)->GetValue(), 50);
    EXPECT_EQ(p->Graph()->SelectedIndex(), 10);
    test::Choose(p.page.get(), M::IDC_LPF_COMBO, 9);
    EXPECT_EQ(Out(m, 1, OutOut1).LowPass.SlopeCode, 9);
    EXPECT_EQ(p->Graph()->SelectedIndex(), 11);
    test::TypeInto(p.page.get(), M::IDC_LPF_EDIT, "1000");
    EXPECT_EQ(Out(m, 1, OutOut1).LowPass.FrequencyCode, 204);
    EXPECT_EQ(test::Item<BitmapSlider>(p.page.get(), M::IDC_LPF_SLIDER)->GetPos(), 204);

    // A drag on the graph moved the high-pass: its edit and slider follow the report.
    p->HighPass().Filter()->SetFilterFrequencyCode(120);
    SendMessage(p.page.get(), WM_EQCURVE_CHANGED, int{BlockOutputFirst} + OutOut1, 10);
    EXPECT_EQ(test::Item<NumEdit>(p.page.get(), M::IDC_HPF_EDIT)->GetValue(), 120);
    EXPECT_EQ(test::Item<BitmapSlider>(p.page.get(), M::IDC_HPF_SLIDER)->GetPos(), 120);
    // A band: its strip shows it and is highlighted.
    p->Strips().Strip(6)->Band()->SetGainCode(100);
    SendMessage(p.page.get(), WM_EQCURVE_CHANGED, int{BlockOutputFirst} + OutOut1, 6);
    EXPECT_EQ(p->Strips().Strip(6)->GainEdit()->GetValue(), 100);
    EXPECT_EQ(p->Strips().Highlighted(), 6);
}

TEST(OutputPage, CaptionsFollowLanguageAndPair) {
    OutputPage p(PavoDlg::PageOut34);
    SetUiLanguage(LanguageChinese);
    p->ApplyLanguage();
    EXPECT_EQ(test::Item<BitButton>(p.page.get(), M::IDC_SECOND_MUTE)->text(), "输出3静音");
    EXPECT_EQ(LabelText(p.page.get(), 1267), "输出3&4压限");
    EXPECT_EQ(test::Item<BitButton>(p.page.get(), M::IDC_EQ_PASS)->text(), "EQ Pass");
    // The captions that name the pair follow the tab at every refresh.
    SetUiLanguage(LanguageEnglish);
    p.Show(PavoDlg::PageOut12);
    EXPECT_EQ(LabelText(p.page.get(), 1267), "Out1&2 Limit");
    EXPECT_EQ(LabelText(p.page.get(), M::IDC_FIRST_DELAY_CAPTION), "Out2 Delay");
    EXPECT_EQ(test::Item<BitButton>(p.page.get(), M::IDC_FIRST_MUTE)->text(), "Out2 Mute");
    p.Show(PavoDlg::PageOut34);
    EXPECT_EQ(test::Item<BitButton>(p.page.get(), M::IDC_FIRST_MUTE)->text(), "Out4 Mute");
    p->ApplyLanguage();
    EXPECT_EQ(test::Item<BitButton>(p.page.get(), M::IDC_SYNC)->text(), "SYNC");
}

}  // namespace
}  // namespace pavo
