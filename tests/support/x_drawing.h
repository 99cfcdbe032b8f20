#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

#include "platform/x11/x11_connection.h"

namespace glimtap::test {

// Puts known pixels on the root window of the X display named by $DISPLAY, through a
// connection of its own. Pixels are as captures deliver them: red in bits 16-23, green
// 8-15, blue 0-7. Every call returns once the server has drawn, so that other
// connections see the result.
class ScreenPainter {
public:
    // Throws platform::Unavailable when the display cannot be opened.
    ScreenPainter();
    ~ScreenPainter();
    ScreenPainter(const ScreenPainter&) = delete;
    ScreenPainter& operator=(const ScreenPainter&) = delete;

    // `pixels` holds width * height values, top row first.
    void DrawOnRoot(int32_t x, int32_t y, int32_t width, int32_t height,
                    const std::vector<uint32_t>& pixels);
    void FillRoot(uint32_t colour);

private:
    void Sync();

    platform::X11Connection connection_;
    xcb_gcontext_t gc_;
};

}  // namespace glimtap::test
