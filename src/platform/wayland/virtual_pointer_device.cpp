#include "platform/wayland/virtual_pointer_device.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "platform/area_clip.h"
#include "platform/unavailable.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace glimtap::platform {
namespace {

// Absolute motion is sent in 1/256 layout units, the precision of the compositor's own
// fixed-point coordinates.
constexpr double kSteps = 256;

uint32_t Milliseconds() {
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

bool Contains(const ScreenRect& rect, Point at) {
    return at.x >= rect.left && at.y >= rect.top && int64_t{at.x} < int64_t{rect.left} + rect.width &&
           int64_t{at.y} < int64_t{rect.top} + rect.height;
}

// The compositor maps absolute motion onto the box around every output's layout rectangle.
ScreenRect LayoutBox(const std::vector<const WaylandOutput*>& outputs) {
    std::vector<ScreenRect> rects;
    for (const WaylandOutput* output : outputs) rects.push_back(output->logical);
    return BoundingBox(rects);
}

}  // namespace

void VirtualPointerDevice::Destroy::operator()(zwlr_virtual_pointer_v1* device) const noexcept {
    zwlr_virtual_pointer_v1_destroy(device);
}

VirtualPointerDevice::VirtualPointerDevice() : connection_(std::make_unique<WaylandConnection>()) {
    if (connection_->VirtualPointerManager() == nullptr) {
        throw Unavailable("the " + connection_->Description() +
                          " offers no virtual pointer (wlr-virtual-pointer)");
    }
    device_.reset(zwlr_virtual_pointer_manager_v1_create_virtual_pointer(
        connection_->VirtualPointerManager(), connection_->Seat()));
    if (!connection_->Roundtrip()) {
        throw Unavailable("the " + connection_->Description() + " refused a virtual pointer");
    }
}

VirtualPointerDevice::~VirtualPointerDevice() = default;

const WaylandOutput* VirtualPointerDevice::OutputAt(Point at) {
    if (!connection_->Refresh()) return nullptr;
    for (const WaylandOutput* output : connection_->Outputs()) {
        if (Contains(output->physical, at)) return output;
    }
    return nullptr;
}

bool VirtualPointerDevice::MoveTo(Point at) {
    const WaylandOutput* output = OutputAt(at);
    if (output == nullptr) return false;
    const ScreenRect& pixels = output->physical;
    const ScreenRect& units = output->logical;
    const ScreenRect box = LayoutBox(connection_->Outputs());
    // The middle of the pixel's part inside the output's layout rectangle (its size is
    // rounded down, so the last pixels may reach past it), so that rounding on the way
    // cannot slip into a neighbour.
    const auto middle = [scale = output->scale](int32_t pixel, int32_t extent) {
        return (pixel / scale + std::min((pixel + 1) / scale, double(extent))) / 2;
    };
    const double x = units.left + middle(at.x - pixels.left, units.width);
    const double y = units.top + middle(at.y - pixels.top, units.height);
    zwlr_virtual_pointer_v1_motion_absolute(
        device_.get(), Milliseconds(), static_cast<uint32_t>(std::lround((x - box.left) * kSteps)),
        static_cast<uint32_t>(std::lround((y - box.top) * kSteps)),
        static_cast<uint32_t>(box.width * kSteps), static_cast<uint32_t>(box.height * kSteps));
    return Commit();
}

bool VirtualPointerDevice::Nudge(Point from, int32_t dx) {
    const WaylandOutput* output = OutputAt(from);
    const double scale = output != nullptr ? output->scale : 1.0;
    zwlr_virtual_pointer_v1_motion(device_.get(), Milliseconds(), wl_fixed_from_double(dx / scale),
                                   0);
    return Commit();
}

bool VirtualPointerDevice::LeftButton(bool pressed) {
    zwlr_virtual_pointer_v1_button(device_.get(), Milliseconds(), BTN_LEFT,
                                   pressed ? WL_POINTER_BUTTON_STATE_PRESSED
                                           : WL_POINTER_BUTTON_STATE_RELEASED);
    return Commit();
}

bool VirtualPointerDevice::Commit() {
    zwlr_virtual_pointer_v1_frame(device_.get());
    return connection_->Roundtrip();
}

}  // namespace glimtap::platform
