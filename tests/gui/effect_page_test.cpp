// The effect page without a unit: the time conversions, the selector buttons, EQ reset on the reverb,
// the two pages' highlight rules, EQ pass, a high-pass drag on the graph; and the effects tab of the
// main window's context menu.
#include <gtest/gtest.h>

#include <QMenu>
#include <QSettings>
#include <QTimer>
#include <functional>

#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "graph_support.h"
#include "model/DataConver.h"
#include "outputs_support.h"
#include "pages/EQDlg.h"
#include "pages/Echo_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/FilterControls.h"
#include "pages/Rev_Dlg.h"
#include "platform/Language.h"
#include "platform/SettingsFile.h"
#include "platform/Skin.h"

namespace pavo {
namespace {

using E = Echo_Dlg;
using R = Rev_Dlg;
using test::Click;
using test::LabelText;
using test::Latched;
using test::MoveSlider;

struct Effects : test::LonePage<Effect_Dlg> {
    Effects() { page->RefreshFromModel(); }
    Echo_Dlg* echo() const { return page->EchoPage(); }
    Rev_Dlg* reverb() const { return page->ReverbPage(); }
    ProgramImage& img() { return unit().model().current; }
};

TEST(EffectPage, TimeSlidersKeepTenthsOfAMillisecond) {
    struct Case {
        bool reverb;
        int slider;
        int pos;
        std::function<int(const ProgramImage&)> stored;
        int value;
        int label;
        const char* text;
    } cases[] = {
        {false, E::IDC_PRE_DELAY, 150, [](const ProgramImage& i) { return int(i.EchoA.PreDelay); }, 1500,
         3514, "150ms"},
        {false, E::IDC_DELAY, 250, [](const ProgramImage& i) { return int(i.EchoA.Delay); }, 5000, 3523,
         "500ms"},
        {false, E::IDC_DELAY, 1, [](const ProgramImage& i) { return int(i.EchoA.Delay); }, 20, 3523, "2ms"},
        {false, E::IDC_REPEAT, 90, [](const ProgramImage& i) { return int(i.EchoA.Repeat); }, 90, 3520,
         "90%"},
        {false, E::IDC_RIGHT_PRE_DELAY, 50, [](const ProgramImage& i) { return int(i.EchoA.RightPreDelay); },
         50, 3517, "50%"},
        {false, E::IDC_RIGHT_DELAY, 0, [](const ProgramImage& i) { return int(i.EchoA.RightDelay); }, 0, 3526,
         "-50%"},
        {false, E::IDC_RIGHT_DELAY, 100, [](const ProgramImage& i) { return int(i.EchoA.RightDelay); }, 100,
         3526, "50%"},
        {false, E::IDC_WET_SLIDER, 100, [](const ProgramImage& i) { return int(i.EchoA.EffectLevel); }, 100,
         3501, "100%"},
        {true, R::IDC_PRE_DELAY, 100, [](const ProgramImage& i) { return int(i.Reverb.PreDelay); }, 2000,
         3545, "200ms"},
        {true, R::IDC_REVERB_TIME, 100, [](const ProgramImage& i) { return int(i.Reverb.ReverbTime); }, 50000,
         3548, "5000ms"},
        {true, R::IDC_DRY_SLIDER, 64, [](const ProgramImage& i) { return int(i.Reverb.DirectLevel); }, 64,
         3533, "64%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Effects p;
        if (c.reverb) Click(p.page.get(), Effect_Dlg::IDC_REVERB);
        QWidget* child = c.reverb ? static_cast<QWidget*>(p.reverb()) : p.echo();
        const ReverbBlock spare = p.img().ReverbSpare;
        MoveSlider(child, c.slider, c.pos);
        EXPECT_EQ(c.stored(p.img()), c.value);
        EXPECT_EQ(LabelText(child, c.label), c.text);
        EXPECT_TRUE(SameRecord(p.img().ReverbSpare, spare));
    }
}

// A stored value between two slider steps: the label shows it as stored, the thumb sits at the nearest
// step, and a click on the thumb (press and release, no move) leaves it alone.
TEST(EffectPage, ValuesBetweenSliderStepsAreShownAsStoredAndSurviveAClickOnTheThumb) {
    struct Case {
        bool reverb;
        int slider, label;
        std::function<Le16&(ProgramImage&)> field;
        int stored;
        int pos;
        const char* text;
    } cases[] = {
        {false, E::IDC_PRE_DELAY, 3514, [](ProgramImage& i) -> Le16& { return i.EchoA.PreDelay; }, 231, 23,
         "23.1ms"},
        {false, E::IDC_DELAY, 3523, [](ProgramImage& i) -> Le16& { return i.EchoA.Delay; }, 231, 12,
         "23.1ms"},
        {false, E::IDC_DELAY, 3523, [](ProgramImage& i) -> Le16& { return i.EchoA.Delay; }, 5000, 250,
         "500ms"},
        {true, R::IDC_PRE_DELAY, 3545, [](ProgramImage& i) -> Le16& { return i.Reverb.PreDelay; }, 1235, 62,
         "123.5ms"},
        {true, R::IDC_REVERB_TIME, 3548, [](ProgramImage& i) -> Le16& { return i.Reverb.ReverbTime; }, 970, 2,
         "97ms"},
        {true, R::IDC_REVERB_TIME, 3548, [](ProgramImage& i) -> Le16& { return i.Reverb.ReverbTime; }, 1234,
         2, "123.4ms"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Effects p;
        Model& m = p.unit().model();
        m.Edit([&] { c.field(p.img()) = static_cast<uint16_t>(c.stored); });
        p->RefreshFromModel();
        if (c.reverb) Click(p.page.get(), Effect_Dlg::IDC_REVERB);
        QWidget* child = c.reverb ? static_cast<QWidget*>(p.reverb()) : p.echo();
        auto* slider = test::Item<BitmapSlider>(child, c.slider);
        EXPECT_EQ(slider->GetPos(), c.pos);
        EXPECT_EQ(LabelText(child, c.label), c.text);

        const QPoint thumb = slider->IsVertical() ? QPoint(slider->width() / 2, slider->ThumbCentre())
                                                  : QPoint(slider->ThumbCentre(), slider->height() / 2);
        QTest::mouseClick(slider, Qt::LeftButton, {}, thumb);
        QApplication::processEvents();
        EXPECT_EQ(m.Edit([&] { return int{c.field(p.img()).get()}; }), c.stored);
        EXPECT_EQ(LabelText(child, c.label), c.text);
    }
}

TEST(EffectPage, SelectorButtonsChooseTheBlockAndItsBands) {
    Effects p;
    Model& m = p.unit().model();
    EXPECT_TRUE(p.echo()->isVisible());
    EXPECT_FALSE(p.reverb()->isVisible());
    EXPECT_TRUE(Latched(p.page.get(), Effect_Dlg::IDC_ECHO_A));

    Click(p.page.get(), Effect_Dlg::IDC_ECHO_B);
    EXPECT_EQ(m.pages.EffectSide, BlockEchoB);
    EXPECT_EQ(p->Graph()->GraphId(), BlockEchoB);
    for (int i = 0; i < EffectPage::kStrips; ++i)
        EXPECT_EQ(p.echo()->Strips().Strip(i)->Band(), p.unit().bands().Of(BlockEchoB)->GetAt(i));
    MoveSlider(p.echo(), E::IDC_REPEAT, 40);
    EXPECT_EQ(p.img().EchoB.Repeat, 40);
    EXPECT_EQ(p.img().EchoA.Repeat, 0);

    // Pressing EchoB again does nothing: the highlighted strip stays.
    SendMessage(p.echo(), WM_EQSTRIP_CHANGED, 0, 2);
    Click(p.page.get(), Effect_Dlg::IDC_ECHO_B);
    EXPECT_EQ(p.echo()->Strips().Highlighted(), 2);

    // EchoA re-binds the seven strips to EchoA's bands and forgets the highlight.
    Click(p.page.get(), Effect_Dlg::IDC_ECHO_A);
    EXPECT_EQ(p->Graph()->GraphId(), BlockEchoA);
    for (int i = 0; i < EffectPage::kStrips; ++i)
        EXPECT_EQ(p.echo()->Strips().Strip(i)->Band(), p.unit().bands().Of(BlockEchoA)->GetAt(i));
    EXPECT_EQ(p.echo()->Strips().Highlighted(), -1);
    EXPECT_EQ(p.echo()->Strips().Strip(2)->Caption()->TextColour(), kWhite);

    Click(p.page.get(), Effect_Dlg::IDC_REVERB);
    EXPECT_FALSE(p.echo()->isVisible());
    EXPECT_TRUE(p.reverb()->isVisible());
    EXPECT_EQ(p->Graph()->GraphId(), BlockReverb);
    EXPECT_TRUE(Latched(p.page.get(), Effect_Dlg::IDC_REVERB));
    EXPECT_FALSE(Latched(p.page.get(), Effect_Dlg::IDC_ECHO_A));
}

TEST(EffectPage, EqResetOnTheReverbLeavesTheSpareAlone) {
    Effects p;
    Model& m = p.unit().model();
    m.Edit([&] {
        for (int i = 0; i < 7; ++i) {
            p.img().Reverb.Eq[i].GainCode = 150;
            p.img().ReverbSpare.Eq[i].GainCode = 150;
        }
    });
    m.RecordsReplaced();  // as the receive path does
    Click(p.page.get(), Effect_Dlg::IDC_REVERB);
    const ReverbBlock spare = p.img().ReverbSpare;
    Click(p.reverb(), R::IDC_EQ_RESET);
    for (const EqBand& b : p.img().Reverb.Eq) {
        EXPECT_EQ(b.GainCode, kGainCodeFlat);
        EXPECT_EQ(b.BandType, BandPeak);
    }
    EXPECT_TRUE(SameRecord(p.img().ReverbSpare, spare));
    EXPECT_EQ(p.reverb()->Strips().Strip(4)->GainEdit()->text(), "0.0");
}

TEST(EffectPage, EchoAndReverbDifferInHighlightingTheSameStripAgain) {
    // After an EQ reset the highlighted strip is white but still the highlighted one. Editing it
    // again leaves it white on the echo page and turns it red on the reverb page.
    struct Case {
        bool reverb;
        uint32_t colourAfterRepeat;
    } cases[] = {{false, kWhite}, {true, kRed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reverb ? "reverb" : "echo");
        Effects p;
        if (c.reverb) Click(p.page.get(), Effect_Dlg::IDC_REVERB);
        EffectPage* child = c.reverb ? static_cast<EffectPage*>(p.reverb()) : p.echo();
        const BandStripRow& strips = child->Strips();
        SendMessage(child, WM_EQSTRIP_CHANGED, 0, 1);
        SendMessage(child, WM_EQSTRIP_CHANGED, 0, 3);
        EXPECT_EQ(strips.Strip(1)->Caption()->TextColour(), kWhite);
        EXPECT_EQ(strips.Strip(3)->Caption()->TextColour(), kRed);
        Click(child, child->Layout().eqReset);
        EXPECT_EQ(strips.Strip(3)->Caption()->TextColour(), kWhite);
        EXPECT_EQ(strips.Highlighted(), 3);
        test::MoveGainSlider(strips.Strip(3), EQDlg::kGainSliderId, 140);  // the strip reports the edit
        DeliverPostedMessages();
        EXPECT_EQ(strips.Strip(3)->Caption()->TextColour(), c.colourAfterRepeat);
        // The graph reporting another band moves the highlight on either page.
        SendMessage(p.page.get(), WM_EQCURVE_CHANGED, child->Block(), 5);
        EXPECT_EQ(strips.Strip(5)->Caption()->TextColour(), kRed);
        EXPECT_EQ(strips.Strip(3)->Caption()->TextColour(), kWhite);
    }
}

TEST(EffectPage, EqPassShowsTheOverlayOnItsBlockOnly) {
    Effects p;
    Click(p.echo(), E::IDC_EQ_PASS);
    EXPECT_EQ(p.img().EchoA.EqBypass, 1);
    EXPECT_TRUE(Latched(p.echo(), E::IDC_EQ_PASS));
    EXPECT_TRUE(p->Graph()->BypassShown());
    Click(p.page.get(), Effect_Dlg::IDC_ECHO_B);
    EXPECT_FALSE(p->Graph()->BypassShown());
    EXPECT_FALSE(Latched(p.echo(), E::IDC_EQ_PASS));
    Click(p.page.get(), Effect_Dlg::IDC_REVERB);
    EXPECT_FALSE(p->Graph()->BypassShown());
    Click(p.page.get(), Effect_Dlg::IDC_ECHO_A);
    EXPECT_TRUE(p->Graph()->BypassShown());
    Click(p.echo(), E::IDC_EQ_PASS);
    EXPECT_EQ(p.img().EchoA.EqBypass, 0);
    EXPECT_FALSE(p->Graph()->BypassShown());
}

TEST(EffectPage, DraggingTheHighPassInTheGraphUpdatesItsControlsOnly) {
    Effects p;
    Model& m = p.unit().model();
    // At 80 Hz the handle lies clear of the bands' handles.
    const int startCode = NearestCrossoverCode(80);
    m.Edit(
        [&] { SetFilter(p.img().EchoA.HighPass, FilterKindHighPass, static_cast<uint16_t>(startCode), 3); });
    m.RecordsReplaced();  // as the receive path does
    p->RefreshFromModel();
    QStringList strips;
    for (int i = 0; i < EffectPage::kStrips; ++i)
        strips << p.echo()->Strips().Strip(i)->FrequencyEdit()->text();

    CFStatic* graph = p->Graph();
    const QPoint start = test::HandleCentre(*p.unit().bands().Of(BlockEchoA)->GetHighPass());
    test::Hover(graph, start);
    QTest::mousePress(graph, Qt::LeftButton, {}, start);
    QTest::mouseMove(graph, start + QPoint(120, 0));
    QTest::mouseRelease(graph, Qt::LeftButton, {}, start + QPoint(120, 0));
    DeliverPostedMessages();

    const int code = p.img().EchoA.HighPass.FrequencyCode;
    EXPECT_GT(code, startCode);
    EXPECT_EQ(test::Item<NumEdit>(p.echo(), E::IDC_HPF_EDIT)->GetValue(), code);
    EXPECT_EQ(test::Item<BitmapSlider>(p.echo(), E::IDC_HPF_SLIDER)->GetPos(), code);
    QStringList after;
    for (int i = 0; i < EffectPage::kStrips; ++i)
        after << p.echo()->Strips().Strip(i)->FrequencyEdit()->text();
    EXPECT_EQ(after, strips);
}

TEST(EffectPage, FilterAndSwitchControlsEditTheShownBlock) {
    Effects p;
    Click(p.page.get(), Effect_Dlg::IDC_REVERB);
    test::Choose(p.reverb(), R::IDC_LPF_COMBO, 12);
    test::TypeInto(p.reverb(), R::IDC_LPF_EDIT, "5000");
    Click(p.reverb(), R::IDC_WET_SWITCH);
    EXPECT_EQ(p.img().Reverb.LowPass.SlopeCode, 12);
    EXPECT_EQ(p.img().Reverb.LowPass.FrequencyCode, NearestCrossoverCode(5000));
    EXPECT_EQ(test::Item<BitmapSlider>(p.reverb(), R::IDC_LPF_SLIDER)->GetPos(), NearestCrossoverCode(5000));
    EXPECT_EQ(p->Graph()->SelectedIndex(), 8);  // the low-pass of a 7-band set
    EXPECT_EQ(p.img().Reverb.EffectSwitch, 1);
    EXPECT_TRUE(Latched(p.reverb(), R::IDC_WET_SWITCH));
    Click(p.reverb(), R::IDC_WET_SWITCH);
    EXPECT_EQ(p.img().Reverb.EffectSwitch, 0);
}

// ---- The effects tab of the main window ----

// Opens the main window's context menu and triggers its "Effects" entry.
void ChooseEffectsFromContextMenu(PavoDlg& w) {
    bool found = false;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* a : menu->actions())
            if (a->text() == Bilingual("效果", "Effects")) {
                found = true;
                a->trigger();
            }
        menu->close();
    });
    test::RightClick(w, QPoint(600, 5));
    EXPECT_TRUE(found);
}

TEST(EffectsTab, OffByDefaultChosenFromTheContextMenuAndRemembered) {
    ProgramSettings().clear();  // a start as on a new machine
    {
        test::Window w;
        // As the window starts: six tabs; the effect page exists, hidden, and is relabelled.
        EXPECT_EQ(w.window->tabs().GetItemCount(), 6);
        PageDlg* effect = w.window->Page(PavoDlg::PageEffect);
        ASSERT_NE(effect, nullptr);
        EXPECT_FALSE(effect->isVisible());
        SetUiLanguage(LanguageChinese);
        w.window->ApplyLanguage();
        static_cast<Effect_Dlg*>(effect)->EnsureCreated();
        EXPECT_EQ(test::Item<BitButton>(effect, Effect_Dlg::IDC_REVERB)->text(), "混响");

        ChooseEffectsFromContextMenu(*w.window);
        ASSERT_EQ(w.window->tabs().GetItemCount(), 7);
        EXPECT_EQ(w.window->tabs().ItemText(6), "效果");
        w.ShowTab(PavoDlg::PageEffect);
        EXPECT_TRUE(effect->isVisible());
        EXPECT_FALSE(w.window->SystemPage()->isVisible());
        SetUiLanguage(LanguageEnglish);
        w.window->ApplyLanguage();
        EXPECT_EQ(w.window->tabs().ItemText(6), "Effect");
    }
    {
        // The next start has the tab; taking it away while it is shown goes back to the System page.
        test::Window w;
        ASSERT_EQ(w.window->tabs().GetItemCount(), 7);
        w.ShowTab(PavoDlg::PageEffect);
        ChooseEffectsFromContextMenu(*w.window);
        EXPECT_EQ(w.window->tabs().GetItemCount(), 6);
        EXPECT_EQ(w.window->unit().model().pages.CurrentPage, PavoDlg::PageSystem);
        EXPECT_EQ(w.window->tabs().GetCurSel(), PavoDlg::PageSystem);
        EXPECT_TRUE(w.window->SystemPage()->isVisible());
    }
    test::Window w;
    EXPECT_EQ(w.window->tabs().GetItemCount(), 6);
}

}  // namespace
}  // namespace pavo
