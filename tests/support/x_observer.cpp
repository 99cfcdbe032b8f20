#include "support/x_observer.h"

namespace glimtap::test {

using platform::Reply;

xcb_get_window_attributes_reply_t WindowObserver::Attributes(xcb_window_t window) {
    xcb_connection_t* c = connection_.Get();
    const Reply<xcb_get_window_attributes_reply_t> attributes{
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr)};
    return attributes != nullptr ? *attributes : xcb_get_window_attributes_reply_t{};
}

}  // namespace glimtap::test
