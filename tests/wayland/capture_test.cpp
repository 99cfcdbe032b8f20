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

// Pictures without repeats, one per output.
uint32_t Left(int32_t x, int32_t y) {
    return (uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u) * 2654435761u >> 8;
}
uint32_t Right(int32_t x, int32_t y) { return Left(x + 7919, y + 104729); }
// What the desktop shows: HEADLESS-2 lies right of HEADLESS-1, top-aligned.
uint32_t Shown(int32_t x, int32_t y) {
    if (x >= 0 && x < 1920 && y >= 0 && y < 1080) return Left(x, y);
    return x >= 1920 && x < 3200 && y >= 0 && y < 720 ? Right(x - 1920, y) : 0;
}
ScreenRect Placed(const platform::ScreenImage& image) {
    return {image.left, image.top, image.width, image.height};
}

class WaylandCaptureTest : public testing::Test {
protected:
    WaylandTestWindow left_{"HEADLESS-1", Left};
    WaylandTestWindow right_{"HEADLESS-2", Right};
    std::unique_ptr<platform::BackendSet> backends_ = platform::OpenBackends();
    std::unique_ptr<platform::ScreenCapture> capture_ = backends_->OpenCapture();
};

TEST_F(WaylandCaptureTest, CopiesExactPixelsAndStitchesOutputs) {
    ASSERT_NE(capture_, nullptr) << backends_->Name() << ": " << backends_->Missing();
    EXPECT_EQ(backends_->Geometry().VirtualScreen(), (ScreenRect{0, 0, 3200, 1080}));
    const std::pair<ScreenRect, ScreenRect> cases[] = {
        // area, what is captured
        {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
        {{101, 53, 400, 300}, {101, 53, 400, 300}},
        {{-10, -20, 50, 60}, {0, 0, 40, 40}},
        {{1000, 700, 99999, 99999}, {1000, 700, 2200, 380}},  // black below HEADLESS-2
        {{-99999, -99999, 199999, 199999}, {0, 0, 3200, 1080}},
        {{5000, 0, 10, 10}, {5000, 0, 0, 0}},
    };
    for (const auto& [area, expected] : cases) {
        SCOPED_TRACE(testing::Message() << area.left << "," << area.top << " " << area.width);
        const auto image = capture_->Capture(area);
        ASSERT_TRUE(image);
        ASSERT_EQ(Placed(*image), expected);
        int wrong = 0;
        for (int32_t y = 0; y < image->height; ++y) {
            for (int32_t x = 0; x < image->width; ++x) {
                wrong += (image->pixels[y * image->width + x] & 0xffffff) !=
                         Shown(image->left + x, image->top + y);
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

// sway 1.7 cannot unplug or disable a headless output, but it can add and move one.
TEST_F(WaylandCaptureTest, FollowsOutputsThatComeAndMove) {
    const ScreenRect beyond{3200, 0, 100, 100};
    EXPECT_EQ(capture_->Capture(beyond)->width, 0);
    ASSERT_EQ(std::system("swaymsg -q create_output"), 0);  // HEADLESS-3, right of the others
    EXPECT_EQ(backends_->Geometry().VirtualScreen(), (ScreenRect{0, 0, 5120, 1080}));
    EXPECT_EQ(capture_->Capture(beyond)->width, 100);
    ASSERT_EQ(std::system("swaymsg -q -- output HEADLESS-3 position -1920 0"), 0);
    EXPECT_EQ(backends_->Geometry().VirtualScreen(), (ScreenRect{-1920, 0, 5120, 1080}));
    EXPECT_EQ(capture_->Capture(beyond)->width, 0);
    const auto moved = capture_->Capture({-5000, 1000, 5100, 500});
    ASSERT_TRUE(moved);
    EXPECT_EQ(Placed(*moved), (ScreenRect{-1920, 1000, 2020, 80}));
    EXPECT_EQ(moved->pixels[1920 + 5] & 0xffffff, Left(5, 1000));
}

TEST_F(WaylandCaptureTest, CliFindsATemplateAtItsDesktopPosition) {
    const TempDir dir;
    BmpPicture templ{24, 16, {}};
    for (int32_t i = 0; i < 24 * 16; ++i) templ.pixels.push_back(Right(580 + i % 24, 100 + i / 24));
    WriteBmp(dir / "t.bmp", templ);
    const ProcessResult r =
        RunProcess({GLIMTAP_CLI, "find", "--template", (dir / "t.bmp").string(), "--screen"});
    EXPECT_EQ(r.out, "2500 100 24 16\n") << r.err;
}

// In a test entry of its own: it ends the compositor.
TEST(WaylandCompositorGoes, CliSaysTheConnectionWasLost) {
    const TempDir dir;
    WriteBmp(dir / "absent.bmp", RandomPicture(10, 10, 2));
    ChildProcess cli({GLIMTAP_CLI, "find", "--template", (dir / "absent.bmp").string(), "--screen",
                      "--repeat", "999999"});
    // Capturing once it holds the buffer the compositor copies into.
    const auto capturing = [&cli] {
        std::error_code e;
        for (const auto& fd :
             std::filesystem::directory_iterator("/proc/" + std::to_string(cli.pid()) + "/fd", e)) {
            if (std::filesystem::read_symlink(fd, e).string().find("glimtap-shm") !=
                std::string::npos)
                return true;
        }
        return false;
    };
    while (!capturing()) ASSERT_FALSE(cli.WaitFor(std::chrono::milliseconds(10)));
    std::system("swaymsg -q exit");  // no answer: sway is gone before it gives one
    const auto r = cli.WaitFor(std::chrono::seconds(20));
    ASSERT_TRUE(r) << "still running after the compositor went";
    EXPECT_EQ(r->exitCode, 2);
    EXPECT_EQ(r->err, "glimtap-cli: the connection to the Wayland compositor '" +
                          std::string(std::getenv("WAYLAND_DISPLAY")) + "' was lost\n");
}

TEST(WaylandBackendsTest, PickedFromTheOverrideThenTheSession) {
    const std::string live = std::getenv("WAYLAND_DISPLAY");
    struct Choice {
        const char* backend;  // GLIMTAP_BACKEND
        std::string wayland;  // WAYLAND_DISPLAY
        const char* display;  // DISPLAY (no X server runs here)
        const char* name;
        const char* missing;  // part of Missing(); "" when nothing is
    };
    const Choice choices[] = {
        {"", live, "", "wayland", ""},
        {"", live, ":4321", "wayland", ""},
        {"wayland", live, "", "wayland", ""},
        {"x11", live, "", "null", "DISPLAY is not set"},
        {"null", live, "", "null", "GLIMTAP_BACKEND=null"},
        {"", "", "", "null", "neither WAYLAND_DISPLAY nor DISPLAY is set"},
        {"", "wayland-none", "", "null", "cannot connect to the Wayland compositor 'wayland-none'"},
        {"", "wayland-none", ":4321", "null", "cannot open X display ':4321'"},  // X11 next
        {"wayland", "wayland-none", ":4321", "null", "Wayland compositor 'wayland-none'"},
        {"mir", live, "", "null", "GLIMTAP_BACKEND='mir' is unknown (wayland, x11 or null)"},
    };
    for (const Choice& c : choices) {
        SCOPED_TRACE(std::string(c.backend) + " / " + c.wayland + " / " + c.display);
        const EnvironmentOverride backend("GLIMTAP_BACKEND", c.backend);
        const EnvironmentOverride wayland("WAYLAND_DISPLAY", c.wayland);
        const DisplayOverride display(c.display);
        const auto backends = platform::OpenBackends();
        EXPECT_EQ(backends->Name(), c.name);
        EXPECT_THAT(backends->Missing(), testing::HasSubstr(c.missing));
        EXPECT_EQ(backends->Missing().empty(), *c.missing == '\0');
        EXPECT_EQ(backends->CanCapture(), *c.missing == '\0');
    }
}

}  // namespace
}  // namespace glimtap::test
