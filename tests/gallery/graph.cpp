// Gallery: the response graph in its typical states and the graph with its band strips, written to
// <build>/gallery/ at 1x and 2x for a person to look at.
#include <gtest/gtest.h>

#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"
#include "graph_support.h"
#include "model/Model.h"
#include "pages/EQDlg.h"
#include "pages/EqHarnessPage.h"

namespace pavo {
namespace {

class GalleryGraph : public ::testing::Test {
protected:
    Unit unit{false};  // freshly reset for every test
};

TEST_F(GalleryGraph, GraphStates) {
    test::GraphWindow g(unit, BlockMusicLeft, 0, {760, 280});
    test::ShapeTypicalEq(g.Set());
    g.graph->SelectBand(-1, false);
    test::SaveBothScales(g.graph, "graph_typical");

    g.graph->SelectBand(2, false);  // a boost: description under the handle
    test::SaveBothScales(g.graph, "graph_selected_boost");

    g.graph->SelectBand(5, false);  // a cut: description over the handle
    test::SaveBothScales(g.graph, "graph_selected_cut");

    g.graph->SelectBand(g.Set().HighPassIndex(), false);
    test::SaveBothScales(g.graph, "graph_selected_highpass");

    unit.model().Edit([&] { unit.model().current.MusicLeft.EqBypass = 1; });
    g.graph->SelectBand(-1, false);
    test::SaveBothScales(g.graph, "graph_bypass");
}

TEST_F(GalleryGraph, DynamicEqAndOutputScene) {
    {
        test::GraphWindow g(unit, BlockMusicLeftDyn, 1, {520, 220});
        test::ShapeBand(g.Set()[0], FilterType::LowShelf, 60, 150, 10);
        test::ShapeBand(g.Set()[1], FilterType::Peak, 200, 80, 20);
        test::ShapeBand(g.Set()[2], FilterType::HighShelf, 300, 140, 10);
        g.graph->SelectBand(1, false);
        test::SaveBothScales(g.graph, "graph_dynamic_eq");
    }
    unit.model().Edit([&] {
        unit.model().current.ActiveScene = 2;
        unit.model().current.Scenes[1].Channel[3].EqBypass = 1;
    });
    test::GraphWindow g(unit, 11, 3, {640, 240});
    test::ShapeTypicalEq(g.Set());
    g.graph->SelectBand(g.Set().LowPassIndex(), false);
    test::SaveBothScales(g.graph, "graph_output_scene2_bypassed");
}

TEST_F(GalleryGraph, FlatDefaults) {
    test::GraphWindow g(unit, BlockMic12, 2, {760, 280});
    test::SaveBothScales(g.graph, "graph_flat_defaults");
}

TEST_F(GalleryGraph, HarnessPage) {
    test::ShapeTypicalEq(*unit.bands().Of(BlockMusicLeft));
    EqHarnessPage page(unit, BlockMusicLeft, 10);
    page.show();
    test::FlushPaints();
    SendMessage(&page, WM_EQSTRIP_CHANGED, 0, 2);
    page.Graph()->SelectBand(2, false);
    test::SaveBothScales(&page, "graph_harness_music");
}

}  // namespace
}  // namespace pavo
