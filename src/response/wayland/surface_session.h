#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/wayland/wayland_connection.h"
#include "response/wayland/output_placement.h"

namespace glimtap {

struct SessionOutput {
    wl_output* output = nullptr;
    OutputArea area;
};

// The Wayland connection that the window's own surfaces (markers, the area selector) live
// on: a connection of their own, read and dispatched on the application thread alone by a
// QSocketNotifier on its descriptor, apart from Qt's connection and from those of the
// capture and input threads. Application thread only. Open throws std::runtime_error when
// the compositor cannot be reached or offers no layer-shell surfaces.
class SurfaceSession {
public:
    static std::shared_ptr<SurfaceSession> Open();

    platform::WaylandConnection& Connection() { return connection_; }
    // The outputs the compositor shows now, in desktop physical pixels.
    std::vector<SessionOutput> Outputs() const;
    // `lost` runs once, from the event loop, if the connection breaks.
    void WhenLost(std::function<void()> lost) { lost_ = std::move(lost); }
    // Sends what was asked so far.
    void Flush() { wl_display_flush(connection_.Display()); }

private:
    SurfaceSession();
    void Dispatch();

    platform::WaylandConnection connection_;
    QSocketNotifier notifier_;
    std::function<void()> lost_;
};

}  // namespace glimtap
