#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/geometry.h"

namespace glimtap::platform {

struct FreeDeleter {
    void operator()(void* memory) const noexcept { std::free(memory); }
};

// xcb hands out replies, errors and events as malloc'ed blocks the caller must free.
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

// A connection to the X display named by $DISPLAY, closed on destruction. xcb connections
// are thread-safe: one serves every X11 service of the program, on any thread.
class X11Connection {
public:
    // Throws Unavailable when the display cannot be opened.
    X11Connection();

    xcb_connection_t* Get() const { return connection_.get(); }
    const xcb_screen_t& Screen() const { return *screen_; }
    xcb_window_t Root() const { return screen_->root; }
    // For messages: the display as the user named it.
    const std::string& DisplayName() const { return displayName_; }
    // What a user is told once the server has closed the connection.
    std::string LostMessage() const {
        return "the connection to the X server of display '" + displayName_ + "' was lost";
    }
    // The root window's size now (it grows and shrinks as monitors come and go); 0 x 0
    // when the server does not answer.
    Size RootSize() const;

private:
    struct Disconnect {
        void operator()(xcb_connection_t* connection) const noexcept {
            xcb_disconnect(connection);
        }
    };

    std::string displayName_;
    std::unique_ptr<xcb_connection_t, Disconnect> connection_;
    const xcb_screen_t* screen_ = nullptr;
};

}  // namespace glimtap::platform
