#include "ui/area_selection.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "support/geometry_printing.h"
#include "ui/search_area.h"

namespace glimtap::test {
namespace {

using platform::Point;
using platform::ScreenRect;
using State = AreaSelection::State;

constexpr ScreenRect kOneMonitor{0, 0, 1920, 1080};
// A second monitor left of the primary one.
constexpr ScreenRect kTwoMonitors{-1920, 0, 3840, 1080};

TEST(AreaSelectionTest, DragsGiveSortedCornersInScreenCoordinates) {
    struct Case {
        ScreenRect screen;
        Point press, move;
        std::optional<Point> release;  // none: Escape
        ScreenRect hole;               // client coordinates, after the move
        SelectedCorners corners;
        std::optional<ScreenRect> selected;
    };
    const Case cases[] = {
        {kOneMonitor, {500, 400}, {300, 200}, Point{300, 200}, {300, 200, 200, 200},
         {{300, 200}, {500, 400}}, ScreenRect{300, 200, 200, 200}},
        {kTwoMonitors, {100, 50}, {400, 300}, Point{400, 300}, {100, 50, 300, 250},
         {{-1820, 50}, {-1520, 300}}, ScreenRect{-1820, 50, 300, 250}},
        {kTwoMonitors, {2500, 600}, {1000, 100}, Point{1000, 100}, {1000, 100, 1500, 500},
         {{-920, 100}, {580, 600}}, ScreenRect{-920, 100, 1500, 500}},
        {{-1280, -1024, 3200, 2104}, {0, 0}, {1280, 1024}, Point{1280, 1024}, {0, 0, 1280, 1024},
         {{-1280, -1024}, {0, 0}}, ScreenRect{-1280, -1024, 1280, 1024}},
        {kOneMonitor, {7, 8}, {8, 9}, Point{8, 9}, {7, 8, 1, 1}, {{7, 8}, {8, 9}},
         ScreenRect{7, 8, 1, 1}},
        // A click, a flat and an upright drag select nothing.
        {kOneMonitor, {640, 480}, {640, 480}, Point{640, 480}, {640, 480, 0, 0},
         {{640, 480}, {640, 480}}, std::nullopt},
        {kOneMonitor, {100, 300}, {900, 300}, Point{900, 300}, {100, 300, 800, 0},
         {{100, 300}, {900, 300}}, std::nullopt},
        {kOneMonitor, {100, 300}, {100, 900}, Point{100, 900}, {100, 300, 0, 600},
         {{100, 300}, {100, 900}}, std::nullopt},
        // Escape during a drag: from the origin to where the drag began.
        {kTwoMonitors, {500, 400}, {700, 600}, std::nullopt, {500, 400, 200, 200},
         {{-1920, 0}, {-1420, 400}}, std::nullopt},
    };
    for (const Case& c : cases) {
        AreaSelection selection(c.screen);
        selection.Press(c.press);
        selection.Move(c.move);
        EXPECT_EQ(selection.Hole(), c.hole);
        if (c.release) {
            selection.Release(*c.release);
        } else {
            selection.Escape();
        }
        EXPECT_EQ(selection.state(), c.release ? State::Done : State::Cancelled);
        // Once ended, nothing changes it.
        selection.Press({10, 10});
        selection.Move({20, 20});
        selection.Release({30, 30});
        selection.Escape();
        EXPECT_EQ(selection.Corners(), c.corners) << c.hole;
        if (c.release) {
            EXPECT_EQ(SelectionFromCorners(selection.Corners()), c.selected) << c.hole;
        }
    }
}

TEST(AreaSelectionTest, EscapeOrAStrayButtonUpBeforeADragSelectNothing) {
    AreaSelection idle(kTwoMonitors);
    idle.Escape();
    EXPECT_EQ(idle.Corners(), (SelectedCorners{{-1920, 0}, {-1920, 0}}));
    AreaSelection stray(kOneMonitor);
    stray.Move({5, 5});
    stray.Release({10, 10});
    EXPECT_EQ(stray.state(), State::Idle);
    EXPECT_EQ(stray.Hole(), ScreenRect{});
}

TEST(AreaSelectionTest, CornersFromAnEditedProfileNeverMakeANegativeOrWrappedArea) {
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(SelectionFromCorners({{500, 400}, {300, 200}}), std::nullopt);
    EXPECT_EQ(SelectionFromCorners({{kMin, 0}, {kMax, 10}}), std::nullopt);
    EXPECT_EQ(SelectionFromCorners({{0, kMin}, {10, kMax}}), std::nullopt);
    EXPECT_EQ(SelectionFromCorners({{-1, 0}, {kMax - 1, 10}}), (ScreenRect{-1, 0, kMax, 10}));
}

TEST(SearchAreaTest, ASelectionBecomesTheAreaAndNoSelectionChangesNothing) {
    SearchSettings settings;
    EXPECT_TRUE(ApplySelectedArea(ScreenRect{-1820, -5, 3840, 1085}, settings));
    EXPECT_FALSE(ApplySelectedArea(std::nullopt, settings));
    EXPECT_EQ(SearchAreaText(settings), "Left : -1820, Top : -5\n\nWidth : 3840, Height : 1085");
}

}  // namespace
}  // namespace glimtap::test
