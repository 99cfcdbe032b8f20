#pragma once

#include <cstdint>

#include "platform/touch_injector.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::platform {

// A tap without a touch screen: the X pointer goes to the point and presses and
// releases the first button there, which is what a tap means to X clients.
class XTestTap : public TouchInjector {
public:
    // Throws Unavailable when the display lacks XTest.
    explicit XTestTap(const X11Connection& connection);

    bool Prepare() override;
    // False for a point off the root window: the server would press at its edge instead.
    bool Down(Point at) override;
    bool Up(Point at) override;

private:
    // Sends a fake event and waits until the server has carried it out.
    bool Fake(uint8_t type, uint8_t detail, Point at = {});

    const X11Connection& connection_;
};

}  // namespace glimtap::platform
