// The response graph's wheel, double-click and arrow keys: on the harness page each gives the same
// model bytes as the equivalent edit on the band's strip, the strip follows, and the graph keeps
// the keyboard focus; the limits of the key steps; the Auto-scene lock.
#include <gtest/gtest.h>

#include <QTest>
#include <functional>

#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"  // the combo header needs the list complete
#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "graph_support.h"
#include "pages/EQDlg.h"
#include "pages/EqHarnessPage.h"

namespace pavo {
namespace {

using test::BandRecord;
using test::GraphWindow;

class GraphInput : public ::testing::Test {
protected:
    Unit unit{false};  // freshly reset for every test
};

// One wheel event of `delta` at a point of the widget; whether the widget took it.
bool WheelAt(QWidget* w, QPoint at, int delta) {
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
    return e.isAccepted();
}

// A double-click as the system delivers it: press, release, double-click, release.
void DoubleClick(QWidget* w, QPoint at) {
    test::Hover(w, at);
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
    QTest::mouseDClick(w, Qt::LeftButton, {}, at);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
}

void Keys(QWidget* w, Qt::Key key, int times, Qt::KeyboardModifiers mods = {}) {
    for (int i = 0; i < times; ++i) QTest::keyClick(w, key, mods);
}

enum class KeysTo { GainEdit, Graph };

// Arrow keys as the user types them, after a click on the band's handle: to its strip's gain edit,
// which the click gives the focus, or to the graph once it has the focus back.
void ClickThenKeys(EqHarnessPage& page, int band, Qt::Key key, int times, Qt::KeyboardModifiers mods = {},
                   KeysTo to = KeysTo::GainEdit) {
    CFStatic* graph = page.Graph();
    const QPoint at = test::HandleCentre((*graph->BandSet())[band]);
    test::Hover(graph, at);
    QTest::mouseClick(graph, Qt::LeftButton, {}, at);
    DeliverPostedMessages();
    ASSERT_EQ(QApplication::focusWidget(), page.Strip(band)->GainEdit());
    if (to == KeysTo::Graph) graph->setFocus(Qt::MouseFocusReason);
    QWidget* target = to == KeysTo::Graph ? static_cast<QWidget*>(graph) : page.Strip(band)->GainEdit();
    for (int i = 0; i < times; ++i) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_EQ(focused, target) << "key " << i;
        QTest::keyClick(focused, key, mods);
        DeliverPostedMessages();
    }
}

struct PageRun {
    ProgramImage image;
    bool stripFollows = false;
};

// The model after one action on a fresh harness page over the typical music EQ; and whether the
// strip of `band` then shows the band's record.
PageRun RunOnPage(int band, const std::function<void(EqHarnessPage&)>& act) {
    Unit unit(false);
    test::ShapeTypicalEq(*unit.bands().Of(BlockMusicLeft));
    EqHarnessPage page(unit, BlockMusicLeft, 10);
    page.show();
    page.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&page));
    act(page);
    DeliverPostedMessages();
    PageRun run;
    unit.model().Edit([&] { CopyRecord(run.image, unit.model().current); });
    const EQDlg* strip = page.Strip(band);
    const EqBand rec = BandRecord(*strip->Band());
    run.stripFollows = strip->TypeCombo()->currentIndex() == rec.BandType &&
                       strip->GainEdit()->GetValue() == rec.GainCode &&
                       strip->GainSlider()->GetInvertedPos() == rec.GainCode &&
                       strip->FrequencyEdit()->GetValue() == rec.FrequencyCode.get() &&
                       strip->QEdit()->GetValue() == rec.QCode;
    return run;
}

