#pragma once

#include "platform/desktop.h"
#include "platform/geometry.h"
#include "platform/win32/message_loop_thread.h"
#include "reaction/match_markers.h"

namespace glimtap::platform {

// Markers in windows of a thread of their own, whose message loop runs their countdowns: Show
// only posts, from any thread. The markers go with this.
class Win32Markers : public MatchMarkers {
public:
    // `desktop` tells where the virtual screen lies; it must outlive this.
    explicit Win32Markers(const Desktop& desktop);

    void Show(const ScreenRect& rect, MarkerKind kind, int seconds) override;
    // How many markers are up once the requests made before are handled.
    int Alive();

private:
    void RunLoop();

    const Desktop& desktop_;
    MessageLoopThread loop_{[this] { RunLoop(); }};  // last: it uses every member above
};

}  // namespace glimtap::platform
