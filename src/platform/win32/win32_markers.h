#pragma once

#include <windows.h>

#include <thread>

#include "platform/desktop.h"
#include "platform/geometry.h"
#include "response/overlay_layout.h"

namespace glimtap::platform {

// Markers around matches, on a thread of their own whose message loop runs their windows and
// countdowns, so any thread may ask for one: it only posts. A rectangle whose marker is still
// up gets no second one: its countdown starts afresh. At most kMostAlive are up at once; a
// further one is not shown until one goes. The markers go with this.
class Win32Markers {
public:
    static constexpr int kMostAlive = 16;

    // `desktop` tells where the virtual screen lies; it must outlive this.
    explicit Win32Markers(const Desktop& desktop);
    ~Win32Markers();
    Win32Markers(const Win32Markers&) = delete;
    Win32Markers& operator=(const Win32Markers&) = delete;

    // Shows a marker around `rect` (physical pixels) for `seconds`. An empty rectangle or no
    // time shows nothing.
    void Show(const ScreenRect& rect, MarkerKind kind, int seconds);
    // How many markers are up once the requests made before are handled.
    int Alive();

private:
    void RunLoop();

    const Desktop& desktop_;
    DWORD loopId_ = 0;
    std::thread loop_;  // last: it uses every member above
};

}  // namespace glimtap::platform
