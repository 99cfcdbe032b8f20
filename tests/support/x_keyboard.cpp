#include "support/x_keyboard.h"

#include <xcb/xtest.h>

#include <stdexcept>
#include <string>

#include "platform/x11/xtest_support.h"

namespace glimtap::test {

using platform::Reply;

namespace {

// Auto-repeat shows as a release and a press with the same time stamp; a gap between
// taps keeps real presses apart from it.
constexpr uint32_t kTapGapMs = 3;

}  // namespace

OtherClient::OtherClient() : symbols_(xcb_key_symbols_alloc(connection_.Get())) {
    platform::RequireXTest(connection_.Get());
}

OtherClient::~OtherClient() {
    xcb_ungrab_key(connection_.Get(), XCB_GRAB_ANY, connection_.Root(), XCB_MOD_MASK_ANY);
    Sync();
}

bool OtherClient::GrabKey(xcb_keysym_t keysym, uint16_t modifiers) {
    xcb_connection_t* connection = connection_.Get();
    const Reply<xcb_generic_error_t> error{xcb_request_check(
        connection, xcb_grab_key_checked(connection, 1, connection_.Root(), modifiers,
                                         Keycode(keysym), XCB_GRAB_MODE_ASYNC,
                                         XCB_GRAB_MODE_ASYNC))};
    return error == nullptr;
}

void OtherClient::UngrabKey(xcb_keysym_t keysym, uint16_t modifiers) {
    xcb_ungrab_key(connection_.Get(), Keycode(keysym), connection_.Root(), modifiers);
    Sync();
}

void OtherClient::Tap(xcb_keysym_t keysym) {
    FakeKey(XCB_KEY_PRESS, keysym, kTapGapMs);
    FakeKey(XCB_KEY_RELEASE, keysym, kTapGapMs);
    Sync();
}

void OtherClient::Hold(xcb_keysym_t keysym, uint32_t milliseconds) {
    FakeKey(XCB_KEY_PRESS, keysym, kTapGapMs);
    // XTest's time field delays the event; the server puts only this client to sleep.
    FakeKey(XCB_KEY_RELEASE, keysym, milliseconds);
    Sync();
}

uint16_t OtherClient::ModifierState() {
    xcb_connection_t* connection = connection_.Get();
    const Reply<xcb_query_pointer_reply_t> pointer{xcb_query_pointer_reply(
        connection, xcb_query_pointer(connection, connection_.Root()), nullptr)};
    if (pointer == nullptr) throw std::runtime_error("QueryPointer failed");
    return pointer->mask;
}

xcb_keycode_t OtherClient::Keycode(xcb_keysym_t keysym) {
    const Reply<xcb_keycode_t> keycodes{xcb_key_symbols_get_keycode(symbols_.get(), keysym)};
    if (keycodes == nullptr || *keycodes == XCB_NO_SYMBOL) {
        throw std::runtime_error("no key for keysym " + std::to_string(keysym));
    }
    return *keycodes;
}

void OtherClient::FakeKey(uint8_t type, xcb_keysym_t keysym, uint32_t delayMs) {
    xcb_test_fake_input(connection_.Get(), type, Keycode(keysym), delayMs, XCB_NONE, 0, 0, 0);
}

void OtherClient::Sync() {
    xcb_connection_t* connection = connection_.Get();
    const Reply<xcb_get_input_focus_reply_t> ignored{
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr)};
}

}  // namespace glimtap::test
