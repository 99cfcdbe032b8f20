#include <X11/keysym.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>

#include "engine/data_file.h"
#include "platform/backends.h"
#include "support/bmp_writer.h"
#include "support/poll_until.h"
#include "support/x_drawing.h"
#include "support/x_input.h"
#include "support/xvfb_server.h"

namespace glimtap::test {
namespace {

// The window program as a user runs it, on an X server that goes away while it searches.
TEST(GlimtapLostDisplay, EndsWhenTheServerGoesDuringASearch) {
    TempDir home;
    XvfbServer server({"-screen", "0", "1280x1024x24"});
    const DisplayOverride display(server.display());

    // A template away from the window: the running search keeps moving the pointer onto it.
    const BmpPicture picture = RandomPicture(40, 30, 3);
    WriteBmp(home / "here.bmp", picture);
    DataFile data;
    data.settings.ResetToDefaults(platform::OpenBackends()->Geometry());
    data.settings.targetFolder = home.path();
    data.settings.moveCursorToMatch = 1, data.settings.matchDelayMs = 250;
    data.settings.autoStopEnabled = data.settings.speechAlerts = 0;
    SaveDataFile(home / "job.GlimtapDataFile", data);

    ChildProcess app({"/usr/bin/env", "XDG_CONFIG_HOME=" + (home / "config").string(),
                      "XDG_DATA_HOME=" + (home / "data").string(), GLIMTAP_APP,
                      (home / "job.GlimtapDataFile").string()});
    {
        ScreenPainter painter;
        painter.DrawOnRoot(1100, 900, 40, 30, picture.pixels);
        const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
        const auto pointerOnMatch = [&] {
            const std::optional<platform::Point> at = backends->MousePointer()->Position();
            return at && at->x >= 1100 && at->x < 1140 && at->y >= 900 && at->y < 930;
        };
        ASSERT_TRUE(PollUntil([] {
            return RunProcess({"/usr/bin/xwininfo", "-root", "-tree"}).out.find(" - Glimtap\"") !=
                   std::string::npos;
        })) << app.OutputSoFar();
        ASSERT_FALSE(pointerOnMatch());
        OtherClient().Tap(XK_F6);
        ASSERT_TRUE(PollUntil(pointerOnMatch)) << "the search did not start";
    }

    server.Stop();
    const std::optional<ProcessResult> ended = app.WaitFor(std::chrono::seconds(20));
    ASSERT_TRUE(ended) << "still running 20 s after its X server went";
    EXPECT_EQ(ended->exitCode, 2) << ended->err;  // as glimtap-cli
    // Only its own words: Qt's warnings (no sound server, say) are no news to the user.
    EXPECT_EQ(ended->err, "glimtap: the connection to the X server of display '" + server.display() + "' was lost\n");
}

// Ended by the session or Ctrl+C, the window removes the socket `glimtap --toggle` reaches.
TEST(GlimtapLostDisplay, EndsOnASignalRemovingItsSocket) {
    TempDir home;
    XvfbServer server({"-screen", "0", "1280x1024x24"});
    const DisplayOverride display(server.display());
    for (const int signal : {SIGTERM, SIGINT}) {
        ChildProcess app({"/usr/bin/env", "XDG_RUNTIME_DIR=" + home.path().string(),
                          "XDG_CONFIG_HOME=" + home.path().string(), GLIMTAP_APP});
        ASSERT_TRUE(PollUntil([&] { return std::filesystem::exists(home / "glimtap.socket"); }));
        kill(app.pid(), signal);
        const std::optional<ProcessResult> ended = app.WaitFor(std::chrono::seconds(20));
        EXPECT_TRUE(ended && ended->exitCode == 128 + signal) << "signal " << signal;
        EXPECT_FALSE(std::filesystem::exists(home / "glimtap.socket")) << "signal " << signal;
    }
}

// Without a display the window says in one line why it shows nothing and how to get a
// display; --version of either program names the backend and why it serves nothing.
TEST(GlimtapWithoutADisplay, SaysWhy) {
    const std::string none = "glimtap: there is no display to show the window on (neither "
                             "WAYLAND_DISPLAY nor DISPLAY is set): start it in a desktop";
    const std::string noX = " (backend: null; cannot open X display: DISPLAY is not set)\n";
    const std::tuple<const char*, const char*, int, std::string> cases[] = {  // backend, program
        {"", GLIMTAP_APP, 2, none}, {"null", GLIMTAP_APP, 2, none},
        {"x11", GLIMTAP_APP, 0, "glimtap " GLIMTAP_VERSION + noX},
        {"x11", GLIMTAP_CLI, 0, "glimtap-cli " GLIMTAP_VERSION + noX},
    };
    for (const auto& [backend, program, status, says] : cases) {
        const ProcessResult r = RunProcess({"/usr/bin/env", "-i", "GLIMTAP_BACKEND=" + std::string(backend),
                                            program, status == 0 ? "--version" : "job.GlimtapDataFile"});
        EXPECT_EQ(r.exitCode, status) << program << " " << backend;
        EXPECT_THAT(r.out + r.err, testing::StartsWith(says));
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), status == 0 ? 0 : 1) << r.err;
    }
}

}  // namespace
}  // namespace glimtap::test
