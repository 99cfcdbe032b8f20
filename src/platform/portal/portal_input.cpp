#include "platform/portal/portal_input.h"

#include <thread>

#include "platform/portal/seat_touch.h"

namespace glimtap::platform {
namespace {

// What comes at once after the session starts may be lost.
constexpr std::chrono::milliseconds kStartSettle{500};
constexpr std::chrono::seconds kSeatPatience{2};
// For windows to take up the seat's new touch.
constexpr std::chrono::milliseconds kBindSettle{200};
constexpr int32_t kLeftButton = 272;  // BTN_LEFT
constexpr uint32_t kTouchSlot = 0;

}  // namespace

bool PortalPointer::MoveTo(int32_t x, int32_t y) {
    if ((session_.Devices() & kPortalPointer) == 0) return false;
    const std::vector<CastStream> streams = session_.InputStreams();
    const std::optional<StreamPoint> point = PointOnStream(streams, {x, y});
    if (!point) return false;
    return session_.Notify("NotifyPointerMotionAbsolute", [&](sd_bus_message* m) {
        return sd_bus_message_append(m, "udd", streams[point->stream].node, point->x, point->y);
    });
}

void PortalPointer::NudgeHorizontally(int32_t dx) {
    if ((session_.Devices() & kPortalPointer) == 0) return;
    session_.Notify("NotifyPointerMotion", [dx](sd_bus_message* m) {
        return sd_bus_message_append(m, "dd", static_cast<double>(dx), 0.0);
    });
}

bool PortalTouch::Prepare() {
    const uint32_t devices = session_.Devices();
    touch_ = (devices & kPortalTouch) != 0;
    if (!touch_ && (devices & kPortalPointer) == 0) return false;
    std::this_thread::sleep_until(session_.GivenAt() + kStartSettle);
    return true;
}

bool PortalTouch::Down(Point at) {
    if (!touch_) return PortalPointer(session_).MoveTo(at.x, at.y) && Button(1);
    // The desktop makes its touch screen at the first touch, which no window can see yet:
    // that one is spent where the seat has no touch, and the real one waits for it to.
    if (!SeatOffersTouch(std::chrono::milliseconds{0})) {
        if (!Touch(at) || !Lift()) return false;
        SeatOffersTouch(kSeatPatience);
        std::this_thread::sleep_for(kBindSettle);
    }
    return Touch(at);
}

bool PortalTouch::Up(Point) { return touch_ ? Lift() : Button(0); }

bool PortalTouch::Touch(Point at) {
    const std::vector<CastStream> streams = session_.InputStreams();
    const std::optional<StreamPoint> point = PointOnStream(streams, at);
    if (!point) return false;
    return session_.Notify("NotifyTouchDown", [&](sd_bus_message* m) {
        return sd_bus_message_append(m, "uudd", streams[point->stream].node, kTouchSlot, point->x,
                                     point->y);
    });
}

bool PortalTouch::Lift() {
    return session_.Notify("NotifyTouchUp", [](sd_bus_message* m) {
        return sd_bus_message_append(m, "u", kTouchSlot);
    });
}

bool PortalTouch::Button(uint32_t state) {
    return session_.Notify("NotifyPointerButton", [state](sd_bus_message* m) {
        return sd_bus_message_append(m, "iu", kLeftButton, state);
    });
}

}  // namespace glimtap::platform
