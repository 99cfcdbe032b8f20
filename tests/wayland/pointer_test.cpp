// The pointer and the tap on a real compositor, seen by the client under them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>

#include "engine/data_file.h"
#include "platform/backends.h"
#include "platform/utf16.h"
#include "support/bmp_writer.h"
#include "support/geometry_printing.h"
#include "support/poll_until.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "support/wayland_test_window.h"

namespace glimtap::test {
namespace {

using platform::Point;
using Event = WaylandTestWindow::PointerEvent;
constexpr uint32_t kLeftButton = 0x110;

uint32_t Grey(int32_t, int32_t) { return 0x808080; }

// Waits for the window's last pointer event to be a button (or else an enter or motion) at
// physical pixel `expected` of its output (surface units times `scale`); returns where the
// last one was.
Point LastAt(const WaylandTestWindow& window, bool button, Point expected, double scale = 1) {
    Point last{-1, -1};
    PollUntil([&] {
        const std::vector<Event> events = window.PointerEvents();
        if (events.empty() || (events.back().kind == Event::Kind::kButton) != button) return false;
        last = {static_cast<int32_t>(std::floor(events.back().x * scale)),
                static_cast<int32_t>(std::floor(events.back().y * scale))};
        return last == expected;
    }, std::chrono::seconds(5));
    return last;
}

// HEADLESS-1 (1920x1080) at 0, 0 and HEADLESS-2 (1280x720) right of it.
class WaylandPointerTest : public testing::Test {
protected:
    WaylandTestWindow left_{"HEADLESS-1", Grey};
    WaylandTestWindow right_{"HEADLESS-2", Grey};
    std::unique_ptr<platform::BackendSet> backends_ = platform::OpenBackends();
};

TEST_F(WaylandPointerTest, MovesAndClicksLandOnTheIntendedPixelOfEitherOutput) {
    platform::Pointer* pointer = backends_->MousePointer();
    ASSERT_NE(pointer, nullptr) << backends_->Missing();
    EXPECT_EQ(pointer->Position(), std::nullopt);
    const std::tuple<Point, const WaylandTestWindow*, Point> cases[] = {
        {{0, 0}, &left_, {0, 0}},         {{1919, 1079}, &left_, {1919, 1079}},
        {{777, 333}, &left_, {777, 333}}, {{1920, 0}, &right_, {0, 0}},
        {{3199, 719}, &right_, {1279, 719}}, {{2500, 401}, &right_, {580, 401}},
    };
    for (const auto& [at, window, local] : cases) {
        ASSERT_TRUE(pointer->MoveTo(at.x, at.y));
        EXPECT_EQ(LastAt(*window, false, local), local) << at.x << "," << at.y;
    }
    EXPECT_FALSE(pointer->MoveTo(2500, 900)) << "below HEADLESS-2, on no output";
    EXPECT_EQ(pointer->Position(), (Point{2500, 401}));
    platform::TouchInjector* tap = backends_->Touch();
    ASSERT_NE(tap, nullptr);
    ASSERT_TRUE(tap->Prepare() && tap->Down({1003, 17}));
    EXPECT_EQ(LastAt(left_, true, {1003, 17}), (Point{1003, 17}));
    ASSERT_TRUE(tap->Up({1003, 17}));
    EXPECT_EQ(LastAt(left_, true, {1003, 17}), (Point{1003, 17}));
    const std::vector<Event> events = left_.PointerEvents();
    ASSERT_GE(events.size(), 2u);
    EXPECT_TRUE(events.rbegin()[1].pressed && !events.back().pressed);
    EXPECT_EQ(events.back().button, kLeftButton);
}

TEST(WaylandCliRunTest, MovesThePointerIntoTheShownPictureAndClicksThere) {
    const BmpPicture picture = RandomPicture(40, 30, 7);
    const WaylandTestWindow shown("HEADLESS-2", [&](int32_t x, int32_t y) {
        const bool inside = x >= 300 && x < 340 && y >= 200 && y < 230;
        return inside ? picture.pixels[size_t((y - 200) * 40 + x - 300)] : 0x808080u;
    });
    // The seat has a pointer while a virtual one lives, and the window takes it when it comes.
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    ASSERT_TRUE(backends->MousePointer()->MoveTo(0, 0));
    TempDir dir;
    WriteBmp(dir / "here.bmp", picture);
    DataFile data;
    data.settings.ResetToDefaults(backends->Geometry());
    data.settings.targetFolder = FromPath(dir.path());
    data.settings.moveCursorToMatch = 1;
    data.settings.touchAtMatch = 1;
    SaveDataFile(dir / "job.GlimtapDataFile", data);
    const ProcessResult r =
        RunProcess({GLIMTAP_CLI, "run", (dir / "job.GlimtapDataFile").string(), "--passes", "1", "--json"});
    std::smatch point;
    ASSERT_TRUE(std::regex_search(r.out, point, std::regex(R"("x":2220,"y":200,.*"point":\[(\d+),(\d+)\])")))
        << r.out << r.err;
    const Point local{std::stoi(point[1]) - 1920, std::stoi(point[2])};
    std::vector<Event> buttons;
    PollUntil([&] {
        buttons.clear();
        for (const Event& e : shown.PointerEvents()) {
            if (e.kind == Event::Kind::kButton) buttons.push_back(e);
        }
        return buttons.size() >= 2;
    }, std::chrono::seconds(5));
    ASSERT_EQ(buttons.size(), 2u);
    for (const Event& e : buttons) EXPECT_EQ((Point{int32_t(e.x), int32_t(e.y)}), local);
    EXPECT_TRUE(buttons[0].pressed && !buttons[1].pressed);
}

// Last: the output keeps its new scale.
TEST(WaylandPointerScaledTest, LandsOnThePhysicalPixelOfAnOutputAtScale2) {
    ASSERT_EQ(std::system("swaymsg -q output HEADLESS-2 scale 2"), 0);
    const WaylandTestWindow right("HEADLESS-2", Grey);
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    const platform::ScreenRect screen = backends->Geometry().VirtualScreen();
    ASSERT_EQ(screen, (platform::ScreenRect{0, 0, 3840 + 1280, 1080})) << "layout 1920, 0 times 2";
    for (const Point local : {Point{0, 0}, Point{1, 1}, Point{555, 333}, Point{1279, 719}}) {
        ASSERT_TRUE(backends->MousePointer()->MoveTo(3840 + local.x, local.y));
        EXPECT_EQ(LastAt(right, false, local, 2), local);
    }
}

}  // namespace
}  // namespace glimtap::test