TEST_F(GraphInput, EachGraphEditEqualsTheStripEdit) {
    struct Case {
        const char* name;
        int band;
        std::function<void(EqHarnessPage&)> onGraph, onStrip;
    };
    auto centre = [](EqHarnessPage& p, int band) {
        return test::HandleCentre((*p.Graph()->BandSet())[band]);
    };
    const Case cases[] = {
        {"wheel: three notches up, Q up three codes", 2,
         [&](EqHarnessPage& p) {
             for (int i = 0; i < 3; ++i) EXPECT_TRUE(WheelAt(p.Graph(), centre(p, 2), 120));
         },
         [](EqHarnessPage& p) { Keys(p.Strip(2)->QEdit(), Qt::Key_Up, 3); }},
        {"wheel: a notch down in two halves, Q down one code", 7,
         [&](EqHarnessPage& p) {
             WheelAt(p.Graph(), centre(p, 7), -60);
             WheelAt(p.Graph(), centre(p, 7), -60);
         },
         [](EqHarnessPage& p) { Keys(p.Strip(7)->QEdit(), Qt::Key_Down, 1); }},
        {"double-click: a peak is bypassed", 5,
         [&](EqHarnessPage& p) { DoubleClick(p.Graph(), centre(p, 5)); },
         [](EqHarnessPage& p) { Keys(p.Strip(5)->TypeCombo(), Qt::Key_Up, 1); }},
        {"right arrow: one frequency code up", 2,
         [](EqHarnessPage& p) { ClickThenKeys(p, 2, Qt::Key_Right, 1); },
         [](EqHarnessPage& p) { Keys(p.Strip(2)->FrequencyEdit(), Qt::Key_Up, 1); }},
        {"shift and left arrow, twice: twenty codes down", 7,
         [](EqHarnessPage& p) { ClickThenKeys(p, 7, Qt::Key_Left, 2, Qt::ShiftModifier); },
         [](EqHarnessPage& p) { Keys(p.Strip(7)->FrequencyEdit(), Qt::Key_Down, 20); }},
        {"up arrow: one gain code up", 5, [](EqHarnessPage& p) { ClickThenKeys(p, 5, Qt::Key_Up, 1); },
         [](EqHarnessPage& p) { Keys(p.Strip(5)->GainEdit(), Qt::Key_Up, 1); }},
        {"right arrow on the graph: one frequency code up", 2,
         [](EqHarnessPage& p) { ClickThenKeys(p, 2, Qt::Key_Right, 1, {}, KeysTo::Graph); },
         [](EqHarnessPage& p) { Keys(p.Strip(2)->FrequencyEdit(), Qt::Key_Up, 1); }},
        {"shift and up arrow on the graph: ten gain codes up", 7,
         [](EqHarnessPage& p) { ClickThenKeys(p, 7, Qt::Key_Up, 1, Qt::ShiftModifier, KeysTo::Graph); },
         [](EqHarnessPage& p) { Keys(p.Strip(7)->GainEdit(), Qt::Key_Up, 10); }},
        {"shift and down arrow: ten gain codes down", 2,
         [](EqHarnessPage& p) { ClickThenKeys(p, 2, Qt::Key_Down, 1, Qt::ShiftModifier); },
         [](EqHarnessPage& p) { Keys(p.Strip(2)->GainEdit(), Qt::Key_Down, 10); }},
    };
    ProgramImage untouched;
    unit.Reset(false);
    test::ShapeTypicalEq(*unit.bands().Of(BlockMusicLeft));
    CopyRecord(untouched, unit.model().current);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PageRun graph = RunOnPage(c.band, c.onGraph);
        const PageRun strip = RunOnPage(c.band, c.onStrip);
        EXPECT_FALSE(SameRecord(graph.image, untouched));
        EXPECT_TRUE(SameRecord(graph.image, strip.image));
        EXPECT_TRUE(graph.stripFollows);
    }
}

// The second double-click gives the band back the type it had, a low shelf here; the page hears of
// both, and the band is highlighted.
TEST_F(GraphInput, DoubleClickTogglesBetweenTheTypeAndBypass) {
    GraphWindow g(unit, BlockMusicLeft, 0);
    test::ShapeTypicalEq(g.Set());
    CFilter& shelf = g.Set()[0];
    const EqBand before = BandRecord(shelf);
    const QPoint at = test::HandleCentre(shelf);
    g.page.Take();

    DoubleClick(g.graph, at);
    EXPECT_EQ(BandRecord(shelf).BandType, BandBypass);
    EXPECT_EQ(g.graph->ActiveBand(), &shelf);
    DoubleClick(g.graph, at);
    const EqBand after = BandRecord(shelf);
    EXPECT_EQ(after.BandType, BandLowShelf);
    EXPECT_EQ(std::memcmp(&after, &before, sizeof before), 0);
    // Each double-click is two presses, each reported with the band's index.
    const auto seen = g.page.Take();
    ASSERT_EQ(seen.size(), 4u);
    for (const test::Message& m : seen) EXPECT_EQ(m, (test::Message{WM_EQCURVE_CHANGED, BlockMusicLeft, 0}));
}

