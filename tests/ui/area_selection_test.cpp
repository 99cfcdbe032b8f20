#include "ui/area_selection.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

#include "support/geometry_printing.h"

namespace glimtap::test {
namespace {

using platform::Point;
using platform::ScreenRect;
using State = AreaSelection::State;

constexpr ScreenRect kOneMonitor{0, 0, 1920, 1080};
// A second monitor left of the primary one.
constexpr ScreenRect kTwoMonitors{-1920, 0, 3840, 1080};

TEST(AreaSelectionTest, DragUpAndLeftGivesSortedCorners) {
    AreaSelection selection(kOneMonitor);
    EXPECT_EQ(selection.Hole(), ScreenRect{});
    selection.Press({500, 400});
    EXPECT_EQ(selection.state(), State::Dragging);
    EXPECT_EQ(selection.Hole(), (ScreenRect{500, 400, 0, 0}));
    selection.Move({400, 450});
    EXPECT_EQ(selection.Hole(), (ScreenRect{400, 400, 100, 50}));
    selection.Move({300, 200});
    EXPECT_EQ(selection.Hole(), (ScreenRect{300, 200, 200, 200}));
    selection.Release({300, 200});
    EXPECT_EQ(selection.state(), State::Done);
    EXPECT_EQ(selection.Corners(), (SelectedCorners{{300, 200}, {500, 400}}));
    EXPECT_EQ(SelectionFromCorners(selection.Corners()), (ScreenRect{300, 200, 200, 200}));

    // Once done, nothing changes it.
    selection.Press({10, 10});
    selection.Move({20, 20});
    selection.Release({30, 30});
    selection.Escape();
    EXPECT_EQ(selection.state(), State::Done);
    EXPECT_EQ(selection.Corners(), (SelectedCorners{{300, 200}, {500, 400}}));
}

TEST(AreaSelectionTest, NegativeOriginGivesNegativeScreenCoordinates) {
    // On the left monitor: client (100, 50) is screen (-1820, 50).
    AreaSelection left(kTwoMonitors);
    left.Press({100, 50});
    left.Move({400, 300});
    // The hole stays in client coordinates: the veil over both monitors does not move.
    EXPECT_EQ(left.Hole(), (ScreenRect{100, 50, 300, 250}));
    left.Release({400, 300});
    EXPECT_EQ(left.Corners(), (SelectedCorners{{-1820, 50}, {-1520, 300}}));
    EXPECT_EQ(SelectionFromCorners(left.Corners()), (ScreenRect{-1820, 50, 300, 250}));

    // Backwards across both monitors.
    AreaSelection across(kTwoMonitors);
    across.Press({2500, 600});
    across.Move({1000, 100});
    EXPECT_EQ(across.Hole(), (ScreenRect{1000, 100, 1500, 500}));
    across.Release({1000, 100});
    EXPECT_EQ(SelectionFromCorners(across.Corners()), (ScreenRect{-920, 100, 1500, 500}));

    // With the virtual screen starting above the primary monitor as well.
    AreaSelection above({-1280, -1024, 3200, 2104});
    above.Press({0, 0});
    above.Release({1280, 1024});
    EXPECT_EQ(SelectionFromCorners(above.Corners()), (ScreenRect{-1280, -1024, 1280, 1024}));
}

TEST(AreaSelectionTest, CancelledAndEmptySelectionsSelectNothing) {
    // Escape before a drag: both stored corners at the virtual screen's origin.
    AreaSelection idle(kTwoMonitors);
    idle.Escape();
    EXPECT_EQ(idle.state(), State::Cancelled);
    EXPECT_EQ(idle.Corners(), (SelectedCorners{{-1920, 0}, {-1920, 0}}));
    idle.Press({5, 5});
    EXPECT_EQ(idle.state(), State::Cancelled);

    // Escape during a drag: from the origin to where the drag began.
    AreaSelection dragging(kTwoMonitors);
    dragging.Press({500, 400});
    dragging.Move({700, 600});
    dragging.Escape();
    EXPECT_EQ(dragging.state(), State::Cancelled);
    EXPECT_EQ(dragging.Corners(), (SelectedCorners{{-1920, 0}, {-1420, 400}}));
    dragging.Release({700, 600});
    EXPECT_EQ(dragging.state(), State::Cancelled);

    // A click, a horizontal and a vertical drag end with nothing selected; one pixel is a
    // selection.
    for (const auto& [from, to] : {std::pair{Point{640, 480}, Point{640, 480}},
                                   {Point{100, 300}, Point{900, 300}},
                                   {Point{100, 300}, Point{100, 900}}}) {
        AreaSelection selection(kOneMonitor);
        selection.Press(from);
        selection.Release(to);
        EXPECT_EQ(selection.state(), State::Done);
        EXPECT_EQ(SelectionFromCorners(selection.Corners()), std::nullopt);
    }
    AreaSelection pixel(kOneMonitor);
    pixel.Press({7, 8});
    pixel.Release({8, 9});
    EXPECT_EQ(SelectionFromCorners(pixel.Corners()), (ScreenRect{7, 8, 1, 1}));

    // A button-up without a button-down changes nothing.
    AreaSelection stray(kOneMonitor);
    stray.Move({5, 5});
    stray.Release({10, 10});
    EXPECT_EQ(stray.state(), State::Idle);
}

TEST(AreaSelectionTest, CornersFromAnEditedProfileNeverMakeANegativeOrWrappedArea) {
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(SelectionFromCorners({{500, 400}, {300, 200}}), std::nullopt);
    EXPECT_EQ(SelectionFromCorners({{kMin, 0}, {kMax, 10}}), std::nullopt);
    EXPECT_EQ(SelectionFromCorners({{0, kMin}, {10, kMax}}), std::nullopt);
    EXPECT_EQ(SelectionFromCorners({{-1, 0}, {kMax - 1, 10}}), (ScreenRect{-1, 0, kMax, 10}));
}

}  // namespace
}  // namespace glimtap::test
