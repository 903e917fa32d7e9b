#pragma once
// What the mouse holds on a response graph, from a press to the release of the same button.
//
// A left press on a handle moves that band or filter; a right press on a band's handle changes its
// Q (a filter has none); any other press holds nothing. Only the button that began a drag moves it
// and ends it: a second button pressed or let go meanwhile changes nothing. A move that comes without
// that button held (its release went to a menu or another window) ends the drag instead of editing,
// so no edit ever follows a mouse move without a held button.
#include "eq/Filter.h"
#include "eq/PlotGeometry.h"

namespace pavo {

enum class DragButton { Left, Right };

class GraphDrag {
public:
    // A press of `button` over `member` (null: no handle there). True when it begins a drag.
    bool Press(DragButton button, CFilter* member, PlotPoint at);
    // A move while the drag's button is `held`: edits the member and returns whether it changed. Without
    // the button held the drag ends and nothing changes.
    bool Move(PlotPoint at, bool held);
    // The release of `button`: true when it ends the drag that button began.
    bool Release(DragButton button);
    // Ends the drag without another edit (the member set changed, the graph went away).
    void Cancel() { member_ = nullptr; }

    bool Active() const { return member_ != nullptr; }
    CFilter* Member() const { return member_; }
    DragButton Button() const { return button_; }
    bool ChangesQ() const { return Active() && button_ == DragButton::Right; }
    // How far the mouse has gone from the press, the longest distance so far (|dx| + |dy|).
    int Travel() const { return travel_; }

private:
    CFilter* member_ = nullptr;
    DragButton button_ = DragButton::Left;
    PlotPoint press_;
    PlotPoint grab_;  // where the handle was taken, from its centre
    int qCodeAtStart_ = 0;
    int travel_ = 0;
};

}  // namespace pavo
