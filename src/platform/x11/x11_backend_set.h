#pragma once

#include <string>

#include "platform/backend_set.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::platform {

// Every service on one connection to the X display named by $DISPLAY, closed last; taps
// through a uinput touch screen where /dev/uinput lets us make one, else XTest clicks.
class X11BackendSet : public BackendSet {
public:
    // Throws Unavailable when the display cannot be opened.
    X11BackendSet();
    ~X11BackendSet() override;

    bool CanCapture() const override { return canCapture_; }
    std::unique_ptr<ScreenCapture> OpenCapture() override;
    OverlaySurfaces Overlays() const override { return OverlaySurfaces::kX11Windows; }
    const char* QtPlatform() const override { return "xcb"; }

private:
    explicit X11BackendSet(std::unique_ptr<X11Connection> connection);
    std::unique_ptr<TouchInjector> MakeTouch() override;
    std::unique_ptr<GlobalHotKey> MakeHotKey() override;

    std::unique_ptr<X11Connection> connection_;
    bool canCapture_;
    bool hasXTest_;
};

}  // namespace glimtap::platform
