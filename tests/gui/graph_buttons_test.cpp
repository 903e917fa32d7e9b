// Each mouse button on the response graph of every page, through the window as the platform delivers
// it (a menu request with the right press, as X11 sends it): what a press, a move and a release change,
// how many undo steps they leave, whether the window's menu opens, and that moves with no button held
// afterwards change nothing.
#include <gtest/gtest.h>

#include <QMenu>
#include <QTimer>

#include "graph_support.h"
#include "undo_support.h"

namespace pavo {
namespace {

using test::UndoWindow;

enum class Spot { BandHandle, FilterHandle, Empty };
enum class GraphChange { None, Band, Q, Filter };

struct GraphPageCase {
    const char* name;
    int page;
};
constexpr GraphPageCase kGraphPages[] = {
    {"music", PavoDlg::PageMusic},  {"microphone", PavoDlg::PageMic}, {"dynamic EQ", PavoDlg::PageDynEq},
    {"output", PavoDlg::PageOut12}, {"effect", PavoDlg::PageEffect},
};

// Counts and closes (as Escape would) every popup menu that opens while it lives.
class MenuWatch {
public:
    MenuWatch() {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                ++opened_;
                menu->close();
            }
        });
        timer_.start();
    }
    int Opened() const { return opened_; }

private:
    QTimer timer_;
    int opened_ = 0;
};

struct GraphOnPage {
    CFStatic* graph = nullptr;
    CFilter* band = nullptr;
    CFilter* filter = nullptr;
};

// Shows the page, shapes one band clear of the others and puts its high-pass (or low-pass) in use;
// what that changed is committed as a step of its own before the gesture under test.
GraphOnPage Prepare(UndoWindow& u, int page) {
    if (page == PavoDlg::PageOut12)  // the Auto scene locks the output graphs
        test::Edit(u.unit(), [](Model& m) { m.current.ActiveScene = 1; });
    u.ShowPage(page);
    GraphOnPage g;
    g.graph = u.w->Page(page)->findChild<CFStatic*>();
    if (!g.graph || !g.graph->BandSet()) return g;
    CKTVEQ& set = *g.graph->BandSet();
    g.band = &set[1];
    test::ShapeBand(*g.band, FilterType::Peak, 260, 170, 20);
    g.filter = set.GetHighPass() ? set.GetHighPass() : set.GetLowPass();
    if (g.filter) test::ShapeFilter(g.filter, 90, 9);
    g.graph->SelectBand(-1, true);
    u.Key(Qt::Key_Shift);  // a gesture that changes nothing: the shaping above becomes a step
    return g;
}

// A point of the plot that no handle holds, low in the plot, where no flat band lies.
QPoint EmptySpot(const CFStatic& graph) {
    const PlotRect& plot = graph.PlotRectangle();
    for (int x = plot.left + 20; x < plot.right - 20; x += 7) {
        const PlotPoint p{x, plot.bottom - 20};
        bool free = true;
        for (int i = 0; i < graph.BandSet()->GetSize(); ++i)
            free = free && !(*graph.BandSet())[i].HandleRect().Contains(p);
        if (free) return {p.x, p.y};
    }
    ADD_FAILURE() << "no free spot";
    return {};
}

QPoint SpotPoint(const GraphOnPage& g, Spot spot) {
    switch (spot) {
        case Spot::BandHandle:
            return test::HandleCentre(*g.band);
        case Spot::FilterHandle:  // clear of the flat bands: a high-pass handle's top, a low-pass's bottom
            return {test::HandleCentre(*g.filter).x(), g.filter->GetType() == FilterType::HighPass
                                                           ? g.filter->HandleRect().top + 2
                                                           : g.filter->HandleRect().bottom - 2};
        case Spot::Empty:
            return EmptySpot(*g.graph);
    }
    return {};
}

// The window-system route: the press carries the platform's menu request.
struct WindowMouse {
    QWidget* graph;
    QWindow* window;
    QPoint In(QPoint at) const { return graph->mapTo(graph->window(), at); }
    void Press(Qt::MouseButton b, QPoint at) const { QTest::mousePress(window, b, {}, In(at)); }
    void Move(QPoint at) const { QTest::mouseMove(window, In(at)); }
    void Release(Qt::MouseButton b, QPoint at) const { QTest::mouseRelease(window, b, {}, In(at)); }
};

