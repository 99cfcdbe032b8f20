#include "platform/x11/x11_global_hot_key.h"

#include <X11/keysym.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

namespace glimtap::platform {
namespace {

struct FunctionKey {
    const char* name;
    xcb_keysym_t keysym;
};

// In the order they are tried.
constexpr std::array<FunctionKey, 7> kFunctionKeys = {{
    {"F6", XK_F6},
    {"F7", XK_F7},
    {"F8", XK_F8},
    {"F9", XK_F9},
    {"F10", XK_F10},
    {"F11", XK_F11},
    {"F12", XK_F12},
}};

struct FreeKeySymbols {
    void operator()(xcb_key_symbols_t* symbols) const noexcept { xcb_key_symbols_free(symbols); }
};
using KeySymbols = std::unique_ptr<xcb_key_symbols_t, FreeKeySymbols>;

std::vector<xcb_keycode_t> KeycodesOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    std::vector<xcb_keycode_t> keycodes;
    const Reply<xcb_keycode_t> found{xcb_key_symbols_get_keycode(symbols, keysym)};
    if (found == nullptr) return keycodes;
    for (const xcb_keycode_t* keycode = found.get(); *keycode != XCB_NO_SYMBOL; ++keycode) {
        keycodes.push_back(*keycode);
    }
    // A keysym on several levels of one key lists that key more than once.
    std::sort(keycodes.begin(), keycodes.end());
    keycodes.erase(std::unique(keycodes.begin(), keycodes.end()), keycodes.end());
    return keycodes;
}

// The modifier bit Num Lock sets on this keyboard; 0 when no modifier carries it.
uint16_t NumLockMask(xcb_connection_t* connection, xcb_key_symbols_t* symbols) {
    const std::vector<xcb_keycode_t> numLock = KeycodesOf(symbols, XK_Num_Lock);
    const Reply<xcb_get_modifier_mapping_reply_t> mapping{xcb_get_modifier_mapping_reply(
        connection, xcb_get_modifier_mapping(connection), nullptr)};
    if (numLock.empty() || mapping == nullptr) return 0;
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
            if (std::find(numLock.begin(), numLock.end(), keycode) != numLock.end()) {
                return static_cast<uint16_t>(1U << modifier);
            }
        }
    }
    return 0;
}

// The key must work whether or not Caps Lock and Num Lock are on, and a grab matches only
// the exact modifier state it names.
std::vector<uint16_t> LockCombinations(uint16_t numLock) {
    std::vector<uint16_t> combinations = {0, XCB_MOD_MASK_LOCK};
    if (numLock != 0 && numLock != XCB_MOD_MASK_LOCK) {
        combinations.push_back(numLock);
        combinations.push_back(static_cast<uint16_t>(numLock | XCB_MOD_MASK_LOCK));
    }
    return combinations;
}

}  // namespace

X11GlobalHotKey::X11GlobalHotKey(const X11Connection& connection)
    : connection_(connection), wakeWindow_(xcb_generate_id(connection.Get())) {
    xcb_create_window(connection_.Get(), XCB_COPY_FROM_PARENT, wakeWindow_, connection_.Root(),
                      0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0,
                      nullptr);
    xcb_flush(connection_.Get());
    waiter_ = std::thread([this] { WaitForEvents(); });
}

X11GlobalHotKey::~X11GlobalHotKey() {
    xcb_connection_t* connection = connection_.Get();
    xcb_client_message_event_t wake{};
    wake.response_type = XCB_CLIENT_MESSAGE;
    wake.format = 32;
    wake.window = wakeWindow_;
    xcb_send_event(connection, 0, wakeWindow_, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&wake));
    xcb_flush(connection);
    waiter_.join();
    xcb_destroy_window(connection, wakeWindow_);
    const std::lock_guard lock(mutex_);
    Release();
}

