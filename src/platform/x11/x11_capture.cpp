#include "platform/x11/x11_capture.h"

#include <xcb/shm.h>

#include <cstddef>
#include <string>

#include "platform/area_clip.h"
#include "platform/shown_picture.h"

namespace glimtap::platform {

namespace {

size_t ByteCount(const ScreenRect& part) {
    return static_cast<size_t>(part.width) * static_cast<size_t>(part.height) * sizeof(uint32_t);
}

const xcb_visualtype_t* FindVisual(const xcb_screen_t& screen, xcb_visualid_t id) {
    for (auto depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem > 0;
         xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id == id) return visuals.data;
        }
    }
    return nullptr;
}

// Whether the root's images arrive as 32-bit values with red in bits 16-23, rows packed.
bool RootIsBgrx(const X11Connection& x) {
    const xcb_screen_t& screen = x.Screen();
    if (screen.root_depth != 24 && screen.root_depth != 32) return false;
    const xcb_setup_t* setup = xcb_get_setup(x.Get());
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
    bool packed = false;
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem > 0;
         xcb_format_next(&formats)) {
        if (formats.data->depth == screen.root_depth) {
            packed = formats.data->bits_per_pixel == 32 && formats.data->scanline_pad == 32;
        }
    }
    const xcb_visualtype_t* visual = FindVisual(screen, screen.root_visual);
    return packed && visual != nullptr && visual->red_mask == 0xff0000 &&
           visual->green_mask == 0x00ff00 && visual->blue_mask == 0x0000ff;
}

}  // namespace

std::string X11ScreenCapture::Unsupported(const X11Connection& connection) {
    if (RootIsBgrx(connection)) return "";
    return "X display '" + connection.DisplayName() + "' has a " +
           std::to_string(connection.Screen().root_depth) +
           "-bit root window; screen capture supports only 24- or 32-bit colour stored as "
           "32-bit BGRX pixels";
}

X11ScreenCapture::X11ScreenCapture(const X11Connection& connection)
    : connection_(connection), rootSize_(connection.RootSize()) {
    const xcb_query_extension_reply_t* shm =
        xcb_get_extension_data(connection_.Get(), &xcb_shm_id);
    useShm_ = shm != nullptr && shm->present != 0;
}

std::optional<ScreenImage> X11ScreenCapture::Capture(const ScreenRect& area) {
    if (area.width <= 0 || area.height <= 0) return std::nullopt;
    FollowRootSize();
    std::optional<ScreenImage> image = CaptureOnce(area);
    // A root that shrank just before the request makes the server refuse it; the resize
    // notice arrives ahead of that error.
    if (!image && FollowRootSize()) image = CaptureOnce(area);
    // A broken connection stays broken: every later request would fail as well.
    if (!image && xcb_connection_has_error(connection_.Get()) != 0) {
        throw ScreenLost(connection_.LostMessage());
    }
    return image;
}

bool X11ScreenCapture::FollowRootSize() {
    // Asked, not told by events: the connection's events belong to whichever service
    // waits for them (the hot key), and this runs on the search's thread.
    const Size now = connection_.RootSize();
    const bool changed = now != rootSize_;
    rootSize_ = now;
    return changed;
}

std::optional<ScreenImage> X11ScreenCapture::CaptureOnce(const ScreenRect& area) {
    if (xcb_connection_has_error(connection_.Get()) != 0) return std::nullopt;
    const ScreenRect part = VisiblePart(area, rootSize_);
    if (part.width == 0) return ScreenImage{nullptr, 0, 0, area.left, area.top};
    const uint32_t* pixels = useShm_ ? FetchShared(part) : FetchPlain(part);
    if (pixels == nullptr) return std::nullopt;
    // The root's pixels are XRGB words (Unsupported says so), rows packed.
    const PixelBuffer buffer{reinterpret_cast<const uint8_t*>(pixels),
                             FindPixelFormat(Fourcc("XR24")), part.width, part.height,
                             part.width * 4};
    return ShownPicture({{buffer, part}}, part, converted_);
}

const uint32_t* X11ScreenCapture::FetchShared(const ScreenRect& part) {
    const size_t bytes = ByteCount(part);
    if (segment_ == nullptr || segment_->Bytes() < bytes) {
        segment_.reset();  // before the new one, so the two never take memory at once
        segment_ = X11ShmSegment::Attach(connection_.Get(), bytes);
        if (segment_ == nullptr) {
            useShm_ = false;  // the server cannot reach our memory (remote, say)
            return FetchPlain(part);
        }
    }
    xcb_connection_t* connection = connection_.Get();
    const auto cookie = xcb_shm_get_image(
        connection, connection_.Root(), static_cast<int16_t>(part.left),
        static_cast<int16_t>(part.top), static_cast<uint16_t>(part.width),
        static_cast<uint16_t>(part.height), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment_->Id(), 0);
    xcb_generic_error_t* error = nullptr;
    const Reply<xcb_shm_get_image_reply_t> reply{
        xcb_shm_get_image_reply(connection, cookie, &error)};
    const Reply<xcb_generic_error_t> errorHolder{error};
    if (reply == nullptr || reply->size < bytes) return nullptr;
    return segment_->Pixels();
}

const uint32_t* X11ScreenCapture::FetchPlain(const ScreenRect& part) {
    xcb_connection_t* connection = connection_.Get();
    const auto cookie = xcb_get_image(
        connection, XCB_IMAGE_FORMAT_Z_PIXMAP, connection_.Root(),
        static_cast<int16_t>(part.left), static_cast<int16_t>(part.top),
        static_cast<uint16_t>(part.width), static_cast<uint16_t>(part.height), ~0u);
    xcb_generic_error_t* error = nullptr;
    plainImage_.reset(xcb_get_image_reply(connection, cookie, &error));
    const Reply<xcb_generic_error_t> errorHolder{error};
    if (plainImage_ == nullptr ||
        static_cast<size_t>(xcb_get_image_data_length(plainImage_.get())) < ByteCount(part)) {
        return nullptr;
    }
    // The reply stays ours until the next capture, so its data is handed out as it is.
    return reinterpret_cast<const uint32_t*>(xcb_get_image_data(plainImage_.get()));
}

}  // namespace glimtap::platform
