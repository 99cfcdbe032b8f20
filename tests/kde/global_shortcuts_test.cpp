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

TEST(PortalGlobalHotKeyTest, TheDesktopBindsThePreferredKeyAndItsPressesReachTheWindow) {
    for (int run = 0; run < 2; ++run) {  // the second time, the key the desktop kept
        const auto key = platform::PortalGlobalHotKey::Open();
        ASSERT_NE(key, nullptr);
        HotKeyWatcher watcher(key.get());
        QSignalSpy bound(&watcher, &HotKeyWatcher::bound);
        QSignalSpy pressed(&watcher, &HotKeyWatcher::pressed);
        EXPECT_TRUE(watcher.Pending());
        EXPECT_EQ(watcher.Grab(), "");
        ASSERT_TRUE(bound.wait(20000));
        EXPECT_FALSE(watcher.Pending());
        // Asked once: the key stays.
        EXPECT_EQ(watcher.Grab(), "F6");
        const ProcessResult tap = RunProcess({GLIMTAP_PRESS_KEYS, "64", "65", "64"});  // F6 F7 F6
        ASSERT_EQ(tap.exitCode, 0) << tap.err;
        EXPECT_TRUE(QTest::qWaitFor([&] { return pressed.size() >= 2; }, 20000));
        QTest::qWait(200);  // for any press or key too many
        EXPECT_EQ(pressed.size(), 2) << run;
        ASSERT_EQ(bound.size(), 1) << run;
        EXPECT_EQ(bound[0][0].toString(), "F6");
    }
}

}  // namespace
}  // namespace glimtap::test
