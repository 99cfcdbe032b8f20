#include "support/x_input.h"

#include <xcb/xtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "platform/x11/xtest_support.h"
#include "support/x_drawing.h"

namespace glimtap::test {

// Auto-repeat shows as a release and a press with the same time stamp; a gap between taps
// keeps real presses apart from it.
constexpr uint32_t kTapGapMs = 3;

OtherClient::OtherClient() : symbols_(xcb_key_symbols_alloc(connection_.Get())) {
    platform::RequireXTest(connection_.Get());
}

OtherClient::~OtherClient() {
    xcb_ungrab_key(connection_.Get(), XCB_GRAB_ANY, connection_.Root(), XCB_MOD_MASK_ANY);
    // A round trip, without throwing: the server may be gone.
    free(xcb_get_input_focus_reply(connection_.Get(), xcb_get_input_focus(connection_.Get()), nullptr));
}

bool OtherClient::GrabKey(xcb_keysym_t keysym, uint16_t modifiers) {
    const platform::Reply<xcb_generic_error_t> error{xcb_request_check(
        connection_.Get(), xcb_grab_key_checked(connection_.Get(), 1, connection_.Root(), modifiers,
                                                Keycode(keysym), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC))};
    return error == nullptr;
}

void OtherClient::UngrabKey(xcb_keysym_t keysym, uint16_t modifiers) {
    xcb_ungrab_key(connection_.Get(), Keycode(keysym), connection_.Root(), modifiers);
    SyncWithServer(connection_.Get());
}

void OtherClient::Tap(xcb_keysym_t keysym) { Hold(keysym, kTapGapMs); }

void OtherClient::Hold(xcb_keysym_t keysym, uint32_t milliseconds) {
    Fake(XCB_KEY_PRESS, Keycode(keysym), kTapGapMs);
    // XTest's time field delays the event; the server puts only this client to sleep.
    Fake(XCB_KEY_RELEASE, Keycode(keysym), milliseconds);
}

uint16_t OtherClient::ModifierState() {
    xcb_connection_t* connection = connection_.Get();
    const platform::Reply<xcb_query_pointer_reply_t> pointer{
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, connection_.Root()), nullptr)};
    if (pointer == nullptr) throw std::runtime_error("QueryPointer failed");
    return pointer->mask;
}

void OtherClient::MoveTo(int32_t x, int32_t y) { Fake(XCB_MOTION_NOTIFY, 0, 0, x, y); }

void OtherClient::Drag(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, bool release) {
    MoveTo(fromX, fromY);
    PressLeft();
    MoveTo((fromX + toX) / 2, (fromY + toY) / 2);
    MoveTo(toX, toY);
    if (release) ReleaseLeft();
}

void OtherClient::Click(int32_t x, int32_t y) {
    MoveTo(x, y);
    PressLeft();
    ReleaseLeft();
}

xcb_keycode_t OtherClient::Keycode(xcb_keysym_t keysym) {
    const platform::Reply<xcb_keycode_t> keycodes{xcb_key_symbols_get_keycode(symbols_.get(), keysym)};
    if (keycodes == nullptr || *keycodes == XCB_NO_SYMBOL)
        throw std::runtime_error("no key for keysym " + std::to_string(keysym));
    return *keycodes;
}

void OtherClient::Fake(uint8_t type, uint8_t detail, uint32_t delayMs, int32_t x, int32_t y) {
    xcb_test_fake_input(connection_.Get(), type, detail, delayMs, connection_.Root(),
                        platform::ToXCoordinate(x), platform::ToXCoordinate(y), 0);
    SyncWithServer(connection_.Get());
}

}  // namespace glimtap::test
