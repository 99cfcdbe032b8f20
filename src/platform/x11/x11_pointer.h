#pragma once

#include "platform/pointer.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::platform {

// The core pointer of an X display: warps on the root window and XTest motion.
class X11Pointer : public Pointer {
public:
    // Throws Unavailable when the display lacks XTest.
    explicit X11Pointer(const X11Connection& connection);

    bool MoveTo(int32_t x, int32_t y) override;
    std::optional<Point> Position() override;
    void NudgeHorizontally(int32_t dx) override;

private:
    const X11Connection& connection_;
};

}  // namespace glimtap::platform
