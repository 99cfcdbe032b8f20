#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/global_hot_key.h"
#include "platform/x11/x11_connection.h"

namespace glimtap::platform {

// Passive key grabs on the root window of an X display. The server refuses a grab another
// client holds, which is how a taken key shows. A thread of its own waits for the
// connection's events (the only service of the connection that asks for any).
class X11GlobalHotKey : public GlobalHotKey {
public:
    explicit X11GlobalHotKey(const X11Connection& connection);
    ~X11GlobalHotKey() override;
    X11GlobalHotKey(const X11GlobalHotKey&) = delete;
    X11GlobalHotKey& operator=(const X11GlobalHotKey&) = delete;

    std::string GrabFirstFree() override;
    void OnPressed(Pressed pressed) override;

private:
    void WaitForEvents();
    // True when the event ends the waiting.
    bool Handle(const xcb_generic_event_t& event);
    // Every keycode with every modifier combination, or nothing.
    bool GrabAll(const std::vector<xcb_keycode_t>& keycodes,
                 const std::vector<uint16_t>& modifiers);
    void UngrabAll(const std::vector<xcb_keycode_t>& keycodes,
                   const std::vector<uint16_t>& modifiers);
    void Release();
    bool Holds(xcb_keycode_t keycode) const;

    const X11Connection& connection_;
    // Never mapped: the waiting thread is told to end by a message sent to it.
    xcb_window_t wakeWindow_;
    std::mutex mutex_;  // guards what follows, shared with the waiting thread
    Pressed pressed_;
    // What is grabbed now; both empty when no key is held.
    std::vector<xcb_keycode_t> keycodes_;
    std::vector<uint16_t> modifiers_;
    // The server repeats a held key as a release and a press with the same time stamp.
    std::optional<xcb_timestamp_t> lastRelease_;
    std::thread waiter_;  // last: it uses every member above
};

}  // namespace glimtap::platform
