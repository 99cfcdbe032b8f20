#pragma once

#include <chrono>
#include <string>

#include "platform/geometry.h"

namespace glimtap::platform {

// Facts about the desktop as a whole. Any thread may ask; nothing is thrown.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Extent of the whole virtual screen (all monitors); 0 x 0 when no display is reachable.
    virtual Size VirtualScreenSize() const = 0;
    // Where the virtual screen lies: left/top are negative where a monitor sits left of or
    // above the origin (Wayland layouts); X11's root starts at (0, 0).
    virtual ScreenRect VirtualScreen() const {
        const Size size = VirtualScreenSize();
        return {0, 0, size.width, size.height};
    }
    // Whether a compositing manager runs, so that translucent windows look translucent.
    // False when it cannot be told.
    virtual bool CompositorRunning() const { return false; }
    // Once the display's server has closed the connection: "the connection to … was lost",
    // waiting up to `patience` for the close to arrive; "" while it holds, and without one.
    virtual std::string Lost(std::chrono::milliseconds) const { return ""; }
};

}  // namespace glimtap::platform
