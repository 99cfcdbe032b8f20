#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/backends.h"
#include "support/poll_until.h"
#include "support/x_input.h"

namespace glimtap::test {
namespace {

// Num Lock's modifier on the server's default keyboard map.
constexpr uint16_t kNumLock = XCB_MOD_MASK_2, kLock = XCB_MOD_MASK_LOCK;

// The hot key of a backend set of its own, counting the presses it hands over.
struct CountedHotKey {
    CountedHotKey() { key.OnPressed([this] { ++presses; }); }
    ~CountedHotKey() { key.OnPressed({}); }

    // Waits for `expected` presses, then a while longer for any that should not come.
    int PressesSettledAt(int expected) {
        PollUntil([&] { return presses >= expected; }, std::chrono::seconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return presses.exchange(0);
    }

    std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    platform::GlobalHotKey& key = *backends->HotKey();
    std::atomic<int> presses = 0;
};

TEST(GlobalHotKeyTest, TakesTheFirstFreeKeyWithEveryLockStateAndLetsGoWhenDestroyed) {
    OtherClient blocker, bystander;
    // Held by another client with one lock state only: still taken.
    ASSERT_TRUE(blocker.GrabKey(XK_F6, kLock));
    {
        CountedHotKey hotKey;
        EXPECT_EQ(hotKey.key.GrabFirstFree(), "F7");
        // The lock states of F6 grabbed before the refusal were let go.
        EXPECT_TRUE(bystander.GrabKey(XK_F6, kNumLock));
        bystander.UngrabKey(XK_F6, kNumLock);
        for (const int locks : {0, int{kLock}, int{kNumLock}, kLock | kNumLock})
            EXPECT_FALSE(bystander.GrabKey(XK_F7, static_cast<uint16_t>(locks))) << locks;
        blocker.UngrabKey(XK_F6, kLock);
        // Grabbing again lets go first, so it is not refused by its own grab.
        EXPECT_EQ(hotKey.key.GrabFirstFree(), "F6");
        EXPECT_EQ(hotKey.key.GrabFirstFree(), "F6");
        EXPECT_TRUE(bystander.GrabKey(XK_F7, kLock | kNumLock));
    }
    EXPECT_TRUE(bystander.GrabKey(XK_F6, kLock | kNumLock));
    for (xcb_keysym_t key : {XK_F7, XK_F8, XK_F9, XK_F10, XK_F11, XK_F12}) ASSERT_TRUE(blocker.GrabKey(key, 0));
    CountedHotKey none;
    EXPECT_EQ(none.key.GrabFirstFree(), "");
}

// Only the held key, also with Caps Lock and Num Lock on; held well past the keyboard's
// repeat delay, the server repeats it, but that is still one press.
TEST(GlobalHotKeyTest, HandsOverEachPressOfTheHeldKeyOnce) {
    OtherClient keyboard;
    CountedHotKey hotKey;
    ASSERT_EQ(hotKey.key.GrabFirstFree(), "F6");
    for (const xcb_keysym_t key : {XK_F6, XK_F7, XK_Caps_Lock, XK_Num_Lock}) keyboard.Tap(key);
    ASSERT_EQ(keyboard.ModifierState() & (kLock | kNumLock), kLock | kNumLock);
    for (const xcb_keysym_t key : {XK_F6, XK_Num_Lock, XK_Caps_Lock}) keyboard.Tap(key);
    EXPECT_EQ(hotKey.PressesSettledAt(2), 2);
    keyboard.Hold(XK_F6, 1500);
    EXPECT_EQ(hotKey.PressesSettledAt(1), 1);
}

}  // namespace
}  // namespace glimtap::test