// Where the steps stop: the ends of the frequency table, +12 dB at the top, -24 dB (-12 dB for a
// dynamic-EQ band) at the bottom, and a gain beyond the graph left where it is; a filter moves only
// in frequency.
TEST_F(GraphInput, KeyStepsStopWhereADragStops) {
    struct Case {
        const char* name;
        int block, pageIndex, member;  // member -1: the high-pass
        int frequency, gain;           // the band's codes first (gain ignored for the filter)
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int expectedFrequency, expectedGain;
    };
    const Case cases[] = {
        {"top of the frequency table", BlockMic12, 2, 3, 355, 120, Qt::Key_Right, Qt::ShiftModifier, 361,
         120},
        {"bottom of the frequency table", BlockMic12, 2, 3, 4, 120, Qt::Key_Left, Qt::ShiftModifier, 0, 120},
        {"+12 dB at the top", BlockMic12, 2, 3, 200, 176, Qt::Key_Up, Qt::ShiftModifier, 200, 180},
        {"-24 dB at the bottom", BlockMic12, 2, 3, 200, 3, Qt::Key_Down, Qt::ShiftModifier, 200, 0},
        {"-12 dB for a dynamic band", BlockMusicLeftDyn, 1, 1, 200, 65, Qt::Key_Down, Qt::ShiftModifier, 200,
         60},
        {"a gain above the graph stays", BlockMic12, 2, 3, 200, 200, Qt::Key_Up, {}, 200, 200},
        {"a gain above the graph moves down", BlockMic12, 2, 3, 200, 200, Qt::Key_Down, {}, 200, 199},
        {"the high-pass moves in frequency", BlockMic12, 2, -1, 100, 0, Qt::Key_Right, {}, 101, 0},
        {"the high-pass has no gain", BlockMic12, 2, -1, 100, 0, Qt::Key_Up, {}, 100, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        unit.Reset(false);
        GraphWindow g(unit, c.block, c.pageIndex);
        const int index = c.member >= 0 ? c.member : g.Set().HighPassIndex();
        CFilter& m = g.Set()[index];
        if (c.member >= 0) {
            test::ShapeBand(m, FilterType::Peak, c.frequency, c.gain, 10);
        } else {
            test::ShapeFilter(&m, c.frequency, 3);
        }
        g.graph->SelectBand(index, false);
        g.page.Take();
        QTest::keyClick(g.graph, c.key, c.mods);
        EXPECT_EQ(m.GetFrequencyCode(), c.expectedFrequency);
        if (c.member >= 0) {
            EXPECT_EQ(m.GetGainCode(), c.expectedGain);
        }
        const bool changed =
            c.expectedFrequency != c.frequency || (c.member >= 0 && c.expectedGain != c.gain);
        EXPECT_EQ(g.page.Take().size(), changed ? 1u : 0u);
        EXPECT_EQ(g.graph->SelectedIndex(), index);
    }
}

// Off the handles the wheel is not the graph's, and nothing changes; with the Auto scene the output
// EQ takes no wheel, double-click or key either.
TEST_F(GraphInput, NothingChangesOffTheHandlesOrUnderTheAutoScene) {
    {
        GraphWindow g(unit, BlockMic12, 2);
        const ProgramImage before = unit.model().current;
        EXPECT_FALSE(WheelAt(g.graph, QPoint(5, 5), 120));
        QTest::keyClick(g.graph, Qt::Key_Up);  // nothing highlighted
        EXPECT_TRUE(SameRecord(unit.model().current, before));
        EXPECT_TRUE(g.page.Take().empty());
    }
    unit.model().Edit([&] { unit.model().current.ActiveScene = 0; });
    GraphWindow g(unit, BlockOutputFirst + 2, 3);
    CFilter& band = g.Set()[4];
    test::ShapeBand(band, FilterType::Peak, 200, 150, 10);
    const ProgramImage before = unit.model().current;
    const QPoint at = test::HandleCentre(band);
    EXPECT_FALSE(WheelAt(g.graph, at, 120));
    DoubleClick(g.graph, at);
    g.graph->SelectBand(4, false);
    QTest::keyClick(g.graph, Qt::Key_Up);
    QTest::keyClick(g.graph, Qt::Key_Right);
    EXPECT_TRUE(SameRecord(unit.model().current, before));
}

}  // namespace
}  // namespace pavo
