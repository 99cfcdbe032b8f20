#pragma once

#include <wayland-client.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/output_layout.h"
#include "platform/wayland/wayland_proxy.h"

struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct zwlr_screencopy_manager_v1;
struct zwlr_virtual_pointer_manager_v1;
struct zwlr_layer_shell_v1;
struct wp_viewporter;

namespace glimtap::platform {

// One output (monitor) as the compositor lays it out.
struct WaylandOutput {
    uint32_t globalName = 0;  // the registry's name, stable while the output lives
    wl_output* output = nullptr;
    std::string name;  // the connector, "HEADLESS-1", "DP-2"; "" when not told
    // Its pixels on the desktop as PlaceOutputs lays them out: the current mode turned by
    // the output's transform, one desktop pixel per output pixel.
    ScreenRect physical;
    // Position and size in the compositor's layout units (what wlroots' protocols take).
    ScreenRect logical;
    // Pixels per layout unit (OutputScale).
    double scale = 1;
    // What PlaceOutputs was given.
    OutputGeometry geometry;
};

// A connection to the compositor named by $WAYLAND_DISPLAY, with the globals the program
// uses bound and the outputs followed as they come and go.
//
// Threading: a connection and every object made from it belong to one thread at a time,
// which alone dispatches its events (Roundtrip, Dispatch, or DispatchReady from a socket
// notifier on Fd()). Services on different threads open connections of their own; a
// connection costs one socket, and the compositor tells each the same layout.
class WaylandConnection {
public:
    // Connects and waits until the globals and every output's geometry have arrived.
    // Throws Unavailable when no compositor answers.
    WaylandConnection();
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    wl_display* Display() const { return display_.get(); }
    // For messages: "Wayland compositor 'wayland-1'".
    const std::string& Description() const { return description_; }

    // Null when the compositor does not offer them.
    wl_compositor* Compositor() const { return compositor_.get(); }
    wl_shm* Shm() const { return shm_.get(); }
    wl_seat* Seat() const { return seat_.get(); }
    zwlr_screencopy_manager_v1* ScreencopyManager() const { return screencopy_.get(); }
    zwlr_virtual_pointer_manager_v1* VirtualPointerManager() const { return virtualPointer_.get(); }
    zwlr_layer_shell_v1* LayerShell() const { return layerShell_.get(); }
    wp_viewporter* Viewporter() const { return viewporter_.get(); }

    // Outputs whose geometry is known, as of the last dispatch; left to right, top to bottom.
    std::vector<const WaylandOutput*> Outputs() const;
    // The union of the outputs' physical rectangles; empty without outputs.
    ScreenRect DesktopBounds() const;

    // Each returns false once the connection has broken (compositor gone, protocol error);
    // it stays broken. Round trip: sends what is queued and handles every answer.
    bool Roundtrip();
    // Handles events as they arrive, for up to `timeout`; false also when none came.
    bool Dispatch(std::chrono::milliseconds timeout);
    // For a socket notifier on Fd(): reads what has arrived without blocking, handles it,
    // and sends what is queued.
    bool DispatchReady();
    // DispatchReady, then a round trip when outputs were just announced, so that they are
    // known with their geometry.
    bool Refresh();
    bool Broken() const { return wl_display_get_error(display_.get()) != 0; }
    int Fd() const { return wl_display_get_fd(display_.get()); }

private:
    struct Disconnect {
        void operator()(wl_display* display) const noexcept { wl_display_disconnect(display); }
    };
    struct OutputRecord;

    static void Global(void* data, wl_registry*, uint32_t name, const char* interface,
                       uint32_t version);
    static void GlobalRemove(void* data, wl_registry*, uint32_t name);
    void AddOutput(uint32_t name, uint32_t version);
    void WatchXdgOutput(OutputRecord& record);
    // Lays the known outputs out afresh on the desktop.
    void PlaceKnownOutputs();

    std::string description_;
    // Declared first: every proxy below goes before the connection closes.
    std::unique_ptr<wl_display, Disconnect> display_;
    Proxy<wl_registry> registry_;
    Proxy<wl_compositor> compositor_;
    Proxy<wl_shm> shm_;
    Proxy<wl_seat> seat_;
    Proxy<zxdg_output_manager_v1> xdgOutputManager_;
    Proxy<zwlr_screencopy_manager_v1> screencopy_;
    Proxy<zwlr_virtual_pointer_manager_v1> virtualPointer_;
    Proxy<zwlr_layer_shell_v1> layerShell_;
    Proxy<wp_viewporter> viewporter_;
    std::vector<std::unique_ptr<OutputRecord>> outputs_;
};

}  // namespace glimtap::platform
