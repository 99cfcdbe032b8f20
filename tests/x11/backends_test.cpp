#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "platform/backends.h"
#include "support/bmp_writer.h"
#include "support/process_resources.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "support/xvfb_server.h"

namespace glimtap::test {
namespace {

using platform::BackendSet;

// A display number nothing listens on.
std::string AbsentDisplay() {
    for (int number = 4000;; ++number) {
        struct stat unused {};
        if (stat(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), &unused) != 0 &&
            stat(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), &unused) != 0) {
            return ":" + std::to_string(number);
        }
    }
}

struct Choice {
    std::string backend;  // GLIMTAP_BACKEND, "" for unset
    std::string display;  // DISPLAY; "live" for the test's server, "absent" for none there
    std::string name;
    std::string missing;  // part of Missing(); "" when nothing is
};

TEST(BackendsTest, PickedFromTheOverrideThenTheSessionAndNullSaysWhy) {
    const std::string live = std::getenv("DISPLAY");
    const std::string absent = AbsentDisplay();
    const Choice choices[] = {
        {"", "live", "x11", ""},
        {"x11", "live", "x11", ""},
        {"null", "live", "null", "GLIMTAP_BACKEND=null"},
        {"", "", "null", "neither WAYLAND_DISPLAY nor DISPLAY is set"},
        {"", "absent", "null", "cannot open X display '" + absent + "'"},
        {"x11", "absent", "null", absent},
        {"carrier-pigeon", "live", "null", "GLIMTAP_BACKEND='carrier-pigeon' is unknown"},
    };
    for (const Choice& choice : choices) {
        SCOPED_TRACE("GLIMTAP_BACKEND=" + choice.backend + " DISPLAY=" + choice.display);
        const EnvironmentOverride backend("GLIMTAP_BACKEND", choice.backend);
        const DisplayOverride display(choice.display == "live"     ? live
                                      : choice.display == "absent" ? absent
                                                                   : choice.display);
        const std::unique_ptr<BackendSet> backends = platform::OpenBackends();
        EXPECT_EQ(backends->Name(), choice.name);
        if (choice.missing.empty()) {
            EXPECT_EQ(backends->Missing(), "");
            EXPECT_NE(backends->OpenCapture(), nullptr);
            EXPECT_NE(backends->MousePointer(), nullptr);
            EXPECT_NE(backends->HotKey(), nullptr);
            continue;
        }
        EXPECT_THAT(backends->Missing(), testing::HasSubstr(choice.missing));
        EXPECT_FALSE(backends->CanCapture());
        EXPECT_EQ(backends->OpenCapture(), nullptr);
        EXPECT_EQ(backends->Geometry().VirtualScreenSize(), (platform::Size{0, 0}));
        EXPECT_EQ(backends->MousePointer(), nullptr);
        EXPECT_EQ(backends->Touch(), nullptr);
        EXPECT_EQ(backends->HotKey(), nullptr);
        EXPECT_EQ(backends->Locks(), nullptr);
        std::string error;
        EXPECT_FALSE(backends->AppLauncher().Launch(u"open", u"/", &error));
        EXPECT_THAT(error, testing::HasSubstr(choice.missing));
    }
}

// Six services, one client of the server, gone with the set.
TEST(BackendsTest, EveryX11ServiceSharesOneConnection) {
    const int before = CountProcessResources().xClients;
    {
        const std::unique_ptr<BackendSet> backends = platform::OpenBackends();
        const auto capture = backends->OpenCapture();
        ASSERT_NE(capture, nullptr);
        ASSERT_NE(capture->Capture({0, 0, 8, 8}), std::nullopt);
        ASSERT_TRUE(backends->MousePointer()->MoveTo(5, 5));
        ASSERT_NE(backends->Touch(), nullptr);
        ASSERT_NE(backends->HotKey(), nullptr);
        ASSERT_NE(backends->Locks()->State(), std::nullopt);
        EXPECT_GT(backends->Geometry().VirtualScreenSize().width, 0);
        EXPECT_EQ(CountProcessResources().xClients, before + 1);
    }
    EXPECT_EQ(CountProcessResources().xClients, before);
}

TEST(BackendsTest, CliWithTheNullBackendSaysThereIsNoScreen) {
    const TempDir dir;
    const std::string templ = (dir / "t.bmp").string();
    WriteBmp(templ, RandomPicture(4, 4, 1));
    const EnvironmentOverride backend("GLIMTAP_BACKEND", "null");
    const ProcessResult r = RunProcess({GLIMTAP_CLI, "find", "--template", templ, "--screen"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_THAT(r.err, testing::StartsWith("glimtap-cli: no screen available: "));
    EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace glimtap::test
