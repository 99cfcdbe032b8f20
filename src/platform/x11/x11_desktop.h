#pragma once

#include "platform/desktop.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::platform {

// The desktop of an X display; the root window spans every monitor.
class X11Desktop : public Desktop {
public:
    explicit X11Desktop(const X11Connection& connection) : connection_(connection) {}

    Size VirtualScreenSize() const override { return connection_.RootSize(); }
    // The _NET_WM_CM_S<screen> selection has an owner.
    bool CompositorRunning() const override;
    std::string Lost(std::chrono::milliseconds patience) const override;

private:
    const X11Connection& connection_;
};

}  // namespace glimtap::platform
