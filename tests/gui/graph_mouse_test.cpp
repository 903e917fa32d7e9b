// The response graph under the mouse: moving bands and filters, changing Q, hit testing, the
// Auto-scene lock, the notifications the page receives and the cursors.
#include <gtest/gtest.h>

#include <QTest>

#include "graph_support.h"

namespace pavo {
namespace {

using test::BandRecord;
using test::GraphWindow;
using test::SettingRecord;

class GraphMouse : public ::testing::Test {
protected:
    Unit unit{false};  // freshly reset for every test
};

TEST_F(GraphMouse, BandDraggedAboveThePlotStopsAtTwelveAndEveryMoveIsReported) {
    GraphWindow g(unit, BlockMic12, 2);
    CFilter& band = g.Set()[4];
    test::ShapeBand(band, FilterType::Peak, 150, 120, 10);
    const QPoint start = test::HandleCentre(band);

    test::Hover(g.graph, start);
    EXPECT_EQ(g.graph->ActiveBand(), &band);
    EXPECT_EQ(g.graph->cursor().shape(), Qt::SizeAllCursor);
    g.page.Take();

    QTest::mousePress(g.graph, Qt::LeftButton, {}, start);
    const std::vector<test::Message> press = g.page.Take();
    ASSERT_EQ(press.size(), 1u);
    EXPECT_EQ(press[0], (test::Message{WM_EQCURVE_CHANGED, BlockMic12, 4}));

    // Up in steps, past the top of the control; the last moves no longer change the band.
    const int steps[] = {-30, -60, -90, -200, -260, -400};
    std::vector<int> gains;
    for (int dy : steps) {
        QTest::mouseMove(g.graph, start + QPoint(0, dy));
        gains.push_back(BandRecord(band).GainCode);
    }
    const std::vector<test::Message> moves = g.page.Take();
    ASSERT_EQ(moves.size(), std::size(steps));
    for (const test::Message& m : moves) EXPECT_EQ(m, (test::Message{WM_EQCURVE_CHANGED, BlockMic12, 4}));
    EXPECT_GT(gains[0], 120);
    EXPECT_LT(gains[0], gains[1]);
    EXPECT_EQ(gains.back(), 180);  // +12 dB
    EXPECT_EQ(gains[gains.size() - 2], 180);
    EXPECT_EQ(band.HandleRect().top, g.graph->PlotRectangle().top);

    QTest::mouseRelease(g.graph, Qt::LeftButton, {}, start + QPoint(0, -400));
    EXPECT_FALSE(g.graph->Drag().Active());
    EXPECT_TRUE(g.page.Take().empty());
}

TEST_F(GraphMouse, RightDragStepsTheQOnePerTenPixels) {
    struct Case {
        int dx;
        int qDelta;
    } cases[] = {{25, 2}, {-5, 0}, {9, 0}, {-25, -2}, {900, 100 - 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dx);
        unit.Reset(false);
        GraphWindow g(unit, BlockMic12, 2);
        CFilter& band = g.Set()[6];
        test::ShapeBand(band, FilterType::Peak, 200, 150, 20);
        const QPoint start = test::HandleCentre(band);
        const PlotRect handleBefore = band.HandleRect();
        test::Hover(g.graph, start);
        g.page.Take();

        QTest::mousePress(g.graph, Qt::RightButton, {}, start);
        EXPECT_TRUE(g.page.Take().empty());  // a right press tells nobody
        QTest::mouseMove(g.graph, start + QPoint(c.dx, 0));
        EXPECT_EQ(BandRecord(band).QCode, 20 + c.qDelta);
        EXPECT_EQ(BandRecord(band).GainCode, 150);
        EXPECT_EQ(band.HandleRect(), handleBefore);
        EXPECT_EQ(g.Count(WM_EQCURVE_CHANGED), 1);
        QTest::mouseRelease(g.graph, Qt::RightButton, {}, start + QPoint(c.dx, 0));
        EXPECT_FALSE(g.graph->Drag().Active());
    }
}

TEST_F(GraphMouse, RightDragOnAHighPassHandleDoesNothing) {
    GraphWindow g(unit, BlockMic12, 2);
    CFilter* hp = g.Set().GetHighPass();
    test::ShapeFilter(hp, 100, 9);
    const FilterSetting before = SettingRecord(*hp);
    // The top rows of a filter handle lie above the handles of flat bands.
    const QPoint start(test::HandleCentre(*hp).x(), hp->HandleRect().top + 2);
    test::Hover(g.graph, start);
    ASSERT_EQ(g.graph->ActiveBand(), hp);
    EXPECT_EQ(g.graph->cursor().shape(), Qt::SizeHorCursor);
    g.page.Take();

    QTest::mousePress(g.graph, Qt::RightButton, {}, start);
    for (int dx : {30, 80, -120}) QTest::mouseMove(g.graph, start + QPoint(dx, 0));
    QTest::mouseRelease(g.graph, Qt::RightButton, {}, start + QPoint(-120, 0));

    const FilterSetting after = SettingRecord(*hp);
    EXPECT_EQ(after.FrequencyCode.get(), before.FrequencyCode.get());
    EXPECT_EQ(after.SlopeCode, before.SlopeCode);
    EXPECT_TRUE(g.page.Take().empty());
}

// The high-pass pulled to the left edge is switched off and drawn flat; the low-pass stops at its
// lowest frequency and keeps its slope.
TEST_F(GraphMouse, FilterDraggedToTheLeftEdge) {
    struct Case {
        bool highPass;
        bool flat;
    } cases[] = {{true, true}, {false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.highPass ? "high-pass" : "low-pass");
        unit.Reset(false);
        GraphWindow g(unit, BlockEchoA, 6);
        CFilter* f = c.highPass ? g.Set().GetHighPass() : g.Set().GetLowPass();
        test::ShapeFilter(f, c.highPass ? 120 : 300, 9);
        // Clear of the flat bands' handles: the high-pass handle reaches above them, the low-pass
        // handle below.
        const QPoint start(test::HandleCentre(*f).x(),
                           c.highPass ? f->HandleRect().top + 2 : f->HandleRect().bottom - 2);
        test::Hover(g.graph, start);
        ASSERT_EQ(g.graph->ActiveBand(), f);

        QTest::mousePress(g.graph, Qt::LeftButton, {}, start);
        QTest::mouseMove(g.graph, start - QPoint(200, 0));
        QTest::mouseMove(g.graph, QPoint(2, start.y()));
        QTest::mouseRelease(g.graph, Qt::LeftButton, {}, QPoint(2, start.y()));

        EXPECT_EQ(SettingRecord(*f).FrequencyCode.get(), 0);
        EXPECT_EQ(SettingRecord(*f).SlopeCode, 9);
        const auto& level = f->LevelDb();
        const bool flat = std::all_of(level.begin(), level.end(), [](double v) { return v == 0; });
        EXPECT_EQ(flat, c.flat);
        EXPECT_EQ(g.Count(WM_EQCURVE_CHANGED), 3);  // the press and two moves
    }
}

// After one drag the filter is still under the mouse: a second press grabs it again, as it does a band.
TEST_F(GraphMouse, FilterGrabbedAgainWithoutLeavingItsHandle) {
    struct Case {
        const char* name;
        bool filter;
    } cases[] = {{"high-pass", true}, {"band", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        unit.Reset(false);
        GraphWindow g(unit, BlockEchoA, 6);
        CFilter* f = c.filter ? g.Set().GetHighPass() : &g.Set()[1];
        if (c.filter)
            test::ShapeFilter(f, 120, 9);
        else
            test::ShapeBand(*f, FilterType::Peak, 120, 150, 10);
        auto code = [&] { return f->GetFrequencyCode(); };
        const int first = code();
        QPoint at(test::HandleCentre(*f).x(),
                  c.filter ? f->HandleRect().top + 2 : test::HandleCentre(*f).y());
        test::Hover(g.graph, at);
        for (int round = 1; round <= 2; ++round) {
            QTest::mousePress(g.graph, Qt::LeftButton, {}, at);
            at += QPoint(40, 0);
            QTest::mouseMove(g.graph, at);
            QTest::mouseRelease(g.graph, Qt::LeftButton, {}, at);
            at += QPoint(1, 0);
            test::Hover(g.graph, at);  // still on the handle, which moved with the drag
            EXPECT_TRUE(f->HandleRect().Contains({at.x(), at.y()}));
        }
        EXPECT_GT(code(), first + 20);  // both drags moved it, about a third of an octave each
    }
}

TEST_F(GraphMouse, OverlappingHandlesPickTheLowerIndex) {
    GraphWindow g(unit, BlockMic12, 2);
    CKTVEQ& set = g.Set();
    test::ShapeBand(set[3], FilterType::Peak, 200, 150, 10);
    test::ShapeBand(set[8], FilterType::Peak, 202, 150, 10);  // a few pixels to the right
    const PlotRect a = set[3].HandleRect(), b = set[8].HandleRect();
    ASSERT_GT(b.left, a.left);
    ASSERT_LT(b.left, a.right);

    struct Case {
        QPoint at;
        int index;
    } cases[] = {
        {{b.left, a.top + 8}, 3},       // in both
        {{b.right - 1, a.top + 8}, 8},  // only in the higher one
        {{a.left, a.top + 8}, 3},       // only in the lower one
    };
    for (const Case& c : cases) {
        test::Hover(g.graph, QPoint(5, 5));  // away from every handle first
        test::Hover(g.graph, c.at);
        EXPECT_EQ(g.graph->ActiveBand(), &set[c.index]);
        EXPECT_EQ(g.graph->IndexUnderMouse(), c.index);
    }
    g.page.Take();
    QTest::mousePress(g.graph, Qt::LeftButton, {}, QPoint(b.left, a.top + 8));
    QTest::mouseRelease(g.graph, Qt::LeftButton, {}, QPoint(b.left, a.top + 8));
    EXPECT_EQ(g.page.Take(), (std::vector<test::Message>{{WM_EQCURVE_CHANGED, BlockMic12, 3}}));
}

// Output EQ of the Auto scene: the mouse edits nothing, but a press still reports to the page.
TEST_F(GraphMouse, OutputGraphOfTheAutoSceneIsLocked) {
    struct Case {
        int activeScene;
        bool edits;
    } cases[] = {{0, false}, {1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.activeScene);
        unit.Reset(false);
        unit.model().Edit([&] { unit.model().current.ActiveScene = static_cast<uint8_t>(c.activeScene); });
        GraphWindow g(unit, 8, 3);
        CFilter& band = g.Set()[2];
        ASSERT_EQ(band.Band(), &unit.model().current.Scenes[0].Channel[0].Eq[2]);
        const EqBand before = BandRecord(band);
        const QPoint start = test::HandleCentre(band);
        test::Hover(g.graph, start);
        QTest::mousePress(g.graph, Qt::LeftButton, {}, start);
        QTest::mouseMove(g.graph, start + QPoint(40, -40));
        QTest::mouseMove(g.graph, start + QPoint(80, -60));
        QTest::mouseRelease(g.graph, Qt::LeftButton, {}, start + QPoint(80, -60));

        const EqBand after = BandRecord(band);
        EXPECT_EQ(after.GainCode != before.GainCode, c.edits);
        EXPECT_EQ(after.FrequencyCode.get() != before.FrequencyCode.get(), c.edits);
        const std::vector<test::Message> seen = g.page.Take();
        ASSERT_EQ(seen.size(), c.edits ? 3u : 1u);
        EXPECT_EQ(seen[0].message, WM_EQCURVE_CHANGED);
        EXPECT_EQ(seen[0].wParam, 8u);
        EXPECT_EQ(g.graph->ActiveBand() != nullptr, c.edits);
    }
}

// The highlight follows the mouse; a new band set starts with none.
TEST_F(GraphMouse, HoverHighlightsAndShowBandSetClearsIt) {
    GraphWindow g(unit, BlockMusicLeft, 0);
    CFilter& band = g.Set()[5];
    test::ShapeBand(band, FilterType::Peak, 200, 160, 10);
    const QColor highlight(68, 86, 98);
    const QRect plot(35, 10, 500, 200);
    EXPECT_FALSE(test::HasColour(g.Image(), highlight.rgb(), plot));

    test::Hover(g.graph, test::HandleCentre(band));
    EXPECT_TRUE(test::HasColour(g.Image(), highlight.rgb(), plot));
    EXPECT_TRUE(test::HasColour(g.Image(), qRgb(255, 0, 0)));  // the framed handle

    g.graph->ShowBandSet(BlockMusicRight);
    EXPECT_EQ(g.graph->ActiveBand(), nullptr);
    EXPECT_EQ(g.graph->SelectedIndex(), -1);
    EXPECT_FALSE(test::HasColour(g.Image(), highlight.rgb(), plot));

    g.graph->SelectBand(3, false);
    EXPECT_TRUE(test::HasColour(g.Image(), highlight.rgb(), plot));
}

}  // namespace
}  // namespace pavo
