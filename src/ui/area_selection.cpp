#include "ui/area_selection.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

namespace glimtap {

AreaSelection::AreaSelection(const platform::ScreenRect& virtualScreen)
    : virtualScreen_(virtualScreen) {}

void AreaSelection::Press(platform::Point at) {
    if (state_ != State::Idle) return;
    startingPoint_ = at;
    dragEnd_ = at;
    state_ = State::Dragging;
}

void AreaSelection::Move(platform::Point to) {
    if (state_ == State::Dragging) dragEnd_ = to;
}

void AreaSelection::Release(platform::Point at) {
    if (state_ != State::Dragging) return;
    closingPoint_ = at;
    state_ = State::Done;
}

void AreaSelection::Escape() {
    if (state_ == State::Idle || state_ == State::Dragging) state_ = State::Cancelled;
}

platform::ScreenRect AreaSelection::Hole() const {
    if (state_ == State::Idle) return {};
    const auto [left, right] = std::minmax(startingPoint_.x, dragEnd_.x);
    const auto [top, bottom] = std::minmax(startingPoint_.y, dragEnd_.y);
    return {left, top, right - left, bottom - top};
}

SelectedCorners AreaSelection::Corners() const {
    // A cancelled drag has no closing point yet: (0, 0) takes part in the sorting, as
    // the stored values have always been made.
    SelectedCorners corners{startingPoint_, closingPoint_};
    if (corners.starting.x > corners.closing.x) std::swap(corners.starting.x, corners.closing.x);
    if (corners.starting.y > corners.closing.y) std::swap(corners.starting.y, corners.closing.y);
    for (platform::Point* point : {&corners.starting, &corners.closing}) {
        point->x += virtualScreen_.left;
        point->y += virtualScreen_.top;
    }
    return corners;
}

std::optional<platform::ScreenRect> SelectionFromCorners(const SelectedCorners& corners) {
    // 64 bits: the profile is a text file anyone may edit.
    const int64_t width = int64_t{corners.closing.x} - corners.starting.x;
    const int64_t height = int64_t{corners.closing.y} - corners.starting.y;
    // Stored corners are sorted; anything else is not a selection either.
    constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();
    if (width <= 0 || height <= 0 || width > kLargest || height > kLargest) return std::nullopt;
    return platform::ScreenRect{corners.starting.x, corners.starting.y, static_cast<int32_t>(width),
                                static_cast<int32_t>(height)};
}

}  // namespace glimtap
