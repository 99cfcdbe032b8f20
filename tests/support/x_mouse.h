#pragma once

#include <cstdint>

#include "platform/x11/x11_connection.h"

namespace glimtap::test {

// The user's mouse on the display named by $DISPLAY, moved and pressed through XTest
// from a connection of its own. Every call returns once the server has carried it out.
class FakeMouse {
public:
    // Throws platform::Unavailable when the display cannot be opened or lacks XTest.
    FakeMouse();

    void MoveTo(int32_t x, int32_t y);
    void PressLeft();
    void ReleaseLeft();
    // Press here, move there through a point on the way, and, when asked, let go.
    void Drag(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, bool release = true);
    void Click(int32_t x, int32_t y);

private:
    void Fake(uint8_t type, uint8_t detail, int32_t x, int32_t y);
    void Sync();

    platform::X11Connection connection_;
};

}  // namespace glimtap::test
