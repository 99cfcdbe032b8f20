#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/global_hot_key.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::platform {

// Passive key grabs on the root window of the display named by $DISPLAY. The server
// refuses a grab another client holds, which is how a taken key shows.
class X11GlobalHotKey : public GlobalHotKey {
public:
    // Throws Unavailable when the display cannot be opened.
    X11GlobalHotKey();
    ~X11GlobalHotKey() override;
    X11GlobalHotKey(const X11GlobalHotKey&) = delete;
    X11GlobalHotKey& operator=(const X11GlobalHotKey&) = delete;

    std::string GrabFirstFree() override;
    int EventFd() const override;
    int Dispatch() override;

private:
    // Every keycode with every modifier combination, or nothing.
    bool GrabAll(const std::vector<xcb_keycode_t>& keycodes,
                 const std::vector<uint16_t>& modifiers);
    void UngrabAll(const std::vector<xcb_keycode_t>& keycodes,
                   const std::vector<uint16_t>& modifiers);
    void Release();
    bool Holds(xcb_keycode_t keycode) const;

    X11Connection connection_;
    // What is grabbed now; both empty when no key is held.
    std::vector<xcb_keycode_t> keycodes_;
    std::vector<uint16_t> modifiers_;
    // The server repeats a held key as a release and a press with the same time stamp.
    std::optional<xcb_timestamp_t> lastRelease_;
};

}  // namespace glimtap::platform
