#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/screen_capture.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_shm_segment.h"

namespace glimtap::platform {

// Copies rectangles of the X root window, through shared memory when the server offers
// it and with plain GetImage requests otherwise.
class X11ScreenCapture : public ScreenCapture {
public:
    // Why the root window of `connection` cannot be captured (its pixels are not 32-bit
    // values with red in bits 16-23); "" when it can.
    static std::string Unsupported(const X11Connection& connection);

    // Only for a connection that Unsupported() accepts.
    explicit X11ScreenCapture(const X11Connection& connection);

    // Throws ScreenLost once the connection to the display has broken.
    std::optional<ScreenImage> Capture(const ScreenRect& area) override;

private:
    // Takes in pending root resizes; true when the root's size changed.
    bool FollowRootSize();
    std::optional<ScreenImage> CaptureOnce(const ScreenRect& area);
    // Pixels of `part` (on the root), stride part.width; null when the server refused.
    const uint32_t* FetchShared(const ScreenRect& part);
    const uint32_t* FetchPlain(const ScreenRect& part);

    const X11Connection& connection_;
    Size rootSize_;
    bool useShm_ = false;
    // Grown, never shrunk: one segment serves every capture that fits in it.
    std::unique_ptr<X11ShmSegment> segment_;
    Reply<xcb_get_image_reply_t> plainImage_;
    std::vector<uint32_t> converted_;
};

}  // namespace glimtap::platform
