#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/shm.h>
#include <unistd.h>
#include <xcb/randr.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "platform/area_clip.h"
#include "platform/backends.h"
#include "platform/image_screen.h"
#include "platform/x11/x11_capture.h"
#include "platform/x11/x11_desktop.h"
#include "support/bmp_writer.h"
#include "support/geometry_printing.h"
#include "support/poll_until.h"
#include "support/process_resources.h"
#include "support/x_drawing.h"
#include "support/xvfb_server.h"

namespace glimtap::test {
namespace {

using platform::ScreenRect;
using platform::Size;

ScreenShot RandomScreen(Size size, uint32_t seed) {
    return {RandomPicture(size.width, size.height, seed).pixels, size};
}

// A random picture on the whole screen, as the capture must see it.
ScreenShot PaintRandomScreen(uint32_t seed) {
    ScreenPainter painter;
    const ScreenShot screen = RandomScreen(platform::X11Connection().RootSize(), seed);
    painter.DrawOnRoot(screen);
    return screen;
}

// The capture holds exactly the part of the area on the screen, and nothing for an empty
// area. Compares the low 24 bits: the top byte of a capture is undefined.
testing::AssertionResult Shows(platform::ScreenCapture& capture, const ScreenRect& area,
                               const ScreenShot& screen) {
    const std::optional<platform::ScreenImage> image = capture.Capture(area);
    if (area.width <= 0 || area.height <= 0) {
        if (!image) return testing::AssertionSuccess();
        return testing::AssertionFailure() << area << ": an empty area was captured";
    }
    if (!image) return testing::AssertionFailure() << area << ": capture failed";
    ScreenRect part = platform::VisiblePart(area, screen.size);
    if (part.width == 0) part = {area.left, area.top, 0, 0};
    const ScreenRect captured{image->left, image->top, image->width, image->height};
    if (captured != part) return testing::AssertionFailure() << area << ": came back as " << captured;
    for (int32_t y = 0; y < part.height; ++y) {
        for (int32_t x = 0; x < part.width; ++x) {
            const uint32_t got = image->pixels[y * part.width + x] & 0xFFFFFF;
            if (got != screen.At(part.left + x, part.top + y)) {
                return testing::AssertionFailure()
                       << area << ": pixel (" << x << ", " << y << ") is " << std::hex << got
                       << ", expected " << screen.At(part.left + x, part.top + y);
            }
        }
    }
    return testing::AssertionSuccess();
}

// Areas on the screen, across each of its edges, around it, off it, and empty ones.
std::vector<ScreenRect> AreasAround(Size screen) {
    const int32_t w = screen.width;
    const int32_t h = screen.height;
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    return {
        {w / 7, h / 9, w / 3, h / 4},    {0, 0, w, h},           {0, 0, 1, 1},
        {w - 1, h - 1, 1, 1},            {-17, h / 3, 40, 9},    {w / 2, -5, 13, 30},
        {w - 11, h / 2, 25, 7},          {w / 5, h - 3, 31, 12}, {-4, -6, w + 9, h + 13},
        {-50, 10, 50, 20},               {10, -20, 5, 20},       {w, 0, 8, h},
        {0, h, w, 3},                    {-1000, 5, 1010, 3},
        // Where left + width overflows 32 bits, and far larger than the screen.
        {kMax - 2, kMax - 2, 4, 4},      {kMin, kMin, 3, 3},     {0, 0, 99'999'999, 99'999'999},
        {-99'999'999, -5, kMax, kMax},
        // Empty.
        {10, 10, 0, 5},                  {10, 10, 5, 0},         {10, 10, -5, 5},
        {-100, -100, 5, -1},
    };
}

void ExpectShowsEveryArea(platform::ScreenCapture& capture, const ScreenShot& screen) {
    for (const ScreenRect& area : AreasAround(screen.size)) EXPECT_TRUE(Shows(capture, area, screen));
}

// The segments this process made that were not among `before`.
std::vector<SharedSegment> NewSegments(const std::vector<SharedSegment>& before) {
    std::vector<SharedSegment> fresh = SharedSegmentsOf(getpid());
    std::erase_if(fresh, [&](const auto& segment) {
        return std::ranges::any_of(before, [&](const auto& old) { return old.id == segment.id; });
    });
    return fresh;
}

// Changes the root window's size as a monitor change would. The CRTCs are switched off
// first: the screen may not shrink below a CRTC still showing its mode.
void ResizeRoot(uint16_t width, uint16_t height) {
    const platform::X11Connection x;
    xcb_connection_t* c = x.Get();
    const platform::Reply<xcb_randr_get_screen_resources_current_reply_t> resources{
        xcb_randr_get_screen_resources_current_reply(c, xcb_randr_get_screen_resources_current(c, x.Root()), nullptr)};
    ASSERT_NE(resources, nullptr);
    const xcb_randr_crtc_t* crtcs = xcb_randr_get_screen_resources_current_crtcs(resources.get());
    for (int i = 0; i < resources->num_crtcs; ++i) {
        const platform::Reply<xcb_randr_set_crtc_config_reply_t> off{xcb_randr_set_crtc_config_reply(
            c, xcb_randr_set_crtc_config(c, crtcs[i], XCB_CURRENT_TIME, resources->config_timestamp, 0, 0,
                                         XCB_NONE, XCB_RANDR_ROTATION_ROTATE_0, 0, nullptr),
            nullptr)};
        ASSERT_NE(off, nullptr);
    }
    const platform::Reply<xcb_generic_error_t> error{xcb_request_check(
        c, xcb_randr_set_screen_size_checked(c, x.Root(), width, height, width / 4, height / 4))};
    ASSERT_EQ(error, nullptr);
}

// Through shared memory (true) and through plain images (false): every area, one segment
// grown only when needed and gone with the capture, a root that shrinks and grows and is
// painted anew, and a server that goes away.
class X11CaptureOnItsOwnServer : public testing::TestWithParam<bool> {};

TEST_P(X11CaptureOnItsOwnServer, FollowsTheScreenAndHoldsOneSegmentAtMost) {
    XvfbServer server({"-screen", "0", "640x480x24", GetParam() ? "+extension" : "-extension", "MIT-SHM"});
    const DisplayOverride display(server.display());
    const auto before = SharedSegmentsOf(getpid());
    const ScreenRect small{5, 7, 20, 10};
    const ScreenRect large{80, 60, 320, 240};
    {
        const platform::X11Connection x;
        platform::X11ScreenCapture capture(x);
        ScreenShot screen = PaintRandomScreen(2);
        ASSERT_TRUE(Shows(capture, small, screen));
        const auto first = NewSegments(before);
        ASSERT_EQ(first.size(), GetParam() ? 1u : 0u);
        ASSERT_TRUE(Shows(capture, large, screen));
        const auto grown = NewSegments(before);
        ASSERT_EQ(grown.size(), first.size());
        ASSERT_TRUE(Shows(capture, small, screen));
        if (GetParam()) {
            EXPECT_NE(grown[0].id, first[0].id) << "the segment did not grow";
            EXPECT_EQ(NewSegments(before)[0].id, grown[0].id) << "a smaller area took a new segment";
        }
        ExpectShowsEveryArea(capture, screen);
        const auto segments = NewSegments(before);
        if (GetParam()) {
            ASSERT_EQ(segments.size(), 1u);
            EXPECT_GE(segments[0].size, 320u * 240 * 4);
            // An area of any size takes no more than the screen's pixels.
            EXPECT_LE(segments[0].size, 640u * 480 * 4 + 4096);
            // Held by us and the server, and already removed so a crash cannot leak it.
            EXPECT_EQ(segments[0].attached, 2);
            EXPECT_NE(segments[0].mode & SHM_DEST, 0u);
        } else {
            EXPECT_THAT(segments, testing::IsEmpty());
        }

        const platform::X11Desktop desktop(x);
        for (const Size size : {Size{320, 240}, Size{640, 480}}) {
            ASSERT_NO_FATAL_FAILURE(ResizeRoot(static_cast<uint16_t>(size.width), static_cast<uint16_t>(size.height)));
            EXPECT_EQ(desktop.VirtualScreenSize(), size);
            screen = PaintRandomScreen(3);
            EXPECT_TRUE(Shows(capture, {300, 220, 60, 40}, screen));
        }
    }
    // The server lets go when it handles the detach, a moment after the capture has gone.
    EXPECT_TRUE(PollUntil([&] { return NewSegments(before).empty(); }));

    const platform::X11Connection x;
    platform::X11ScreenCapture capture(x);
    ASSERT_NE(capture.Capture({0, 0, 32, 32}), std::nullopt);
    server.Stop();
    // Off the screen too, where no request is needed.
    for (const ScreenRect& area : {ScreenRect{0, 0, 32, 32}, ScreenRect{-50, -50, 10, 10}}) {
        try {
            capture.Capture(area);
            ADD_FAILURE() << area << " captured without a server";
        } catch (const platform::ScreenLost& error) {
            EXPECT_EQ(error.what(), "the connection to the X server of display '" + server.display() + "' was lost");
        }
    }
    EXPECT_EQ(capture.Capture({0, 0, 0, 5}), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(SharedMemory, X11CaptureOnItsOwnServer, testing::Bool(),
                         [](const auto& tested) { return tested.param ? "Offered" : "Refused"; });

TEST(X11ScreenCapture, RefusesRootsThatAreNot32BitPixels) {
    const XvfbServer server({"-screen", "0", "320x240x16"});
    const DisplayOverride display(server.display());
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    EXPECT_FALSE(backends->CanCapture());
    EXPECT_EQ(backends->OpenCapture(), nullptr);
    EXPECT_THAT(backends->Missing(), testing::AllOf(testing::HasSubstr("16-bit"), testing::HasSubstr(server.display())));
}

TEST(ImageScreen, ReturnsThePartOfTheImageInTheArea) {
    const ScreenShot screen = RandomScreen({64, 48}, 9);
    platform::ImageScreen capture(screen.pixels, 64, 48);
    ExpectShowsEveryArea(capture, screen);
    EXPECT_THROW(platform::ImageScreen({1, 2, 3}, 2, 2), std::invalid_argument);
}

}  // namespace
}  // namespace glimtap::test
