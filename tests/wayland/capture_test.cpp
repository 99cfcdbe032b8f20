#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/backends.h"
#include "support/bmp_writer.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "support/wayland_test_window.h"
#include "support/xvfb_server.h"

namespace glimtap::test {
namespace {

using platform::ScreenRect;
using testing::HasSubstr;

// A picture without repeats, different on each output.
uint32_t Noise(int32_t x, int32_t y, uint32_t seed) {
    return ((static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^ seed) *
            2654435761u) >> 8;
}
uint32_t Left(int32_t x, int32_t y) { return Noise(x, y, 1); }
uint32_t Right(int32_t x, int32_t y) { return Noise(x, y, 2); }

// What the desktop shows at (x, y): HEADLESS-2 lies right of HEADLESS-1, top-aligned.
uint32_t Shown(int32_t x, int32_t y) {
    if (x >= 0 && x < 1920 && y >= 0 && y < 1080) return Left(x, y);
    if (x >= 1920 && x < 3200 && y >= 0 && y < 720) return Right(x - 1920, y);
    return 0;
}

class WaylandCaptureTest : public testing::Test {
protected:
    WaylandTestWindow left_{"HEADLESS-1", Left};
    WaylandTestWindow right_{"HEADLESS-2", Right};
    std::unique_ptr<platform::BackendSet> backends_ = platform::OpenBackends();
};

TEST_F(WaylandCaptureTest, CopiesExactPixelsAndStitchesOutputs) {
    ASSERT_EQ(backends_->Name(), "wayland") << backends_->Missing();
    EXPECT_EQ(backends_->Geometry().VirtualScreen(), (ScreenRect{0, 0, 3200, 1080}));
    const auto capture = backends_->OpenCapture();
    ASSERT_NE(capture, nullptr);
    const std::pair<ScreenRect, ScreenRect> cases[] = {  // area, what is captured
        {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
        {{101, 53, 400, 300}, {101, 53, 400, 300}},
        {{-10, -20, 50, 60}, {0, 0, 40, 40}},
        {{1000, 700, 99999, 99999}, {1000, 700, 2200, 380}},  // black below HEADLESS-2
        {{1900, 700, 40, 30}, {1900, 700, 40, 30}},           // across both, a corner in neither
        {{-99999, -99999, 199999, 199999}, {0, 0, 3200, 1080}},
    };
    for (const auto& [area, expected] : cases) {
        SCOPED_TRACE(testing::Message() << area.left << "," << area.top << " " << area.width);
        const auto image = capture->Capture(area);
        ASSERT_TRUE(image);
        ASSERT_EQ((ScreenRect{image->left, image->top, image->width, image->height}), expected);
        int wrong = 0;
        for (int32_t y = 0; y < image->height; ++y) {
            for (int32_t x = 0; x < image->width; ++x) {
                const uint32_t got = image->pixels[y * image->width + x] & 0xffffff;
                wrong += got != Shown(image->left + x, image->top + y);
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    EXPECT_EQ(capture->Capture({5000, 0, 10, 10})->width, 0);
}

// sway 1.7 cannot unplug or disable a headless output, but it can add and move one.
TEST_F(WaylandCaptureTest, FollowsOutputsThatComeAndMove) {
    const auto capture = backends_->OpenCapture();
    ASSERT_NE(capture, nullptr);
    const ScreenRect beyond{3200, 0, 100, 100};
    EXPECT_EQ(capture->Capture(beyond)->width, 0);
    ASSERT_EQ(std::system("swaymsg -q create_output"), 0);  // HEADLESS-3, right of the others
    EXPECT_EQ(backends_->Geometry().VirtualScreen(), (ScreenRect{0, 0, 5120, 1080}));
    EXPECT_EQ(capture->Capture(beyond)->width, 100);
    ASSERT_EQ(std::system("swaymsg -q -- output HEADLESS-3 position -1920 0"), 0);
    EXPECT_EQ(backends_->Geometry().VirtualScreen(), (ScreenRect{-1920, 0, 5120, 1080}));
    EXPECT_EQ(capture->Capture(beyond)->width, 0);
    const auto moved = capture->Capture({-5000, 1000, 5100, 500});
    ASSERT_TRUE(moved);
    EXPECT_EQ((ScreenRect{moved->left, moved->top, moved->width, moved->height}), (ScreenRect{-1920, 1000, 2020, 80}));
    EXPECT_EQ(moved->pixels[1920 + 5] & 0xffffff, Left(5, 1000));
}

TEST_F(WaylandCaptureTest, CliFindsATemplateAtItsDesktopPosition) {
    const TempDir dir;
    BmpPicture templ{24, 16, {}};
    for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 0; x < 24; ++x) templ.pixels.push_back(Right(580 + x, 100 + y));
    }
    WriteBmp(dir / "t.bmp", templ);
    const ProcessResult r = RunProcess({GLIMTAP_CLI, "find", "--template", (dir / "t.bmp").string(), "--screen"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "2500 100 24 16\n");
}

// Whether `pid` holds a shared-memory buffer for the compositor, as while it captures.
bool HoldsCaptureBuffer(pid_t pid) {
    std::error_code error;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        if (std::filesystem::read_symlink(fd, error).string().find("glimtap-shm") != std::string::npos) return true;
    }
    return false;
}

// Runs in a test entry of its own: it ends the compositor.
TEST(WaylandCompositorGoes, CliSaysTheConnectionWasLost) {
    const TempDir dir;
    WriteBmp(dir / "absent.bmp", RandomPicture(10, 10, 2));
    ChildProcess cli({GLIMTAP_CLI, "find", "--template", (dir / "absent.bmp").string(), "--screen",
                      "--repeat", "1000000"});
    while (!HoldsCaptureBuffer(cli.pid())) ASSERT_FALSE(cli.WaitFor(std::chrono::milliseconds(10)));
    std::system("swaymsg -q exit");  // no answer: sway is gone before it gives one
    const auto r = cli.WaitFor(std::chrono::seconds(20));
    ASSERT_TRUE(r) << "still running after the compositor went";
    EXPECT_EQ(r->exitCode, 2);
    EXPECT_EQ(r->err, "glimtap-cli: the connection to the Wayland compositor '" +
                          std::string(std::getenv("WAYLAND_DISPLAY")) + "' was lost\n");
    EXPECT_EQ(r->out, "");
}

struct Choice {
    const char* backend;  // GLIMTAP_BACKEND
    const char* wayland;  // WAYLAND_DISPLAY; "live" for the test's compositor
    const char* display;  // DISPLAY (no X server runs here)
    const char* name;
    const char* missing;  // part of Missing(); "" when nothing is
};

TEST(WaylandBackendsTest, PickedFromTheOverrideThenTheSession) {
    const std::string live = std::getenv("WAYLAND_DISPLAY");
    const Choice choices[] = {
        {"", "live", "", "wayland", ""},
        {"", "live", ":4321", "wayland", ""},
        {"wayland", "live", "", "wayland", ""},
        {"x11", "live", "", "null", "DISPLAY is not set"},
        {"null", "live", "", "null", "GLIMTAP_BACKEND=null"},
        {"", "", "", "null", "neither WAYLAND_DISPLAY nor DISPLAY is set"},
        {"", "wayland-none", "", "null", "cannot connect to the Wayland compositor 'wayland-none'"},
        {"", "wayland-none", ":4321", "null", "cannot open X display ':4321'"},  // X11 next
        {"wayland", "wayland-none", ":4321", "null", "Wayland compositor 'wayland-none'"},
        {"mir", "live", "", "null", "GLIMTAP_BACKEND='mir' is unknown (wayland, x11 or null)"},
    };
    for (const Choice& c : choices) {
        SCOPED_TRACE(std::string(c.backend) + " / " + c.wayland + " / " + c.display);
        const EnvironmentOverride backend("GLIMTAP_BACKEND", c.backend);
        const EnvironmentOverride wayland("WAYLAND_DISPLAY", c.wayland == std::string("live") ? live : c.wayland);
        const DisplayOverride display(c.display);
        const auto backends = platform::OpenBackends();
        EXPECT_EQ(backends->Name(), c.name);
        EXPECT_THAT(backends->Missing(), HasSubstr(c.missing));
        if (*c.missing == '\0') {
            EXPECT_EQ(backends->Missing(), "");
        }
        EXPECT_EQ(backends->CanCapture(), !*c.missing);
    }
}

}  // namespace
}  // namespace glimtap::test
