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
// granted touch, else a left click of the pointer. Prepare lets half a second pass after
// the session started (input sent at once may be lost). GNOME makes the session's touch
// screen only at its first touch, which no window sees, since none can bind touch before
// the seat offers it: where the Wayland seat offers no touch, Down spends one touch at the
// same point, waits (up to 2 s) until the seat offers touch and 0.2 s more for the windows
// to take it up, then touches. Each call returns once the portal has answered it; the
// desktop tells nothing of having acted on it.
class PortalTouch : public TouchInjector {
public:
    explicit PortalTouch(PortalSession& session) : session_(session) {}
    bool Prepare() override;
    bool Down(Point at) override;
    bool Up(Point at) override;

private:
    bool Touch(Point at);
    bool Lift();
    bool Button(uint32_t state);

    PortalSession& session_;
    bool touch_ = false;  // as decided by Prepare
};

}  // namespace glimtap::platform
