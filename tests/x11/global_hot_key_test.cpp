#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <array>
#include <memory>

#include "platform/backends.h"
#include "support/x_keyboard.h"

namespace glimtap::test {
namespace {

// Num Lock's modifier on the server's default keyboard map.
constexpr uint16_t kNumLock = XCB_MOD_MASK_2;
constexpr uint16_t kLock = XCB_MOD_MASK_LOCK;

constexpr std::array<xcb_keysym_t, 7> kFunctionKeys = {XK_F6,  XK_F7,  XK_F8, XK_F9,
                                                       XK_F10, XK_F11, XK_F12};

// Grabbing waits for the server's answers, and every event the server sent before them has
// arrived by then: grabbing F6 again gathers all presses made so far.
int PressesSoFar(platform::GlobalHotKey& hotKey) {
    EXPECT_EQ(hotKey.GrabFirstFree(), "F6");
    return hotKey.Dispatch();
}

TEST(GlobalHotKeyTest, HoldsTheFirstKeyWithEveryLockStateUntilDestroyed) {
    OtherClient bystander;
    {
        const std::unique_ptr<platform::GlobalHotKey> hotKey = platform::OpenGlobalHotKey();
        EXPECT_EQ(hotKey->GrabFirstFree(), "F6");
        EXPECT_FALSE(bystander.GrabKey(XK_F6, 0));
        EXPECT_FALSE(bystander.GrabKey(XK_F6, kLock));
        EXPECT_FALSE(bystander.GrabKey(XK_F6, kNumLock));
        EXPECT_FALSE(bystander.GrabKey(XK_F6, kLock | kNumLock));
        // Grabbing again lets go first, so it is not refused by its own grab.
        EXPECT_EQ(hotKey->GrabFirstFree(), "F6");
    }
    EXPECT_TRUE(bystander.GrabKey(XK_F6, 0));
    EXPECT_TRUE(bystander.GrabKey(XK_F6, kLock | kNumLock));
}

TEST(GlobalHotKeyTest, MovesOnFromKeysOtherClientsHoldAndBackWhenTheyLetGo) {
    OtherClient blocker;
    OtherClient bystander;
    // Held by another client with one lock state only: still taken.
    ASSERT_TRUE(blocker.GrabKey(XK_F6, kLock));
    const std::unique_ptr<platform::GlobalHotKey> hotKey = platform::OpenGlobalHotKey();
    EXPECT_EQ(hotKey->GrabFirstFree(), "F7");
    // The lock states of F6 grabbed before the refusal were let go.
    EXPECT_TRUE(bystander.GrabKey(XK_F6, 0));
    EXPECT_TRUE(bystander.GrabKey(XK_F6, kNumLock));
    bystander.UngrabKey(XK_F6, 0);
    bystander.UngrabKey(XK_F6, kNumLock);
    EXPECT_FALSE(bystander.GrabKey(XK_F7, kLock | kNumLock));

    blocker.UngrabKey(XK_F6, kLock);
    EXPECT_EQ(hotKey->GrabFirstFree(), "F6");
    EXPECT_TRUE(bystander.GrabKey(XK_F7, 0));
    EXPECT_TRUE(bystander.GrabKey(XK_F7, kLock | kNumLock));
}

TEST(GlobalHotKeyTest, HoldsNoKeyWhenOtherClientsHoldAll) {
    OtherClient blocker;
    for (xcb_keysym_t key : kFunctionKeys) ASSERT_TRUE(blocker.GrabKey(key, 0));
    const std::unique_ptr<platform::GlobalHotKey> hotKey = platform::OpenGlobalHotKey();
    EXPECT_EQ(hotKey->GrabFirstFree(), "");
    blocker.UngrabKey(XK_F12, 0);
    EXPECT_EQ(hotKey->GrabFirstFree(), "F12");
}

TEST(GlobalHotKeyTest, CountsEachPressOfTheHeldKeyOnce) {
    OtherClient keyboard;
    const std::unique_ptr<platform::GlobalHotKey> hotKey = platform::OpenGlobalHotKey();
    ASSERT_EQ(hotKey->GrabFirstFree(), "F6");

    keyboard.Tap(XK_F6);
    keyboard.Tap(XK_F7);
    keyboard.Tap(XK_F6);
    keyboard.Tap(XK_F6);
    EXPECT_EQ(PressesSoFar(*hotKey), 3);

    // With Caps Lock and Num Lock on, and with Caps Lock alone.
    keyboard.Tap(XK_Caps_Lock);
    keyboard.Tap(XK_Num_Lock);
    ASSERT_EQ(keyboard.ModifierState() & (kLock | kNumLock), kLock | kNumLock);
    keyboard.Tap(XK_F6);
    keyboard.Tap(XK_F6);
    keyboard.Tap(XK_Num_Lock);
    ASSERT_EQ(keyboard.ModifierState() & (kLock | kNumLock), kLock);
    keyboard.Tap(XK_F6);
    keyboard.Tap(XK_Caps_Lock);
    ASSERT_EQ(keyboard.ModifierState() & (kLock | kNumLock), 0);
    EXPECT_EQ(PressesSoFar(*hotKey), 3);

    // Held well past the keyboard's repeat delay: the server repeats it, but that is still
    // one press.
    keyboard.Hold(XK_F6, 1500);
    EXPECT_EQ(PressesSoFar(*hotKey), 1);
    keyboard.Tap(XK_F6);
    EXPECT_EQ(PressesSoFar(*hotKey), 1);
}

}  // namespace
}  // namespace glimtap::test
