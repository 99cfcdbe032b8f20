#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/geometry.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::test {

// What the X server itself says about windows on the display named by $DISPLAY, asked
// on a connection of its own, as another program on the desktop would see them.
class WindowObserver {
public:
    // Throws platform::Unavailable when the display cannot be opened.
    WindowObserver();

    // Where the window lies in root coordinates; nullopt when it does not exist.
    std::optional<platform::ScreenRect> RootGeometry(xcb_window_t window);
    // Mapped with all its ancestors; false for a window that does not exist.
    bool IsViewable(xcb_window_t window);
    // Out of the window manager's hands (and so off any task bar).
    bool IsOverrideRedirect(xcb_window_t window);
    // _NET_WM_WINDOW_OPACITY, 0xFFFFFFFF for opaque; nullopt when not set.
    std::optional<uint32_t> Opacity(xcb_window_t window);
    xcb_window_t InputFocus();

private:
    platform::X11Connection connection_;
};

// Makes a picture the root window's background until destruction, so that the server
// itself repaints it wherever a window leaves the screen; then the root turns black.
class RootBackdrop {
public:
    // `pixels` covers the whole root, top row first, red in bits 16-23.
    explicit RootBackdrop(const std::vector<uint32_t>& pixels);
    ~RootBackdrop();
    RootBackdrop(const RootBackdrop&) = delete;
    RootBackdrop& operator=(const RootBackdrop&) = delete;

    platform::Size size() const { return size_; }
    uint32_t At(int32_t x, int32_t y) const {
        return pixels_[static_cast<size_t>(y) * static_cast<size_t>(size_.width) +
                       static_cast<size_t>(x)];
    }

private:
    void Sync();

    platform::X11Connection connection_;
    platform::Size size_;
    std::vector<uint32_t> pixels_;
};

// A picture in which no two pixels are alike: red follows x, green follows y, blue
// tells the 256-pixel tiles apart. Smooth enough for people to read screenshots over it.
std::vector<uint32_t> PatternedScreenPixels(platform::Size size);

}  // namespace glimtap::test
