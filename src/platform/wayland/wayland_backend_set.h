#pragma once

#include <memory>

#include "platform/backend_set.h"

namespace glimtap::platform {

class WaylandConnection;

// The services of a wlroots-family compositor (sway, Hyprland, river…), each on a
// connection of its own to $WAYLAND_DISPLAY (see WaylandConnection for why).
class WaylandBackendSet : public BackendSet {
public:
    // Throws Unavailable when no compositor answers.
    WaylandBackendSet();
    ~WaylandBackendSet() override;

    // Whether the compositor offers what capture needs (wlr-screencopy); "" when it does.
    static std::string CaptureMissing(const WaylandConnection& connection);

    bool CanCapture() const override { return canCapture_; }
    std::unique_ptr<ScreenCapture> OpenCapture() override;
    OverlaySurfaces Overlays() const override { return OverlaySurfaces::kLayerShell; }
    const char* QtPlatform() const override { return "wayland"; }

protected:
    std::unique_ptr<TouchInjector> MakeTouch() override;

private:
    explicit WaylandBackendSet(std::unique_ptr<WaylandConnection> connection);

    bool canCapture_;
    bool hasVirtualPointer_;
};

}  // namespace glimtap::platform
