#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::test {

// A picture of the screen's size; pixels 0x00RRGGBB, top row first.
struct ScreenShot {
    std::vector<uint32_t> pixels;
    platform::Size size;

    uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(size.width) + size_t(x)]; }
};

// The whole screen as the program's capture backend sees it. Throws std::runtime_error when
// the screen cannot be captured.
ScreenShot CaptureWholeScreen();

// A picture in which no two pixels are alike: red follows x, green follows y, blue tells the
// 256-pixel tiles apart.
ScreenShot PatternedScreen(platform::Size size);

// Pastes pictures on the screen of the display named by $DISPLAY, through a connection of
// its own. They become the root window's background, so the server itself repaints them
// wherever a window leaves; the rest of the screen is black. Pixels as captures deliver them.
// Every call returns once the server has drawn; the picture stays after destruction, but a
// compositing manager shows it only while the painter lives.
class ScreenPainter {
public:
    // Throws platform::Unavailable when the display cannot be opened.
    ScreenPainter();
    ~ScreenPainter();

    // `pixels` holds width * height values, top row first.
    void DrawOnRoot(int32_t x, int32_t y, int32_t width, int32_t height,
                    const std::vector<uint32_t>& pixels);
    void DrawOnRoot(const ScreenShot& picture) {
        DrawOnRoot(0, 0, picture.size.width, picture.size.height, picture.pixels);
    }
    void FillRoot(uint32_t colour);

private:
    void Show();

    platform::X11Connection connection_;
    platform::Size size_;
    xcb_pixmap_t pixmap_;
    xcb_gcontext_t gc_;
};

// Waits until the server has carried out every request sent on `connection` so far.
// Throws std::runtime_error when the connection is lost.
void SyncWithServer(xcb_connection_t* connection);

}  // namespace glimtap::test
