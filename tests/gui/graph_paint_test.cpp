// What the response graph paints: the summed curve where the members' levels put it, the bypass
// overlay for the blocks that have one, and the alignment of the handle labels.
#include <gtest/gtest.h>

#include <cmath>

#include "graph_support.h"

namespace pavo {
namespace {

using test::GraphWindow;

class GraphPaint : public ::testing::Test {
protected:
    Unit unit{false};  // freshly reset for every test
};

// The summed level at a grid point, added up here from the members' own levels.
double SummedLevel(const CKTVEQ& set, int k) {
    double sum = 0;
    for (int i = 0; i < set.GetSize(); ++i) sum += set[i].LevelDb()[k];
    return sum;
}

int GridIndexOf(double hz) {
    const auto& grid = ResponseGrid();
    return static_cast<int>(
        std::min_element(grid.begin(), grid.end(),
                         [hz](double a, double b) { return std::abs(a - hz) < std::abs(b - hz); }) -
        grid.begin());
}

TEST_F(GraphPaint, CurveLiesWhereTheSummedResponseSays) {
    GraphWindow g(unit, BlockEchoA, 6, {760, 280});
    CKTVEQ& set = g.Set();
    test::ShapeBand(set[0], FilterType::Peak, 204, 150, 16);  // +6 dB at 1 kHz, Q 1
    test::ShapeBand(set[3], FilterType::HighShelf, 300, 95, 10);
    test::ShapeFilter(set.GetHighPass(), 84, 9);  // about 100 Hz
    g.graph->SelectBand(-1, false);
    const QImage img = g.Image();
    const PlotRect plot = g.graph->PlotRectangle();

    // The peak's top is +6 dB whatever else is summed.
    EXPECT_NEAR(set[0].LevelDb()[GridIndexOf(1000)], 6.0, 1e-6);

    struct Case {
        double hz;
        bool onPlot;
    } cases[] = {{1000, true}, {150, true}, {400, true}, {2500, true}, {15000, true}, {12, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hz);
        const int k = GridIndexOf(c.hz);
        // The polyline between grid points k and k + 1, at the middle of the pixel column.
        const double x0 = FrequencyToX(ResponseGrid()[k], plot.Width()) + kPlotLeft;
        const double x1 = FrequencyToX(ResponseGrid()[k + 1], plot.Width()) + kPlotLeft;
        const int column = static_cast<int>(std::floor(x0)) + 1;
        const double t = (column + 0.5 - x0) / (x1 - x0);
        const double y0 = LevelToY(SummedLevel(set, k), plot.Height()) + kPlotTop;
        const double y1 = LevelToY(SummedLevel(set, k + 1), plot.Height()) + kPlotTop;
        const double expected = y0 + t * (y1 - y0);
        const double ink = test::CurveInkCentre(img, column);
        if (c.onPlot) {
            ASSERT_GT(expected, plot.top + 2);
            ASSERT_LT(expected, plot.bottom - 2);
            EXPECT_NEAR(ink, expected, 1.0);
        } else {
            EXPECT_GT(expected, plot.bottom + 20);  // far below -24 dB
            EXPECT_LT(ink, 0);                      // clipped away
        }
    }
}

// The overlay appears where the block on display has its EQ bypassed: output channels follow the
// scene ActiveScene names (none for Auto); the dynamic-EQ graphs never show it.
TEST_F(GraphPaint, BypassOverlay) {
    struct Case {
        const char* name;
        int graphId;
        int pageIndex;
        std::function<void(ProgramImage&)> setUp;
        bool shown;
    } cases[] = {
        {"music left bypassed", BlockMusicLeft, 0, [](ProgramImage& i) { i.MusicLeft.EqBypass = 1; }, true},
        {"music left in use", BlockMusicLeft, 0, [](ProgramImage& i) { i.MusicRight.EqBypass = 1; }, false},
        {"reverb bypassed", BlockReverb, 6, [](ProgramImage& i) { i.Reverb.EqBypass = 1; }, true},
        {"dynamic EQ of a bypassed channel", BlockMusicLeftDyn, 1,
         [](ProgramImage& i) { i.MusicLeft.EqBypass = 1; }, false},
        {"output in scene 2", 10, 3,
         [](ProgramImage& i) {
             i.ActiveScene = 2;
             i.Scenes[1].Channel[2].EqBypass = 1;
         },
         true},
        {"output, another scene bypassed", 10, 3,
         [](ProgramImage& i) {
             i.ActiveScene = 2;
             i.Scenes[0].Channel[2].EqBypass = 1;
         },
         false},
        {"output in the Auto scene", 10, 3,
         [](ProgramImage& i) {
             i.ActiveScene = 0;
             for (auto& scene : i.Scenes) scene.Channel[2].EqBypass = 1;
         },
         false},
    };
    const QRgb fill = qRgb(155, 155, 155);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        unit.Reset(false);
        unit.model().Edit([&] { c.setUp(unit.model().current); });
        GraphWindow g(unit, c.graphId, c.pageIndex, {760, 280});
        EXPECT_EQ(g.graph->BypassShown(), c.shown);
        const QImage img = g.Image();
        const PlotRect plot = g.graph->PlotRectangle();
        // Around the anchor: half the plot width across, a third of its height down.
        const QRect around(plot.Width() / 2 - 150, plot.Height() / 3, 300, 60);
        int filled = 0;
        for (int y = around.top(); y <= around.bottom(); ++y)
            for (int x = around.left(); x <= around.right(); ++x)
                filled += (img.pixel(x, y) & 0xFFFFFF) == (fill & 0xFFFFFF);
        if (c.shown) {
            EXPECT_GT(filled, 1500);  // the letters' insides
            // The translucent edge darkens the black around the letters only a little.
            EXPECT_TRUE(test::HasColour(img, fill, around));
        } else {
            EXPECT_LT(filled, 20);  // at most a stray text pixel of that grey
        }
    }
}

// Labels: left-aligned in a handle at the plot's right edge, right-aligned at frequency codes up to
// 20, centred elsewhere.
TEST_F(GraphPaint, HandleLabelAlignment) {
    enum Align { Left, Right, Centre };
    // Only a narrow plot lets the highest band reach the right edge.
    struct Case {
        int frequencyCode;
        int graphWidth;
        Align align;
    } cases[] = {{361, 200, Left}, {361, 760, Centre}, {12, 760, Right}, {20, 760, Right}, {21, 760, Centre}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frequencyCode);
        unit.Reset(false);
        GraphWindow g(unit, BlockEchoA, 6, {c.graphWidth, 280});
        CKTVEQ& set = g.Set();
        // Band 3 alone, boosted clear of the others and of the filter handles.
        test::ShapeBand(set[2], FilterType::Peak, c.frequencyCode, 170, 10);
        g.graph->SelectBand(-1, false);
        const QImage img = g.Image();
        const PlotRect r = set[2].HandleRect();
        int inkLeft = INT_MAX, inkRight = -1;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (qGray(img.pixel(x, y)) > 160) {
                    inkLeft = std::min(inkLeft, x);
                    inkRight = std::max(inkRight, x);
                }
        ASSERT_GE(inkRight, 0);
        switch (c.align) {
            case Left:
                EXPECT_EQ(r.right, g.graph->PlotRectangle().right);
                EXPECT_LE(inkLeft - r.left, 2);
                EXPECT_GE(r.right - 1 - inkRight, 5);
                break;
            case Right:
                EXPECT_LE(r.right - 1 - inkRight, 2);
                EXPECT_GE(inkLeft - r.left, 5);
                break;
            case Centre:
                EXPECT_NEAR((inkLeft + inkRight) / 2.0, (r.left + r.right - 1) / 2.0, 1.5);
                break;
        }
    }
}

}  // namespace
}  // namespace pavo
