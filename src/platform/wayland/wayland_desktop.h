#pragma once

#include <memory>
#include <mutex>

#include "platform/desktop.h"
#include "platform/wayland/wayland_connection.h"

namespace glimtap::platform {

// The desktop of a Wayland compositor: the union of its outputs in physical pixels. Asks
// the compositor afresh at each call (a round trip on a connection of its own, one caller
// at a time), so outputs that came or went are counted.
class WaylandDesktop : public Desktop {
public:
    explicit WaylandDesktop(std::unique_ptr<WaylandConnection> connection)
        : connection_(std::move(connection)) {}

    Size VirtualScreenSize() const override;
    ScreenRect VirtualScreen() const override;
    // Wayland compositors always composite.
    bool CompositorRunning() const override { return true; }
    std::string Lost(std::chrono::milliseconds patience) const override;

private:
    mutable std::mutex mutex_;
    std::unique_ptr<WaylandConnection> connection_;
};

}  // namespace glimtap::platform
