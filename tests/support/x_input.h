#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdint>
#include <memory>

#include "platform/x11/x11_connection.h"

namespace glimtap::test {

// Another program on the display named by $DISPLAY, on a connection of its own: it holds key
// grabs, and types and moves the mouse through XTest like the user. Every call returns once
// the server has carried it out.
class OtherClient {
public:
    // Throws platform::Unavailable when the display cannot be opened or lacks XTest.
    OtherClient();
    // Lets go of every key grabbed, so that the next test finds them free.
    ~OtherClient();

    // True when the server granted the grab of the key with exactly these modifiers.
    bool GrabKey(xcb_keysym_t keysym, uint16_t modifiers);
    void UngrabKey(xcb_keysym_t keysym, uint16_t modifiers);

    // A press and a release, each a few milliseconds after what came before, so that the
    // server cannot take them for auto-repeat.
    void Tap(xcb_keysym_t keysym);
    // Keeps the key down for `milliseconds`, long enough for the server to repeat it.
    void Hold(xcb_keysym_t keysym, uint32_t milliseconds);
    // The modifiers in effect now (Lock while Caps Lock is on, and so on).
    uint16_t ModifierState();

    void MoveTo(int32_t x, int32_t y);
    void PressLeft() { Fake(XCB_BUTTON_PRESS, 1); }
    void ReleaseLeft() { Fake(XCB_BUTTON_RELEASE, 1); }
    // Press here, move there through a point on the way, and, when asked, let go.
    void Drag(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, bool release = true);
    void Click(int32_t x, int32_t y);

private:
    struct FreeKeySymbols {
        void operator()(xcb_key_symbols_t* symbols) const noexcept { xcb_key_symbols_free(symbols); }
    };

    xcb_keycode_t Keycode(xcb_keysym_t keysym);
    // A fake event `delayMs` after the one before; motion alone takes a position.
    void Fake(uint8_t type, uint8_t detail, uint32_t delayMs = 0, int32_t x = 0, int32_t y = 0);

    platform::X11Connection connection_;
    std::unique_ptr<xcb_key_symbols_t, FreeKeySymbols> symbols_;
};

}  // namespace glimtap::test
