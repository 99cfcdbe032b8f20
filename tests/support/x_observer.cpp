#include "support/x_observer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace glimtap::test {

using platform::Reply;

WindowObserver::WindowObserver() = default;

std::optional<platform::ScreenRect> WindowObserver::RootGeometry(xcb_window_t window) {
    xcb_connection_t* connection = connection_.Get();
    const Reply<xcb_get_geometry_reply_t> geometry{
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr)};
    const Reply<xcb_translate_coordinates_reply_t> origin{xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, connection_.Root(), 0, 0),
        nullptr)};
    if (geometry == nullptr || origin == nullptr) return std::nullopt;
    return platform::ScreenRect{origin->dst_x, origin->dst_y, geometry->width, geometry->height};
}

bool WindowObserver::IsViewable(xcb_window_t window) {
    xcb_connection_t* connection = connection_.Get();
    const Reply<xcb_get_window_attributes_reply_t> attributes{xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr)};
    return attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool WindowObserver::IsOverrideRedirect(xcb_window_t window) {
    xcb_connection_t* connection = connection_.Get();
    const Reply<xcb_get_window_attributes_reply_t> attributes{xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr)};
    return attributes != nullptr && attributes->override_redirect != 0;
}

std::optional<uint32_t> WindowObserver::Opacity(xcb_window_t window) {
    xcb_connection_t* connection = connection_.Get();
    constexpr std::string_view kName = "_NET_WM_WINDOW_OPACITY";
    const Reply<xcb_intern_atom_reply_t> atom{xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, kName.size(), kName.data()), nullptr)};
    if (atom == nullptr || atom->atom == XCB_ATOM_NONE) return std::nullopt;
    const Reply<xcb_get_property_reply_t> property{xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, atom->atom, XCB_ATOM_CARDINAL, 0, 1),
        nullptr)};
    if (property == nullptr || xcb_get_property_value_length(property.get()) != 4) {
        return std::nullopt;
    }
    uint32_t value = 0;
    std::memcpy(&value, xcb_get_property_value(property.get()), sizeof value);
    return value;
}

xcb_window_t WindowObserver::InputFocus() {
    xcb_connection_t* connection = connection_.Get();
    const Reply<xcb_get_input_focus_reply_t> focus{
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr)};
    if (focus == nullptr) throw std::runtime_error("lost the X display");
    return focus->focus;
}

RootBackdrop::RootBackdrop(const std::vector<uint32_t>& pixels) : pixels_(pixels) {
    xcb_connection_t* connection = connection_.Get();
    const xcb_screen_t& screen = connection_.Screen();
    size_ = {screen.width_in_pixels, screen.height_in_pixels};
    const auto width = static_cast<size_t>(size_.width);
    if (pixels.size() != width * static_cast<size_t>(size_.height)) {
        throw std::invalid_argument("RootBackdrop: the picture does not cover the root");
    }
    const xcb_pixmap_t pixmap = xcb_generate_id(connection);
    xcb_create_pixmap(connection, screen.root_depth, pixmap, screen.root,
                      static_cast<uint16_t>(size_.width), static_cast<uint16_t>(size_.height));
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    xcb_create_gc(connection, gc, pixmap, 0, nullptr);
    // PutImage requests are bounded in size: the picture goes in bands of rows.
    constexpr size_t kPutImageHeader = 24;
    const size_t maxBytes = size_t{xcb_get_maximum_request_length(connection)} * 4;
    const size_t rowBytes = width * sizeof(uint32_t);
    const auto bandRows =
        static_cast<int32_t>(std::max<size_t>(1, (maxBytes - kPutImageHeader) / rowBytes));
    for (int32_t row = 0; row < size_.height; row += bandRows) {
        const int32_t rows = std::min(bandRows, size_.height - row);
        xcb_put_image(
            connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, static_cast<uint16_t>(size_.width),
            static_cast<uint16_t>(rows), 0, static_cast<int16_t>(row), 0, screen.root_depth,
            static_cast<uint32_t>(static_cast<size_t>(rows) * rowBytes),
            reinterpret_cast<const uint8_t*>(pixels_.data() + static_cast<size_t>(row) * width));
    }
    xcb_change_window_attributes(connection, screen.root, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_clear_area(connection, 0, screen.root, 0, 0, 0, 0);
    // The root keeps its own reference to the picture.
    xcb_free_gc(connection, gc);
    xcb_free_pixmap(connection, pixmap);
    Sync();
}

RootBackdrop::~RootBackdrop() {
    xcb_connection_t* connection = connection_.Get();
    const uint32_t black = connection_.Screen().black_pixel;
    xcb_change_window_attributes(connection, connection_.Root(), XCB_CW_BACK_PIXEL, &black);
    xcb_clear_area(connection, 0, connection_.Root(), 0, 0, 0, 0);
    xcb_flush(connection);
}

void RootBackdrop::Sync() {
    xcb_connection_t* connection = connection_.Get();
    const Reply<xcb_get_input_focus_reply_t> reply{
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr)};
    if (reply == nullptr) throw std::runtime_error("lost the X display while painting");
}

std::vector<uint32_t> PatternedScreenPixels(platform::Size size) {
    std::vector<uint32_t> pixels;
    pixels.reserve(static_cast<size_t>(size.width) * static_cast<size_t>(size.height));
    for (int32_t y = 0; y < size.height; ++y) {
        for (int32_t x = 0; x < size.width; ++x) {
            const auto tile = static_cast<uint32_t>((x / 256) * 16 + y / 256) & 0xFF;
            pixels.push_back(static_cast<uint32_t>(x % 256) << 16 |
                             static_cast<uint32_t>(y % 256) << 8 | tile);
        }
    }
    return pixels;
}

}  // namespace glimtap::test
