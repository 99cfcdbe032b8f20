#pragma once

#include <string>

#include "platform/backend_set.h"

namespace glimtap::platform {

// No desktop at all: no screen, no input, no hot key; the launcher refuses. The window
// and the command line still start, and say why (`reason`).
class NullBackendSet : public BackendSet {
public:
    explicit NullBackendSet(std::string reason);

    bool CanCapture() const override { return false; }
    std::unique_ptr<ScreenCapture> OpenCapture() override { return nullptr; }
    OverlaySurfaces Overlays() const override { return OverlaySurfaces::kNone; }
    // Qt's usual plugin: the window still shows where an X display can be reached.
    const char* QtPlatform() const override { return "xcb"; }
};

}  // namespace glimtap::platform
