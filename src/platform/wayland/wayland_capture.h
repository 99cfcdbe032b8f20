#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/output_layout.h"
#include "platform/screen_capture.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_shm_buffer.h"

namespace glimtap::platform {

// Copies rectangles of a wlroots compositor's outputs with wlr-screencopy, without waiting
// for frames: each output under the area keeps one request in flight for its part of the
// area, with damage, so the compositor answers only when that part changed, and asks again
// at each answer. A capture takes in what has arrived and copies the newest frames through
// ShownPicture; it waits (up to 2 s) only for the first frame after the area or an output
// changed. Gaps between outputs inside the image are black.
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
    struct BufferLayout;
    struct Frame;
    struct Stream;

    // Streams for the outputs under `area`, started afresh where what they copy changed.
    std::vector<Stream*> StreamsFor(const ScreenRect& area);
    void Request(Stream& stream, bool withDamage);
    void StartCopy(Frame& frame);
    // Takes in finished frames and asks for the next ones.
    void Collect();
    [[noreturn]] void Lost() const;

    std::unique_ptr<WaylandConnection> connection_;
    // By the output's registry name.
    std::map<uint32_t, std::unique_ptr<Stream>> streams_;
    // Outputs asked for a frame with damage before.
    std::set<uint32_t> damageFollowed_;
    std::vector<uint32_t> pixels_;
};

}  // namespace glimtap::platform