std::string X11GlobalHotKey::GrabFirstFree() {
    const std::lock_guard lock(mutex_);
    Release();
    lastRelease_.reset();
    xcb_connection_t* connection = connection_.Get();
    // Read afresh each time: the keyboard mapping may have changed since the last grab.
    const KeySymbols symbols{xcb_key_symbols_alloc(connection)};
    if (symbols == nullptr) return "";
    const std::vector<uint16_t> modifiers =
        LockCombinations(NumLockMask(connection, symbols.get()));
    for (const FunctionKey& key : kFunctionKeys) {
        const std::vector<xcb_keycode_t> keycodes = KeycodesOf(symbols.get(), key.keysym);
        if (keycodes.empty() || !GrabAll(keycodes, modifiers)) continue;
        keycodes_ = keycodes;
        modifiers_ = modifiers;
        return key.name;
    }
    return "";
}

void X11GlobalHotKey::OnPressed(Pressed pressed) {
    const std::lock_guard lock(mutex_);
    pressed_ = std::move(pressed);
}

void X11GlobalHotKey::WaitForEvents() {
    // xcb hands this thread the events that replies read on other threads brought along.
    // Null once the connection has broken: no key can be pressed any more.
    while (const Reply<xcb_generic_event_t> event{xcb_wait_for_event(connection_.Get())}) {
        if (Handle(*event)) return;
    }
}

bool X11GlobalHotKey::Handle(const xcb_generic_event_t& event) {
    // The top bit only says the event was sent by a client.
    const uint8_t type = event.response_type & 0x7F;
    if (type == XCB_CLIENT_MESSAGE) {
        return reinterpret_cast<const xcb_client_message_event_t&>(event).window == wakeWindow_;
    }
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) return false;
    const auto& key = reinterpret_cast<const xcb_key_press_event_t&>(event);
    const std::lock_guard lock(mutex_);
    if (!Holds(key.detail)) return false;
    if (type == XCB_KEY_RELEASE) {
        lastRelease_ = key.time;
        return false;
    }
    const bool repeated = lastRelease_ == key.time;
    lastRelease_.reset();
    if (!repeated && pressed_) pressed_();
    return false;
}

bool X11GlobalHotKey::GrabAll(const std::vector<xcb_keycode_t>& keycodes,
                              const std::vector<uint16_t>& modifiers) {
    xcb_connection_t* connection = connection_.Get();
    std::vector<xcb_void_cookie_t> grabs;
    for (xcb_keycode_t keycode : keycodes) {
        for (uint16_t modifier : modifiers) {
            grabs.push_back(xcb_grab_key_checked(connection, 1, connection_.Root(), modifier,
                                                 keycode, XCB_GRAB_MODE_ASYNC,
                                                 XCB_GRAB_MODE_ASYNC));
        }
    }
    bool granted = true;
    for (xcb_void_cookie_t grab : grabs) {
        const Reply<xcb_generic_error_t> error{xcb_request_check(connection, grab)};
        if (error != nullptr) granted = false;
    }
    // A lost connection reports no errors at all.
    if (xcb_connection_has_error(connection) != 0) return false;
    // Ungrabbing touches only this client's grabs, so the refused ones are left alone.
    if (!granted) UngrabAll(keycodes, modifiers);
    return granted;
}

void X11GlobalHotKey::UngrabAll(const std::vector<xcb_keycode_t>& keycodes,
                                const std::vector<uint16_t>& modifiers) {
    for (xcb_keycode_t keycode : keycodes) {
        for (uint16_t modifier : modifiers) {
            xcb_ungrab_key(connection_.Get(), keycode, connection_.Root(), modifier);
        }
    }
}

void X11GlobalHotKey::Release() {
    if (keycodes_.empty()) return;
    UngrabAll(keycodes_, modifiers_);
    // Waited for, so that other programs can take the key as soon as this returns, even
    // when the connection closes next.
    xcb_connection_t* connection = connection_.Get();
    const Reply<xcb_get_input_focus_reply_t> ignored{
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr)};
    keycodes_.clear();
    modifiers_.clear();
}

bool X11GlobalHotKey::Holds(xcb_keycode_t keycode) const {
    return std::find(keycodes_.begin(), keycodes_.end(), keycode) != keycodes_.end();
}

}  // namespace glimtap::platform
