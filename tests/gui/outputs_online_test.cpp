// The output, dynamic EQ and effect pages against the virtual unit: one edit on each page, in both
// languages, reaches the unit, whose program then equals the program's.
#include <gtest/gtest.h>

#include "outputs_support.h"
#include "pages/DEQ_Dlg.h"
#include "pages/Echo_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/MainDlg.h"
#include "platform/Language.h"

namespace pavo {
namespace {

TEST(OutputsOnLine, EveryPageEditsItsBlocksOnTheUnit) {
    for (UiLanguage language : {LanguageEnglish, LanguageChinese}) {
        SCOPED_TRACE(language);
        test::Window w;
        ASSERT_TRUE(w.Connect());
        SetUiLanguage(language);
        w.window->ApplyLanguage();
        w.window->ShowEffectsTab(true);
        const int shift = language == LanguageChinese ? 1 : 0;  // the second round sets other values

        w.ShowTab(PavoDlg::PageOut12);
        auto* out = static_cast<MainDlg*>(w.window->Page(PavoDlg::PageOut12));
        test::MoveSlider(out, MainDlg::IDC_SOURCE_SLIDER, 120 + shift);
        test::Click(out, MainDlg::IDC_SECOND_MUTE);
        ASSERT_TRUE(w.UnitFollows());
        EXPECT_EQ(w.unit->Unit().CurrentImage().Scenes[0].Channel[OutOut2].MusicLevel, 120 + shift);

        w.ShowTab(PavoDlg::PageOut34);
        test::MoveSlider(out, MainDlg::IDC_LIMITER_SLIDER, 20 + shift);
        test::MoveSlider(out, MainDlg::IDC_FIRST_DELAY, 1500 - shift);
        ASSERT_TRUE(w.UnitFollows());
        EXPECT_EQ(w.unit->Unit().CurrentImage().Scenes[0].Channel[OutOut4].Delay, 1500 - shift);

        w.ShowTab(PavoDlg::PageDynEq);
        auto* deq = static_cast<DEQ_Dlg*>(w.window->Page(PavoDlg::PageDynEq));
        test::MoveGainSlider(deq, DEQ_Dlg::IDC_GAIN_SLIDER + 1, 170 - shift);
        test::MoveSlider(deq, DEQ_Dlg::IDC_THRESHOLD + 2, 10 + shift);
        ASSERT_TRUE(w.UnitFollows());
        EXPECT_EQ(w.unit->Unit().CurrentImage().MusicLeft.DynEq[2].Threshold, 10 + shift);

        w.ShowTab(PavoDlg::PageEffect);
        auto* effect = static_cast<Effect_Dlg*>(w.window->Page(PavoDlg::PageEffect));
        test::Click(effect, Effect_Dlg::IDC_ECHO_B);
        test::MoveSlider(effect->EchoPage(), Echo_Dlg::IDC_DELAY, 250 - shift);
        test::Click(effect->EchoPage(), Echo_Dlg::IDC_EQ_PASS);
        ASSERT_TRUE(w.UnitFollows());
        EXPECT_EQ(w.unit->Unit().CurrentImage().EchoB.Delay, 20 * (250 - shift));
    }
}

}  // namespace
}  // namespace pavo
