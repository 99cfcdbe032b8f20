#pragma once

#include <optional>

#include "platform/desktop.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::platform {

// The desktop of the X display named by $DISPLAY; the root window spans every monitor.
class X11Desktop : public Desktop {
public:
    // Never throws: without a display the desktop is 0 x 0.
    X11Desktop();

    Size VirtualScreenSize() const override;
    // The _NET_WM_CM_S<screen> selection has an owner.
    bool CompositorRunning() const override;

private:
    std::optional<X11Connection> connection_;
};

}  // namespace glimtap::platform
