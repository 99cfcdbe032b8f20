#include "support/x_observer.h"

#include <cstring>
#include <stdexcept>
#include <string_view>

namespace glimtap::test {

using platform::Reply;

std::optional<platform::ScreenRect> WindowObserver::RootGeometry(xcb_window_t window) {
    xcb_connection_t* c = connection_.Get();
    const Reply<xcb_get_geometry_reply_t> geometry{xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr)};
    const Reply<xcb_translate_coordinates_reply_t> origin{xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, connection_.Root(), 0, 0), nullptr)};
    if (geometry == nullptr || origin == nullptr) return std::nullopt;
    return platform::ScreenRect{origin->dst_x, origin->dst_y, geometry->width, geometry->height};
}

xcb_get_window_attributes_reply_t WindowObserver::Attributes(xcb_window_t window) {
    xcb_connection_t* c = connection_.Get();
    const Reply<xcb_get_window_attributes_reply_t> attributes{
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr)};
    return attributes != nullptr ? *attributes : xcb_get_window_attributes_reply_t{};
}

std::optional<uint32_t> WindowObserver::Opacity(xcb_window_t window) {
    xcb_connection_t* c = connection_.Get();
    constexpr std::string_view kName = "_NET_WM_WINDOW_OPACITY";
    const Reply<xcb_intern_atom_reply_t> atom{
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, kName.size(), kName.data()), nullptr)};
    if (atom == nullptr || atom->atom == XCB_ATOM_NONE) return std::nullopt;
    const Reply<xcb_get_property_reply_t> property{xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom->atom, XCB_ATOM_CARDINAL, 0, 1), nullptr)};
    if (property == nullptr || xcb_get_property_value_length(property.get()) != 4) return std::nullopt;
    uint32_t value = 0;
    std::memcpy(&value, xcb_get_property_value(property.get()), sizeof value);
    return value;
}

xcb_window_t WindowObserver::InputFocus() {
    xcb_connection_t* c = connection_.Get();
    const Reply<xcb_get_input_focus_reply_t> focus{xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)};
    if (focus == nullptr) throw std::runtime_error("lost the X display");
    return focus->focus;
}

}  // namespace glimtap::test
