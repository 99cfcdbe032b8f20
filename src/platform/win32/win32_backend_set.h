#pragma once

#include "platform/backend_set.h"

namespace glimtap::platform {

// Every service through the Win32 API of the desktop this process runs on; taps are real
// touches where the system can inject them, else left clicks.
class Win32BackendSet : public BackendSet {
public:
    Win32BackendSet();
    ~Win32BackendSet() override;

    OverlaySurfaces Overlays() const override { return OverlaySurfaces::kWin32Windows; }
    const char* QtPlatform() const override { return "windows"; }
    bool CanCapture() const override { return true; }
    std::unique_ptr<ScreenCapture> OpenCapture() override;

private:
    std::unique_ptr<TouchInjector> MakeTouch() override;
    std::unique_ptr<GlobalHotKey> MakeHotKey() override;
};

}  // namespace glimtap::platform
