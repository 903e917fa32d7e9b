// Writes pictures of the output, dynamic EQ and effect pages for a person to look at, on line with
// the virtual unit, in English and Chinese, at scale 1 and 2: build/gallery/page_*.png.
#include <gtest/gtest.h>

#include "controls_support.h"
#include "eq/CFStatic.h"
#include "outputs_support.h"
#include "pages/DEQ_Dlg.h"
#include "pages/Echo_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/MainDlg.h"
#include "pages/Rev_Dlg.h"

namespace pavo {
namespace {

void Save(QWidget* w, const QString& name) {
    test::WaitUntil([] { return false; }, 50);
    test::SaveBothScales(w, name);
}

TEST(GalleryOutputs, EveryPageOnLineInBothLanguages) {
    for (int locale : {kLocaleEnglishUs, kLocaleChinesePrc}) {
        const QString lang = locale == kLocaleChinesePrc ? "zh" : "en";
        test::Window w;
        ASSERT_TRUE(w.Connect());
        SetUiLanguage(locale == kLocaleChinesePrc ? LanguageChinese : LanguageEnglish);
        w.window->ApplyLanguage();

        w.ShowTab(PavoDlg::PageOut12);
        auto* out = static_cast<MainDlg*>(w.window->Page(PavoDlg::PageOut12));
        // Unlinked, with a band edited in its strip (highlighted) and a filter chosen in the graph.
        test::Click(out, MainDlg::IDC_SYNC);
        test::Click(out, MainDlg::IDC_SECOND_CHANNEL);
        SendMessage(out, WM_EQSTRIP_CHANGED, 0, 3);
        out->Graph()->SelectBand(3, false);
        Save(w.window.get(), "page_out12_" + lang);

        w.ShowTab(PavoDlg::PageOut34);  // linked, as the unit has it
        Save(w.window.get(), "page_out34_" + lang);
        // The automatic scene: the whole page takes no input and looks it, switch boxes included.
        test::Edit(w.window->unit(), [](Model& m) { m.current.ActiveScene = 0; });
        w.window->RefreshCurrentPage();
        Save(w.window.get(), "page_out34_auto_scene_" + lang);
        test::Edit(w.window->unit(), [](Model& m) { m.current.ActiveScene = 1; });
        w.window->RefreshCurrentPage();

        w.ShowTab(PavoDlg::PageDynEq);  // linked, as the unit has it; the second band selected
        auto* deq = static_cast<DEQ_Dlg*>(w.window->Page(PavoDlg::PageDynEq));
        test::MoveGainSlider(deq, DEQ_Dlg::IDC_GAIN_SLIDER + 1, 150);
        Save(w.window.get(), "page_deq_" + lang);

        // The effect page, from its tab; an edited strip on the echo, the reverb with EQ pass on.
        w.window->ShowEffectsTab(true);
        w.ShowTab(PavoDlg::PageEffect);
        auto* effect = static_cast<Effect_Dlg*>(w.window->Page(PavoDlg::PageEffect));
        SendMessage(effect->EchoPage(), WM_EQSTRIP_CHANGED, 0, 2);
        effect->Graph()->SelectBand(2, false);
        Save(w.window.get(), "page_effect_echo_" + lang);
        test::Click(effect, Effect_Dlg::IDC_REVERB);
        test::Click(effect->ReverbPage(), Rev_Dlg::IDC_EQ_PASS);
        Save(w.window.get(), "page_effect_reverb_" + lang);
    }
}

}  // namespace
}  // namespace pavo
