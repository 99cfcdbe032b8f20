#pragma once

#include "platform/pointer.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::platform {

// The core pointer of the X display named by $DISPLAY: warps on the root window and
// XTest motion.
class X11Pointer : public Pointer {
public:
    // Throws Unavailable when the display cannot be opened or lacks XTest.
    X11Pointer();

    bool MoveTo(int32_t x, int32_t y) override;
    std::optional<Point> Position() override;
    void NudgeHorizontally(int32_t dx) override;

private:
    X11Connection connection_;
};

}  // namespace glimtap::platform
