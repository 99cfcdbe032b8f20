#pragma once

#include "platform/pointer.h"
#include "platform/portal/portal_session.h"
#include "platform/touch_injector.h"

namespace glimtap::platform {

// The pointer through the portal's remote-desktop session, on the monitor's stream that
// shows the point. A call returns once the portal has answered it, which is after the
// desktop took the event in: the desktop tells nothing of having acted on it. Until consent
// is given, and where the user did not grant the pointer, every call is refused. Where
// the pointer is cannot be learnt.
class PortalPointer : public Pointer {
public:
    explicit PortalPointer(PortalSession& session) : session_(session) {}
    bool MoveTo(int32_t x, int32_t y) override;
    std::optional<Point> Position() override { return std::nullopt; }
    void NudgeHorizontally(int32_t dx) override;

private:
    PortalSession& session_;
};

// A tap through the portal: a real touch (NotifyTouchDown, NotifyTouchUp) where the user
// granted touch, else a left click of the pointer. The desktop takes a new touch device in a
// moment after the session starts (its windows learn of touch only then, and a touch sent
// earlier is lost), so Prepare waits until a second has passed since consent was given.
class PortalTouch : public TouchInjector {
public:
    explicit PortalTouch(PortalSession& session) : session_(session) {}
    bool Prepare() override;
    bool Down(Point at) override;
    bool Up(Point at) override;

private:
    bool Button(uint32_t state);

    PortalSession& session_;
    bool touch_ = false;  // as decided by Prepare
};

}  // namespace glimtap::platform
