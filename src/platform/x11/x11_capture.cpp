#include "platform/x11/x11_capture.h"

#include <xcb/shm.h>

#include <cstddef>
#include <string>

#include "platform/area_clip.h"
#include "platform/backends.h"

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
    const xcb_setup_t* setup = xcb_get_setup(x.get());
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

X11ScreenCapture::X11ScreenCapture() {
    if (!RootIsBgrx(connection_)) {
        throw Unavailable("X display '" + connection_.DisplayName() + "' has a " +
                          std::to_string(connection_.Screen().root_depth) +
                          "-bit root window; screen capture supports only 24- or 32-bit "
                          "colour stored as 32-bit BGRX pixels");
    }
    xcb_connection_t* connection = connection_.get();
    // Told of root resizes (monitors added or removed) instead of asking before each capture.
    const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, connection_.Root(), XCB_CW_EVENT_MASK, &events);
    const Reply<xcb_get_geometry_reply_t> geometry{xcb_get_geometry_reply(
        connection, xcb_get_geometry(connection, connection_.Root()), nullptr)};
    if (geometry == nullptr) {
        throw Unavailable("lost X display '" + connection_.DisplayName() + "'");
    }
    root_size_ = {geometry->width, geometry->height};
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection, &xcb_shm_id);
    use_shm_ = shm != nullptr && shm->present != 0;
}

std::optional<ScreenImage> X11ScreenCapture::Capture(const ScreenRect& area) {
    if (area.width <= 0 || area.height <= 0) return std::nullopt;
    FollowRootSize();
    std::optional<ScreenImage> image = CaptureOnce(area);
    // A root that shrank just before the request makes the server refuse it; the resize
    // notice arrives ahead of that error.
    if (!image && FollowRootSize()) image = CaptureOnce(area);
    // A broken connection stays broken: every later request would fail as well.
    if (!image && xcb_connection_has_error(connection_.get()) != 0) {
        throw ScreenLost("the connection to the X server of display '" +
                         connection_.DisplayName() + "' was lost");
    }
    return image;
}

bool X11ScreenCapture::FollowRootSize() {
    const Size before = root_size_;
    while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection_.get())}) {
        if ((event->response_type & 0x7f) != XCB_CONFIGURE_NOTIFY) continue;
        const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event.get());
        if (configure->window == connection_.Root()) {
            root_size_ = {configure->width, configure->height};
        }
    }
    return root_size_ != before;
}

std::optional<ScreenImage> X11ScreenCapture::CaptureOnce(const ScreenRect& area) {
    if (xcb_connection_has_error(connection_.get()) != 0) return std::nullopt;
    const ScreenRect part = VisiblePart(area, root_size_);
    if (part.width == 0) return ScreenImage{nullptr, 0, 0, area.left, area.top};
    const uint32_t* pixels = use_shm_ ? FetchShared(part) : FetchPlain(part);
    if (pixels == nullptr) return std::nullopt;
    return ScreenImage{pixels, part.width, part.height, part.left, part.top};
}

const uint32_t* X11ScreenCapture::FetchShared(const ScreenRect& part) {
    const size_t bytes = ByteCount(part);
    if (segment_ == nullptr || segment_->size() < bytes) {
        segment_.reset();  // before the new one, so the two never take memory at once
        segment_ = X11ShmSegment::Attach(connection_.get(), bytes);
        if (segment_ == nullptr) {
            use_shm_ = false;  // the server cannot reach our memory (remote, say)
            return FetchPlain(part);
        }
    }
    xcb_connection_t* connection = connection_.get();
    const auto cookie = xcb_shm_get_image(
        connection, connection_.Root(), static_cast<int16_t>(part.left),
        static_cast<int16_t>(part.top), static_cast<uint16_t>(part.width),
        static_cast<uint16_t>(part.height), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment_->id(), 0);
    xcb_generic_error_t* error = nullptr;
    const Reply<xcb_shm_get_image_reply_t> reply{
        xcb_shm_get_image_reply(connection, cookie, &error)};
    const Reply<xcb_generic_error_t> error_holder{error};
    if (reply == nullptr || reply->size < bytes) return nullptr;
    return segment_->pixels();
}

const uint32_t* X11ScreenCapture::FetchPlain(const ScreenRect& part) {
    xcb_connection_t* connection = connection_.get();
    const auto cookie = xcb_get_image(
        connection, XCB_IMAGE_FORMAT_Z_PIXMAP, connection_.Root(),
        static_cast<int16_t>(part.left), static_cast<int16_t>(part.top),
        static_cast<uint16_t>(part.width), static_cast<uint16_t>(part.height), ~0u);
    xcb_generic_error_t* error = nullptr;
    plain_image_.reset(xcb_get_image_reply(connection, cookie, &error));
    const Reply<xcb_generic_error_t> error_holder{error};
    if (plain_image_ == nullptr ||
        static_cast<size_t>(xcb_get_image_data_length(plain_image_.get())) < ByteCount(part)) {
        return nullptr;
    }
    // The reply stays ours until the next capture, so its data is handed out as it is.
    return reinterpret_cast<const uint32_t*>(xcb_get_image_data(plain_image_.get()));
}

}  // namespace glimtap::platform
