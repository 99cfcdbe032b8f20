#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/shm.h>
#include <unistd.h>
#include <xcb/randr.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/area_clip.h"
#include "platform/backends.h"
#include "platform/image_screen.h"
#include "platform/x11/x11_capture.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_desktop.h"
#include "support/x_drawing.h"
#include "support/xvfb_server.h"

namespace glimtap::test {
namespace {

using platform::ImageScreen;
using platform::Reply;
using platform::ScreenImage;
using platform::ScreenRect;
using platform::Size;
using platform::X11ScreenCapture;

std::vector<uint32_t> RandomPixels(int32_t width, int32_t height, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (uint32_t& pixel : pixels) pixel = random() & 0xffffff;
    return pixels;
}

// What the screen is known to show.
struct KnownScreen {
    std::vector<uint32_t> pixels;
    Size size;

    uint32_t At(int64_t x, int64_t y) const {
        return pixels[static_cast<size_t>(y * size.width + x)];
    }
    void Put(int32_t left, int32_t top, int32_t width, const std::vector<uint32_t>& picture) {
        for (size_t i = 0; i < picture.size(); ++i) {
            const int64_t x = left + static_cast<int64_t>(i % static_cast<size_t>(width));
            const int64_t y = top + static_cast<int64_t>(i / static_cast<size_t>(width));
            pixels[static_cast<size_t>(y * size.width + x)] = picture[i];
        }
    }
};

// Paints the whole screen with a random picture and remembers it.
KnownScreen PaintRandomScreen(ScreenPainter& painter, Size size, uint32_t seed) {
    KnownScreen screen{RandomPixels(size.width, size.height, seed), size};
    painter.DrawOnRoot(0, 0, size.width, size.height, screen.pixels);
    return screen;
}

std::string Describe(const ScreenRect& area) {
    std::ostringstream text;
    text << "area (" << area.left << ", " << area.top << ") " << area.width << " x "
         << area.height;
    return text.str();
}

// The capture holds exactly the part of the area on the screen. Compares the low 24 bits:
// the top byte of a capture is undefined.
testing::AssertionResult Shows(const std::optional<ScreenImage>& image, const ScreenRect& area,
                               const KnownScreen& screen) {
    if (!image) return testing::AssertionFailure() << Describe(area) << ": capture failed";
    ScreenRect part = platform::VisiblePart(area, screen.size);
    if (part.width == 0) part = {area.left, area.top, 0, 0};
    const ScreenRect captured{image->left, image->top, image->width, image->height};
    if (captured != part) {
        return testing::AssertionFailure() << Describe(area) << ": came back as " << Describe(captured);
    }
    for (int64_t y = 0; y < part.height; ++y) {
        for (int64_t x = 0; x < part.width; ++x) {
            const uint32_t got = image->pixels[y * part.width + x] & 0xffffff;
            const uint32_t want = screen.At(part.left + x, part.top + y);
            if (got != want) {
                return testing::AssertionFailure()
                       << Describe(area) << ": pixel (" << x << ", " << y << ") is " << std::hex
                       << got << ", expected " << want;
            }
        }
    }
    return testing::AssertionSuccess();
}

// Areas on the screen, across each of its edges, around it, and off it.
std::vector<ScreenRect> AreasAround(Size screen) {
    const int32_t w = screen.width;
    const int32_t h = screen.height;
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    return {
        {w / 7, h / 9, w / 3, h / 4},           // inside
        {0, 0, w, h},                           // exactly the screen
        {0, 0, 1, 1},                           // corners
        {w - 1, h - 1, 1, 1},                   //
        {-17, h / 3, 40, 9},                    // across the left edge
        {w / 2, -5, 13, 30},                    // across the top edge
        {w - 11, h / 2, 25, 7},                 // across the right edge
        {w / 5, h - 3, 31, 12},                 // across the bottom edge
        {-4, -6, w + 9, h + 13},                // around the whole screen
        {-50, 10, 50, 20},                      // off each side
        {10, -20, 5, 20},                       //
        {w, 0, 8, h},                           //
        {0, h, w, 3},                           //
        {-1000, 5, 1010, 3},                    // reaching in from far away
        {kMax - 2, kMax - 2, 4, 4},             // where left + width overflows 32 bits
        {kMin, kMin, 3, 3},                     //
        {0, 0, 99'999'999, 99'999'999},         // far larger than the screen
        {-99'999'999, -5, kMax, kMax},          //
    };
}

// Segments of this process listed by the kernel, with the flags and attach count.
struct SegmentInfo {
    int id = 0;
    unsigned mode = 0;
    size_t size = 0;
    int attached = 0;
};

std::vector<SegmentInfo> SegmentsOfThisProcess() {
    std::ifstream table("/proc/sysvipc/shm");
    std::string line;
    std::getline(table, line);  // column titles
    std::vector<SegmentInfo> segments;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        long key = 0;
        SegmentInfo segment;
        pid_t creator = 0;
        pid_t last = 0;
        fields >> key >> segment.id >> std::oct >> segment.mode >> std::dec >> segment.size >>
            creator >> last >> segment.attached;
        if (creator == getpid()) segments.push_back(segment);
    }
    return segments;
}

std::vector<SegmentInfo> NewSegments(const std::set<int>& old_ids) {
    std::vector<SegmentInfo> fresh;
    for (const SegmentInfo& segment : SegmentsOfThisProcess()) {
        if (!old_ids.contains(segment.id)) fresh.push_back(segment);
    }
    return fresh;
}

std::set<int> SegmentIds() {
    std::set<int> ids;
    for (const SegmentInfo& segment : SegmentsOfThisProcess()) ids.insert(segment.id);
    return ids;
}

Size ScreenSize() { return platform::X11Connection().RootSize(); }

// Changes the root window's size as a monitor change would. The CRTC is switched off
// first: the screen may not shrink below a CRTC still showing its mode.
void ResizeRoot(uint16_t width, uint16_t height) {
    const platform::X11Connection x;
    xcb_connection_t* connection = x.Get();
    const Reply<xcb_randr_get_screen_resources_current_reply_t> resources{
        xcb_randr_get_screen_resources_current_reply(
            connection, xcb_randr_get_screen_resources_current(connection, x.Root()), nullptr)};
    ASSERT_NE(resources, nullptr);
    const xcb_randr_crtc_t* crtcs = xcb_randr_get_screen_resources_current_crtcs(resources.get());
    for (int i = 0; i < resources->num_crtcs; ++i) {
        const Reply<xcb_randr_set_crtc_config_reply_t> off{xcb_randr_set_crtc_config_reply(
            connection,
            xcb_randr_set_crtc_config(connection, crtcs[i], XCB_CURRENT_TIME,
                                      resources->config_timestamp, 0, 0, XCB_NONE,
                                      XCB_RANDR_ROTATION_ROTATE_0, 0, nullptr),
            nullptr)};
        ASSERT_NE(off, nullptr);
    }
    const Reply<xcb_generic_error_t> error{xcb_request_check(
        connection, xcb_randr_set_screen_size_checked(connection, x.Root(), width, height,
                                                      width / 4, height / 4))};
    ASSERT_EQ(error, nullptr);
}

TEST(X11ScreenCapture, ReturnsWhatIsOnScreenAndZeroOffIt) {
    ScreenPainter painter;
    const Size size = ScreenSize();
    KnownScreen screen = PaintRandomScreen(painter, size, 1);
    // A picture drawn at a place of its own, the way tests put templates on screen.
    const std::vector<uint32_t> patch = RandomPixels(301, 203, 2);
    painter.DrawOnRoot(137, 59, 301, 203, patch);
    screen.Put(137, 59, 301, patch);

    const platform::X11Connection x;
    X11ScreenCapture capture(x);
    EXPECT_TRUE(Shows(capture.Capture({137, 59, 301, 203}), {137, 59, 301, 203}, screen));
    for (const ScreenRect& area : AreasAround(size)) {
        EXPECT_TRUE(Shows(capture.Capture(area), area, screen));
    }
    // Pixels that change between captures are seen.
    painter.FillRoot(0x3a5f7c);
    screen.pixels.assign(screen.pixels.size(), 0x3a5f7c);
    for (const ScreenRect& area : AreasAround(size)) {
        EXPECT_TRUE(Shows(capture.Capture(area), area, screen));
    }
}

TEST(X11ScreenCapture, RefusesEmptyAreas) {
    const platform::X11Connection x;
    X11ScreenCapture capture(x);
    EXPECT_EQ(capture.Capture({10, 10, 0, 5}), std::nullopt);
    EXPECT_EQ(capture.Capture({10, 10, 5, 0}), std::nullopt);
    EXPECT_EQ(capture.Capture({10, 10, -5, 5}), std::nullopt);
    EXPECT_EQ(capture.Capture({-100, -100, 5, -1}), std::nullopt);
}

TEST(X11ScreenCapture, KeepsOneSharedSegmentAndGrowsItOnlyWhenNeeded) {
    ScreenPainter painter;
    const Size size = ScreenSize();
    const KnownScreen screen = PaintRandomScreen(painter, size, 4);
    const std::set<int> before = SegmentIds();
    const ScreenRect small{5, 7, 20, 10};
    const ScreenRect large{size.width / 8, size.height / 8, size.width / 2, size.height / 2};
    const auto large_bytes = static_cast<size_t>(large.width * large.height * 4);
    {
        const platform::X11Connection x;
    X11ScreenCapture capture(x);
        ASSERT_TRUE(Shows(capture.Capture(small), small, screen));
        ASSERT_EQ(NewSegments(before).size(), 1u);
        const int first_id = NewSegments(before)[0].id;

        ASSERT_TRUE(Shows(capture.Capture(large), large, screen));
        ASSERT_TRUE(Shows(capture.Capture(small), small, screen));
        ASSERT_TRUE(Shows(capture.Capture({-20, -20, 60, 60}), {-20, -20, 60, 60}, screen));
        // An area of any size takes no more than the screen's pixels.
        const ScreenRect huge{-5, -5, 99'999'999, 99'999'999};
        ASSERT_TRUE(Shows(capture.Capture(huge), huge, screen));
        const std::vector<SegmentInfo> segments = NewSegments(before);
        ASSERT_EQ(segments.size(), 1u);
        EXPECT_NE(segments[0].id, first_id);
        EXPECT_GE(segments[0].size, large_bytes);
        EXPECT_LE(segments[0].size, static_cast<size_t>(size.width) * static_cast<size_t>(size.height) * 4 + 4096);
        // Held by us and the server, and already removed so a crash cannot leak it.
        EXPECT_EQ(segments[0].attached, 2);
        EXPECT_NE(segments[0].mode & SHM_DEST, 0u);
    }
    // The server lets go when it handles the detach, a moment after the capture has gone.
    for (int wait = 0; wait < 1000 && !NewSegments(before).empty(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_THAT(NewSegments(before), testing::IsEmpty());
}

TEST(X11ScreenCapture, UsesPlainImagesWhenTheServerCannotShareMemory) {
    const XvfbServer server({"-screen", "0", "640x480x24", "-extension", "MIT-SHM"});
    const DisplayOverride display(server.display());
    ScreenPainter painter;
    const Size size = ScreenSize();
    ASSERT_EQ(size, (Size{640, 480}));
    const KnownScreen screen = PaintRandomScreen(painter, size, 5);
    const std::set<int> before = SegmentIds();

    const platform::X11Connection x;
    X11ScreenCapture capture(x);
    for (const ScreenRect& area : AreasAround(size)) {
        EXPECT_TRUE(Shows(capture.Capture(area), area, screen));
    }
    EXPECT_THAT(NewSegments(before), testing::IsEmpty());
}

TEST(X11ScreenCapture, FollowsTheRootWhenItShrinksAndGrows) {
    const XvfbServer server({"-screen", "0", "1024x768x24"});
    const DisplayOverride display(server.display());
    ScreenPainter painter;
    const platform::X11Connection x;
    const platform::X11Desktop desktop(x);
    ASSERT_EQ(desktop.VirtualScreenSize(), (Size{1024, 768}));
    X11ScreenCapture capture(x);
    const ScreenRect across{780, 580, 60, 40};
    KnownScreen screen = PaintRandomScreen(painter, {1024, 768}, 6);
    ASSERT_TRUE(Shows(capture.Capture(across), across, screen));

    ASSERT_NO_FATAL_FAILURE(ResizeRoot(800, 600));
    EXPECT_EQ(desktop.VirtualScreenSize(), (Size{800, 600}));
    screen = PaintRandomScreen(painter, {800, 600}, 7);
    EXPECT_TRUE(Shows(capture.Capture(across), across, screen));

    ASSERT_NO_FATAL_FAILURE(ResizeRoot(1024, 768));
    EXPECT_EQ(desktop.VirtualScreenSize(), (Size{1024, 768}));
    screen = PaintRandomScreen(painter, {1024, 768}, 8);
    EXPECT_TRUE(Shows(capture.Capture(across), across, screen));
}

TEST(X11ScreenCapture, SaysTheScreenIsLostOnceTheServerIsGone) {
    // Through shared memory and through plain images.
    for (const char* shm : {"+extension", "-extension"}) {
        SCOPED_TRACE(shm);
        XvfbServer server({"-screen", "0", "320x240x24", shm, "MIT-SHM"});
        const DisplayOverride display(server.display());
        const platform::X11Connection x;
    X11ScreenCapture capture(x);
        ASSERT_NE(capture.Capture({0, 0, 32, 32}), std::nullopt);

        server.Stop();
        // Off the screen too, where no request is needed.
        for (const ScreenRect& area : {ScreenRect{0, 0, 32, 32}, ScreenRect{0, 0, 320, 240},
                                       ScreenRect{-50, -50, 10, 10}}) {
            try {
                capture.Capture(area);
                ADD_FAILURE() << Describe(area) << " captured without a server";
            } catch (const platform::ScreenLost& error) {
                EXPECT_EQ(error.what(),
                          "the connection to the X server of display '" + server.display() +
                              "' was lost");
            }
        }
        EXPECT_EQ(capture.Capture({0, 0, 0, 5}), std::nullopt);  // empty: nothing to capture
    }
}

TEST(X11ScreenCapture, RefusesRootsThatAreNot32BitPixels) {
    const XvfbServer server({"-screen", "0", "320x240x16"});
    const DisplayOverride display(server.display());
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    EXPECT_FALSE(backends->CanCapture());
    EXPECT_EQ(backends->OpenCapture(), nullptr);
    EXPECT_THAT(backends->Missing(), testing::HasSubstr("16-bit"));
    EXPECT_THAT(backends->Missing(), testing::HasSubstr(server.display()));
}

TEST(ImageScreen, ReturnsThePartOfTheImageInTheArea) {
    const Size size{64, 48};
    const KnownScreen screen{RandomPixels(size.width, size.height, 9), size};
    ImageScreen capture(screen.pixels, size.width, size.height);
    for (const ScreenRect& area : AreasAround(size)) {
        EXPECT_TRUE(Shows(capture.Capture(area), area, screen));
    }
    EXPECT_EQ(capture.Capture({0, 0, 0, 4}), std::nullopt);
    EXPECT_EQ(capture.Capture({0, 0, 4, -1}), std::nullopt);
    EXPECT_THROW(ImageScreen({1, 2, 3}, 2, 2), std::invalid_argument);
}

}  // namespace
}  // namespace glimtap::test