TEST(GraphButtons, EachButtonOnEachSpotOfEveryGraph) {
    struct Row {
        Qt::MouseButton button;
        Spot spot;
        GraphChange change;  // while the button is held
        size_t steps;        // undo steps the gesture leaves
    } rows[] = {
        {Qt::LeftButton, Spot::BandHandle, GraphChange::Band, 1},
        {Qt::LeftButton, Spot::FilterHandle, GraphChange::Filter, 1},
        {Qt::LeftButton, Spot::Empty, GraphChange::None, 0},
        {Qt::RightButton, Spot::BandHandle, GraphChange::Q, 1},
        {Qt::RightButton, Spot::FilterHandle, GraphChange::None, 0},
        {Qt::RightButton, Spot::Empty, GraphChange::None, 0},
    };
    for (const GraphPageCase& page : kGraphPages) {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message()
                         << page.name << " button " << row.button << " spot " << static_cast<int>(row.spot));
            UndoWindow u;
            const GraphOnPage g = Prepare(u, page.page);
            ASSERT_NE(g.graph, nullptr);
            if (row.spot == Spot::FilterHandle && !g.filter) continue;  // a graph without filters
            const WindowMouse mouse{g.graph, u.w->windowHandle()};
            const QPoint at = SpotPoint(g, row.spot);
            const size_t depth = u.history().UndoDepth();
            const EqBand band = g.band->BandRecord();
            const FilterSetting filter = g.filter ? g.filter->SettingRecord() : FilterSetting{};
            const EditedRecords before = test::Records(u.unit());
            MenuWatch menus;

            mouse.Move(at);
            mouse.Press(row.button, at);
            mouse.Move(at + QPoint(30, -20));
            mouse.Move(at + QPoint(60, -35));
            const EqBand heldBand = g.band->BandRecord();
            const FilterSetting heldFilter = g.filter ? g.filter->SettingRecord() : FilterSetting{};
            EXPECT_EQ(heldBand.QCode != band.QCode, row.change == GraphChange::Q);
            EXPECT_EQ(heldBand.GainCode != band.GainCode, row.change == GraphChange::Band);
            EXPECT_EQ(heldFilter.FrequencyCode.get() != filter.FrequencyCode.get(),
                      row.change == GraphChange::Filter);
            EXPECT_EQ(test::Same(test::Records(u.unit()), before), row.change == GraphChange::None);
            mouse.Release(row.button, at + QPoint(60, -35));
            u.Settle();
            EXPECT_EQ(menus.Opened(), 0);
            EXPECT_EQ(u.history().UndoDepth(), depth + row.steps);

            // Moves with no button held, over the handles and away: nothing more changes.
            const EditedRecords after = test::Records(u.unit());
            for (QPoint p : {at, at + QPoint(-40, 10), test::HandleCentre(*g.band), at + QPoint(80, 0)})
                mouse.Move(p);
            u.Settle();
            EXPECT_TRUE(test::Same(test::Records(u.unit()), after));
            EXPECT_EQ(u.history().UndoDepth(), depth + row.steps);
        }
    }
}

// A right click (no travel) that takes no band opens the window's menu, once, on the release; one on
// a band's handle is the graph's. Either way, nothing changes, then or with the moves that follow.
TEST(GraphButtons, RightClickOpensTheMenuOnlyWhereNoBandIsTaken) {
    struct Row {
        Spot spot;
        int menus;
    } rows[] = {{Spot::BandHandle, 0}, {Spot::FilterHandle, 1}, {Spot::Empty, 1}};
    for (const GraphPageCase& page : kGraphPages) {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << page.name << " spot " << static_cast<int>(row.spot));
            UndoWindow u;
            const GraphOnPage g = Prepare(u, page.page);
            ASSERT_NE(g.graph, nullptr);
            if (row.spot == Spot::FilterHandle && !g.filter) continue;
            const WindowMouse mouse{g.graph, u.w->windowHandle()};
            const QPoint at = SpotPoint(g, row.spot);
            const size_t depth = u.history().UndoDepth();
            const EditedRecords before = test::Records(u.unit());
            MenuWatch menus;

            mouse.Move(at);
            mouse.Press(Qt::RightButton, at);
            EXPECT_EQ(menus.Opened(), 0);  // never on the press
            mouse.Release(Qt::RightButton, at);
            u.Settle();
            EXPECT_EQ(menus.Opened(), row.menus);
            for (int dx : {10, 25, 40, -30}) mouse.Move(at + QPoint(dx, 0));
            u.Settle();
            EXPECT_TRUE(test::Same(test::Records(u.unit()), before));
            EXPECT_EQ(u.history().UndoDepth(), depth);
        }
    }
}

// A release that never reaches the graph (taken by a menu or another window): the next move, which
// comes without the button, ends the drag and edits nothing.
TEST(GraphButtons, ADragWhoseReleaseWentElsewhereEndsAtTheNextMove) {
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        SCOPED_TRACE(button);
        UndoWindow u;
        const GraphOnPage g = Prepare(u, PavoDlg::PageMusic);
        const QPoint at = test::HandleCentre(*g.band);
        const EditedRecords before = test::Records(u.unit());
        test::Hover(g.graph, at);
        QTest::mousePress(g.graph, button, {}, at);
        QTest::mouseMove(g.graph, at + QPoint(30, -30));
        const EditedRecords dragged = test::Records(u.unit());
        EXPECT_FALSE(test::Same(dragged, before));  // the drag edited
        for (int dx : {40, 80, -60}) test::Hover(g.graph, at + QPoint(dx, dx / 2));
        EXPECT_FALSE(g.graph->Drag().Active());
        EXPECT_TRUE(test::Same(test::Records(u.unit()), dragged));
        QTest::mouseRelease(g.graph, button, {}, at);  // the test's own button state
    }
}

}  // namespace
}  // namespace pavo
