#include "ui/hot_key_watcher.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "platform/backends.h"
#include "support/modal_driver.h"
#include "support/x_keyboard.h"
#include "support/xvfb_server.h"

namespace glimtap::test {
namespace {

TEST(HotKeyWatcherTest, SignalsEachPressOfItsKeyFromTheEventLoop) {
    OtherClient keyboard;
    HotKeyWatcher watcher;
    QSignalSpy pressed(&watcher, &HotKeyWatcher::pressed);
    ASSERT_EQ(watcher.Grab(), "F6");

    keyboard.Tap(XK_F6);
    ASSERT_TRUE(ProcessEventsUntil([&] { return pressed.count() >= 1; }));
    EXPECT_EQ(pressed.count(), 1);

    keyboard.Tap(XK_F6);
    keyboard.Tap(XK_F7);
    keyboard.Tap(XK_F6);
    // Grabbing again waits for the server and so reads every press made so far; none of
    // them may be lost or doubled, and none is signalled before Grab returns.
    ASSERT_EQ(watcher.Grab(), "F6");
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_TRUE(ProcessEventsUntil([&] { return pressed.count() >= 3; }));
    EXPECT_EQ(pressed.count(), 3);
}

TEST(HotKeyWatcherTest, GrabsTheFirstKeyNoOtherClientHolds) {
    OtherClient blocker;
    OtherClient keyboard;
    ASSERT_TRUE(blocker.GrabKey(XK_F6, 0));
    HotKeyWatcher watcher;
    QSignalSpy pressed(&watcher, &HotKeyWatcher::pressed);
    EXPECT_EQ(watcher.Grab(), "F7");
    keyboard.Tap(XK_F7);
    EXPECT_TRUE(ProcessEventsUntil([&] { return pressed.count() >= 1; }));

    blocker.UngrabKey(XK_F6, 0);
    EXPECT_EQ(watcher.Grab(), "F6");
    EXPECT_TRUE(keyboard.GrabKey(XK_F7, 0));
}

TEST(HotKeyWatcherTest, GrabsNothingWhileOtherClientsHoldEveryKey) {
    OtherClient blocker;
    for (xcb_keysym_t key : {XK_F6, XK_F7, XK_F8, XK_F9, XK_F10, XK_F11, XK_F12}) {
        ASSERT_TRUE(blocker.GrabKey(key, 0));
    }
    HotKeyWatcher watcher;
    EXPECT_EQ(watcher.Grab(), "");
}

TEST(HotKeyWatcherTest, HoldsNoKeyWithoutADisplay) {
    const DisplayOverride noDisplay("");
    EXPECT_THROW(platform::OpenGlobalHotKey(), platform::Unavailable);
    HotKeyWatcher watcher;
    QSignalSpy pressed(&watcher, &HotKeyWatcher::pressed);
    EXPECT_EQ(watcher.Grab(), "");
    QCoreApplication::processEvents();
    EXPECT_EQ(pressed.count(), 0);
}

}  // namespace
}  // namespace glimtap::test
