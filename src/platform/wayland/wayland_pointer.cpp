#include "platform/wayland/wayland_pointer.h"

#include "platform/unavailable.h"

namespace glimtap::platform {

VirtualPointerDevice* WaylandPointer::Device() {
    if (device_ == nullptr) {
        try {
            device_ = std::make_unique<VirtualPointerDevice>();
        } catch (const Unavailable&) {
            return nullptr;
        }
    }
    return device_.get();
}

bool WaylandPointer::MoveTo(int32_t x, int32_t y) {
    VirtualPointerDevice* device = Device();
    if (device == nullptr || !device->MoveTo({x, y})) return false;
    position_ = Point{x, y};
    return true;
}

void WaylandPointer::NudgeHorizontally(int32_t dx) {
    VirtualPointerDevice* device = Device();
    const Point from = position_.value_or(Point{0, 0});
    if (device != nullptr && device->Nudge(from, dx) && position_) position_->x += dx;
}

}  // namespace glimtap::platform
