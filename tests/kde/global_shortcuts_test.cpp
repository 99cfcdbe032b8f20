// The hot key through the desktop portal's GlobalShortcuts on KDE Plasma's compositor, pressed
// through the compositor's own input (the RemoteDesktop portal's keyboard).
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "platform/portal/portal_global_hot_key.h"
#include "support/run_process.h"
#include "ui/hot_key_watcher.h"

namespace glimtap::test {
namespace {

TEST(PortalGlobalHotKeyTest, TheDesktopBindsThePreferredKeyTellsItsChangesAndHandsOverPresses) {
    const auto key = platform::PortalGlobalHotKey::Open();
    ASSERT_NE(key, nullptr);
    HotKeyWatcher watcher(key.get());
    QSignalSpy bound(&watcher, &HotKeyWatcher::bound);
    QSignalSpy pressed(&watcher, &HotKeyWatcher::pressed);
    EXPECT_TRUE(watcher.Pending());
    EXPECT_EQ(watcher.Grab(), "");
    ASSERT_TRUE(bound.wait(20000));
    EXPECT_FALSE(watcher.Pending());
    EXPECT_EQ(watcher.Grab(), "F6");  // asked once: the key stays
    EXPECT_EQ(RunProcess({GLIMTAP_PRESS_KEYS, "64", "65", "64"}).err, "");  // F6 F7 F6 (evdev)
    EXPECT_TRUE(QTest::qWaitFor([&] { return pressed.size() >= 2; }, 20000));
    // The user gives it F7 (Qt's key 0x01000036) in the desktop's settings.
    EXPECT_EQ(RunProcess({"busctl", "--user", "call", "org.kde.kglobalaccel", "/kglobalaccel",
                          "org.kde.KGlobalAccel", "setForeignShortcut", "asai", "4", "glimtap",
                          "start-stop", "glimtap", "Start/Stop search", "1", "16777270"}).err, "");
    ASSERT_TRUE(bound.wait(20000));
    EXPECT_EQ(watcher.Grab(), "F7");
    EXPECT_EQ(RunProcess({GLIMTAP_PRESS_KEYS, "64", "65"}).err, "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return pressed.size() >= 3; }, 20000));
    QTest::qWait(200);  // for any press or key too many
    EXPECT_EQ(pressed.size(), 3);
    EXPECT_EQ(bound.size(), 2);
}

}  // namespace
}  // namespace glimtap::test
