#include "platform/wayland/wayland_pointer.h"

namespace glimtap::platform {

bool WaylandPointer::MoveTo(int32_t x, int32_t y) {
    if (!device_.MoveTo({x, y})) return false;
    position_ = Point{x, y};
    return true;
}

void WaylandPointer::NudgeHorizontally(int32_t dx) {
    const Point from = position_.value_or(Point{0, 0});
    if (device_.Nudge(from, dx) && position_) position_->x += dx;
}

}  // namespace glimtap::platform
