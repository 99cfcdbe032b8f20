#pragma once

#include <windows.h>

#include <thread>

#include "platform/desktop.h"
#include "platform/geometry.h"
#include "reaction/match_markers.h"

namespace glimtap::platform {

// Markers in windows of a thread of their own, whose message loop runs their countdowns: Show
// only posts, from any thread. The markers go with this.
class Win32Markers : public MatchMarkers {
public:
    // `desktop` tells where the virtual screen lies; it must outlive this.
    explicit Win32Markers(const Desktop& desktop);
    ~Win32Markers() override;
    Win32Markers(const Win32Markers&) = delete;
    Win32Markers& operator=(const Win32Markers&) = delete;

    void Show(const ScreenRect& rect, MarkerKind kind, int seconds) override;
    // How many markers are up once the requests made before are handled.
    int Alive();

private:
    void RunLoop();

    const Desktop& desktop_;
    DWORD loopId_ = 0;
    std::thread loop_;  // last: it uses every member above
};

}  // namespace glimtap::platform
