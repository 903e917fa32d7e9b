#include "eq/GraphDrag.h"

#include <cstdlib>

namespace pavo {

bool GraphDrag::Press(DragButton button, CFilter* member, PlotPoint at) {
    if (Active() || !member) return false;
    if (member->IsFilterType() ? !member->Setting() : !member->Band()) return false;
    if (button == DragButton::Right) {
        if (member->IsFilterType()) return false;  // a filter has no Q
        qCodeAtStart_ = member->BandRecord().QCode;
    }
    member_ = member;
    button_ = button;
    press_ = at;
    grab_ = member->GrabOffset(at);
    travel_ = 0;
    return true;
}

bool GraphDrag::Move(PlotPoint at, bool held) {
    if (!Active()) return false;
    if (!held) {
        Cancel();
        return false;
    }
    const int travel = std::abs(at.x - press_.x) + std::abs(at.y - press_.y);
    if (travel > travel_) travel_ = travel;
    if (button_ == DragButton::Right) return member_->DragQ(at.x, qCodeAtStart_);
    return member_->IsFilterType() ? member_->DragFilter(at, grab_) : member_->DragBand(at, grab_);
}

bool GraphDrag::Release(DragButton button) {
    if (!Active() || button != button_) return false;
    Cancel();
    return true;
}

}  // namespace pavo
