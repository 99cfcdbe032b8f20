#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/screen_capture.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_shm_buffer.h"

namespace glimtap::platform {

// Copies rectangles of a wlroots compositor's outputs with wlr-screencopy: the part of the
// area on each output is copied by the compositor at its next frame into a shared-memory
// buffer kept per output, then stitched (and converted to 0x00RRGGBB) in one pass. An
// image lying on one output in the compositor's own XRGB order is handed out as it came.
// Gaps between outputs inside the image are black.
class WaylandCapture : public ScreenCapture {
public:
    // Opens a connection of its own for the calling thread. Throws Unavailable when no
    // compositor answers.
    WaylandCapture();
    ~WaylandCapture() override;

    // Throws ScreenLost once the compositor has gone, or offers pixels in a layout this
    // cannot read.
    std::optional<ScreenImage> Capture(const ScreenRect& area) override;

private:
    struct Frame;

    // Each frame's buffer, copied; false when the compositor failed one or took too long.
    bool CopyFrames(std::vector<std::unique_ptr<Frame>>& frames);
    void StartCopy(Frame& frame);
    [[noreturn]] void Lost() const;

    std::unique_ptr<WaylandConnection> connection_;
    // Per output (by its registry name); reused while the size and format stay.
    std::map<uint32_t, std::unique_ptr<WaylandShmBuffer>> buffers_;
    std::vector<uint32_t> pixels_;
};

}  // namespace glimtap::platform
