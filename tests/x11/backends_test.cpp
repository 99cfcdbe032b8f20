#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/shm.h>
#include <unistd.h>

#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/area_clip.h"
#include "platform/backends.h"
#include "platform/x11/x11_capture.h"
#include "reaction/match_responder.h"
#include "support/bmp_writer.h"
#include "support/fakes.h"
#include "support/geometry_printing.h"
#include "support/modal_driver.h"
#include "support/poll_until.h"
#include "support/process_resources.h"
#include "support/x_drawing.h"
#include "support/xvfb_server.h"

namespace glimtap::test {
namespace {

using platform::Point;
using platform::ScreenRect;
using platform::Size;

// The capture holds exactly the part of the area on the screen, and nothing for an empty
// area. Compares the low 24 bits: the top byte of a capture is undefined.
testing::AssertionResult Shows(platform::ScreenCapture& capture, const ScreenRect& area,
                               const ScreenShot& screen) {
    const std::optional<platform::ScreenImage> image = capture.Capture(area);
    if (area.width <= 0 || area.height <= 0)
        return image ? testing::AssertionFailure() << area << ": an empty area was captured" : testing::AssertionSuccess();
    if (!image) return testing::AssertionFailure() << area << ": capture failed";
    ScreenRect part = platform::VisiblePart(area, screen.size);
    if (part.width == 0) part = {area.left, area.top, 0, 0};
    const ScreenRect captured{image->left, image->top, image->width, image->height};
    if (captured != part) return testing::AssertionFailure() << area << ": came back as " << captured;
    for (int32_t y = 0; y < part.height; ++y) {
        for (int32_t x = 0; x < part.width; ++x) {
            if ((image->pixels[y * part.width + x] & 0xFFFFFF) != screen.At(part.left + x, part.top + y))
                return testing::AssertionFailure() << area << ": pixel (" << x << ", " << y << ") differs";
        }
    }
    return testing::AssertionSuccess();
}

// Areas on the screen, across each of its edges, around it, off it, and empty ones.
std::vector<ScreenRect> AreasAround(Size screen) {
    const int32_t w = screen.width, h = screen.height;
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

// The segments this process made that were not among `before`.
std::vector<SharedSegment> NewSegments(const std::vector<SharedSegment>& before) {
    std::vector<SharedSegment> fresh = SharedSegmentsOf(getpid());
    std::erase_if(fresh, [&](const auto& segment) {
        return std::ranges::any_of(before, [&](const auto& old) { return old.id == segment.id; });
    });
    return fresh;
}

// Through shared memory (true) and through plain images (false): every area, one segment
// grown only when needed and gone with the capture, and a server that goes away.
class X11CaptureOnItsOwnServer : public testing::TestWithParam<bool> {};

TEST_P(X11CaptureOnItsOwnServer, FollowsTheScreenAndHoldsOneSegmentAtMost) {
    XvfbServer server({"-screen", "0", "640x480x24", GetParam() ? "+extension" : "-extension", "MIT-SHM"});
    const DisplayOverride display(server.display());
    const auto before = SharedSegmentsOf(getpid());
    {
        const platform::X11Connection x;
        platform::X11ScreenCapture capture(x);
        const ScreenShot screen{RandomPicture(640, 480, 2).pixels, {640, 480}};
        ScreenPainter().DrawOnRoot(screen);
        ASSERT_TRUE(Shows(capture, {5, 7, 20, 10}, screen));
        const auto first = NewSegments(before);
        for (const ScreenRect& area : AreasAround(screen.size)) EXPECT_TRUE(Shows(capture, area, screen));
        const auto grown = NewSegments(before);
        ASSERT_TRUE(Shows(capture, {5, 7, 20, 10}, screen));
        const auto segments = NewSegments(before);
        ASSERT_EQ(segments.size(), GetParam() ? 1u : 0u);
        ASSERT_EQ(first.size(), segments.size());
        ASSERT_EQ(grown.size(), segments.size());
        if (GetParam()) {
            EXPECT_NE(grown[0].id, first[0].id) << "the segment did not grow";
            EXPECT_EQ(segments[0].id, grown[0].id) << "a smaller area took a new segment";
            // No more than the screen's pixels for an area of any size; held by us and the
            // server, and already removed so a crash cannot leak it.
            EXPECT_LE(segments[0].size, 640u * 480 * 4 + 4096);
            EXPECT_EQ(segments[0].attached, 2);
            EXPECT_NE(segments[0].mode & SHM_DEST, 0u);
        }
    }
    // The server lets go when it handles the detach, a moment after the capture has gone.
    EXPECT_TRUE(PollUntil([&] { return NewSegments(before).empty(); }));

    const platform::X11Connection x;
    platform::X11ScreenCapture capture(x);
    ASSERT_NE(capture.Capture({0, 0, 32, 32}), std::nullopt);
    server.Stop();
    EXPECT_THROW(capture.Capture({-50, -50, 10, 10}), platform::ScreenLost);  // where no request is needed too
    try {
        capture.Capture({0, 0, 32, 32});
        ADD_FAILURE() << "captured without a server";
    } catch (const platform::ScreenLost& error) {
        EXPECT_EQ(error.what(), "the connection to the X server of display '" + server.display() + "' was lost");
    }
    EXPECT_EQ(capture.Capture({0, 0, 0, 5}), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(SharedMemory, X11CaptureOnItsOwnServer, testing::Bool(),
                         [](const auto& tested) { return tested.param ? "Offered" : "Refused"; });

TEST(BackendsTest, PickedFromTheOverrideThenTheSessionAndNullSaysWhy) {
    const std::string live = std::getenv("DISPLAY");
    const std::string absent = ":65000";  // servers take the lowest free numbers
    // GLIMTAP_BACKEND and DISPLAY ("" for unset), the backend picked, and part of what it
    // says is missing ("" when nothing is).
    const struct {
        std::string backend, display, name, missing;
    } choices[] = {
        {"", live, "x11", ""},
        {"x11", live, "x11", ""},
        {"null", live, "null", "GLIMTAP_BACKEND=null"},
        {"", "", "null", "neither WAYLAND_DISPLAY nor DISPLAY is set"},
        {"", absent, "null", "cannot open X display '" + absent + "'"},
        {"x11", absent, "null", absent},
        {"carrier-pigeon", live, "null", "GLIMTAP_BACKEND='carrier-pigeon' is unknown"},
    };
    for (const auto& choice : choices) {
        SCOPED_TRACE("GLIMTAP_BACKEND=" + choice.backend + " DISPLAY=" + choice.display);
        const EnvironmentOverride backend("GLIMTAP_BACKEND", choice.backend);
        const DisplayOverride display(choice.display);
        const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
        EXPECT_EQ(backends->Name(), choice.name);
        if (choice.missing.empty()) {
            EXPECT_EQ(backends->Missing(), "");
            EXPECT_NE(backends->OpenCapture(), nullptr);
            EXPECT_NE(backends->MousePointer(), nullptr);
            EXPECT_NE(backends->HotKey(), nullptr);
            continue;
        }
        EXPECT_THAT(backends->Missing(), testing::HasSubstr(choice.missing));
        EXPECT_EQ(backends->OpenCapture(), nullptr);
        EXPECT_EQ(backends->Geometry().VirtualScreenSize(), (Size{0, 0}));
        EXPECT_EQ(backends->MousePointer(), nullptr);
        EXPECT_EQ(backends->Touch(), nullptr);
        EXPECT_EQ(backends->HotKey(), nullptr);
        EXPECT_EQ(backends->Locks(), nullptr);
        std::string error;
        EXPECT_FALSE(backends->AppLauncher().Launch(u"open", u"/", &error));
        EXPECT_THAT(error, testing::HasSubstr(choice.missing));
    }
}

// The range is inclusive at both ends, on the real pointer.
TEST(RealPointerTest, CursorLandsOnEveryPixelOfTheMatchAndNowhereElse) {
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    platform::Pointer& pointer = *backends->MousePointer();
    RecordingLauncher launcher;
    MatchResponder responder(&pointer, nullptr, launcher, nullptr);
    const MatchReport match{.templateName = "t.bmp", .width = 3, .height = 2, .location = {100, 200}};
    SearchSettings move;
    move.moveCursorToMatch = 1;
    std::set<std::pair<int32_t, int32_t>> pixels;
    for (int i = 0; i < 200; ++i) {
        const std::optional<Point> picked = responder.OnMatchFound(match, move);
        const std::optional<Point> at = pointer.Position();
        EXPECT_EQ(at, picked);
        if (at) pixels.insert({at->x, at->y});
    }
    EXPECT_EQ(pixels, (std::set<std::pair<int32_t, int32_t>>{{100, 200}, {101, 200}, {102, 200},
                                                             {100, 201}, {101, 201}, {102, 201}}));
}

// A window that notes the buttons pressed and released on it, and where on the screen.
class ButtonWindow : public QWidget {
public:
    using Presses = std::vector<std::pair<Qt::MouseButton, Point>>;
    Presses presses, releases;

protected:
    void mousePressEvent(QMouseEvent* event) override { Note(presses, event); }
    void mouseReleaseEvent(QMouseEvent* event) override { Note(releases, event); }

private:
    static void Note(Presses& into, QMouseEvent* event) {
        const QPoint at = event->globalPosition().toPoint();
        into.emplace_back(event->button(), Point{at.x(), at.y()});
    }
};

// No uinput here: the tap falls back to XTest clicks. Off the screen there is nothing to
// tap, where the server would press at the edge instead.
TEST(XTestTapTest, TapPressesAndReleasesTheFirstButtonAtThePointOnly) {
    ButtonWindow window;
    window.setWindowFlags(Qt::X11BypassWindowManagerHint);
    window.setGeometry(100, 120, 200, 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    platform::TouchInjector& tap = *backends->Touch();
    ASSERT_TRUE(tap.Prepare());
    EXPECT_FALSE(tap.Down({-5, 130}));
    EXPECT_FALSE(tap.Down({150, 100000}));
    ASSERT_TRUE(tap.Down({150, 170}));
    ASSERT_TRUE(tap.Up({150, 170}));
    EXPECT_TRUE(ProcessEventsUntil([&] { return !window.releases.empty(); }));
    const ButtonWindow::Presses tapped{{Qt::LeftButton, {150, 170}}};
    EXPECT_EQ(window.presses, tapped);
    EXPECT_EQ(window.releases, tapped);
}

}  // namespace
}  // namespace glimtap::test
