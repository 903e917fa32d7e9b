// Writes pictures of the music and microphone pages for a person to look at, on line with the virtual
// unit's program: build/gallery/{music,mic}_page_{en,zh}.png and @2x.
#include <gtest/gtest.h>

#include "channel_page_support.h"
#include "controls_support.h"
#include "eq/CFStatic.h"
#include "graph_support.h"

namespace pavo {
namespace {

TEST(Gallery, MusicAndMicPages) {
    for (int locale : {kLocaleEnglishUs, kLocaleChinesePrc}) {
        const char* language = locale == kLocaleChinesePrc ? "zh" : "en";
        test::ChannelWindow w(locale);
        auto u = test::StartUnit();
        ASSERT_TRUE(w.ConnectTo(*u));
        // Messages the engine posted during the read are handled before the EQ is shaped; one of
        // them arriving later would re-bind the bands and clear the selection in the picture.
        test::WaitUntil([] { return false; }, 300);
        struct Shot {
            int page;
            int band;  // chosen in the graph: the page scrolls to it and highlights its strip
            const char* name;
        } shots[] = {{PavoDlg::PageMusic, 12, "music_page"}, {PavoDlg::PageMic, 3, "mic_page"}};
        for (const Shot& s : shots) {
            w.window->SelectPage(s.page);
            w.window->tabs().SetCurSel(s.page);
            auto* page = static_cast<InputChannelPage*>(w.window->Page(s.page));
            // A worked EQ, as a user leaves it: through the band set, so the unit gets it too.
            test::ShapeTypicalEq(*page->Graph()->BandSet());
            test::ShapeBand((*page->Graph()->BandSet())[s.band], FilterType::Peak, 250, 150, 14);
            page->RefreshFromModel();
            page->Graph()->SelectBand(s.band, false);
            page->ShowBand(s.band);
            test::WaitUntil([] { return false; }, 100);
            test::SaveBothScales(w.window.get(), QString(s.name) + "_" + language);
        }
    }
}

}  // namespace
}  // namespace pavo
