// The hot key through the desktop portal's GlobalShortcuts on KDE Plasma's compositor, pressed
// through the compositor's own input (the RemoteDesktop portal's keyboard).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "platform/portal/portal_global_hot_key.h"
#include "support/poll_until.h"
#include "support/run_process.h"

namespace glimtap::test {
namespace {

TEST(PortalGlobalHotKeyTest, TheDesktopBindsThePreferredKeyAndHandsOverItsPresses) {
    for (int run = 0; run < 2; ++run) {  // the second time, the key the desktop kept
        const auto key = platform::PortalGlobalHotKey::Open();
        ASSERT_NE(key, nullptr);
        std::mutex mutex;
        std::string told;  // each key told, followed by ";"
        std::atomic<int> presses = 0;
        key->OnBound([&](const std::string& bound) {
            const std::lock_guard lock(mutex);
            told += bound + ";";
        });
        key->OnPressed([&] { ++presses; });
        EXPECT_TRUE(key->DesktopDecides());
        EXPECT_EQ(key->GrabFirstFree(), "");
        PollUntil([&] { return key->GrabFirstFree() != ""; });
        // Asked once: the key stays.
        EXPECT_EQ(key->GrabFirstFree(), "F6");
        // F6, F7, F6 by their evdev codes.
        const ProcessResult tapped = RunProcess({GLIMTAP_PRESS_KEYS, "64", "65", "64"});
        ASSERT_EQ(tapped.exitCode, 0) << tapped.err;
        PollUntil([&] { return presses >= 2; });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // for any press too many
        key->OnBound({});
        key->OnPressed({});
        EXPECT_EQ(presses, 2) << run;
        EXPECT_EQ(told, "F6;") << run;
    }
}

}  // namespace
}  // namespace glimtap::test
