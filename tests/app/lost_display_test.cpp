#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "engine/data_file.h"
#include "platform/backends.h"
#include "support/bmp_writer.h"
#include "support/poll_until.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
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
    data.settings.moveCursorToMatch = 1;
    data.settings.matchDelayMs = 250;
    data.settings.autoStopEnabled = data.settings.speechAlerts = 0;
    SaveDataFile(home / "job.GlimtapDataFile", data);

    ChildProcess app({"/usr/bin/env", "XDG_CONFIG_HOME=" + (home / "config").string(),
                      "XDG_DATA_HOME=" + (home / "data").string(), GLIMTAP_APP,
                      (home / "job.GlimtapDataFile").string()});
    {
        ScreenPainter painter;
        painter.FillRoot(0);
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
    EXPECT_NE(ended->exitCode, -1) << "ended by a signal: " << ended->err;
    EXPECT_NE(ended->exitCode, 0) << ended->err;
}

}  // namespace
}  // namespace glimtap::test
