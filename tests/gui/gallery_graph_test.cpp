// Gallery: the response graph in its typical states and the graph with its band strips, written to
// <build>/gallery/ at 1x and 2x for a person to look at.
#include <gtest/gtest.h>

#include <QDir>

#include "graph_support.h"
#include "model/Model.h"
#include "pages/EQDlg.h"
#include "pages/EqHarnessPage.h"

namespace pavo {
namespace {

QString GalleryPath(const QString& name) {
    const QString dir = QStringLiteral(PAVO_BINARY_DIR "/gallery");
    QDir().mkpath(dir);
    return dir + "/" + name;
}

void Save(QWidget* w, const QString& name) {
    test::FlushPaints();
    EXPECT_TRUE(test::Grab(w, 1.0).save(GalleryPath(name + ".png")));
    EXPECT_TRUE(test::Grab(w, 2.0).save(GalleryPath(name + "@2x.png")));
}

class GalleryGraph : public ::testing::Test {
protected:
    void SetUp() override { test::ResetModel(); }
    void TearDown() override { test::ResetModel(); }
};

TEST_F(GalleryGraph, GraphStates) {
    test::GraphWindow g(BlockMusicLeft, 0, {760, 280});
    test::ShapeTypicalEq(g.Set());
    g.graph->SelectBand(-1, false);
    Save(g.graph, "graph_typical");

    g.graph->SelectBand(2, false);  // a boost: description under the handle
    Save(g.graph, "graph_selected_boost");

    g.graph->SelectBand(5, false);  // a cut: description over the handle
    Save(g.graph, "graph_selected_cut");

    g.graph->SelectBand(g.Set().HighPassIndex(), false);
    Save(g.graph, "graph_selected_highpass");

    EditModel([] { TheModel().current.MusicLeft.EqBypass = 1; });
    g.graph->SelectBand(-1, false);
    Save(g.graph, "graph_bypass");
}

TEST_F(GalleryGraph, FlatDefaults) {
    test::GraphWindow g(BlockMic12, 2, {760, 280});
    Save(g.graph, "graph_flat_defaults");
}

TEST_F(GalleryGraph, HarnessPage) {
    test::ShapeTypicalEq(*BandSetOf(BlockMusicLeft));
    EqHarnessPage page(BlockMusicLeft, 10);
    page.show();
    test::FlushPaints();
    SendMessage(&page, WM_EQSTRIP_CHANGED, 0, 2);
    page.Graph()->SelectBand(2, false);
    Save(&page, "graph_harness_music");
}

}  // namespace
}  // namespace pavo
