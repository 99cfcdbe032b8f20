#include "ui/area_selection.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

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

// The selector's test covers the drags on one monitor at the origin; these are the others.
TEST(AreaSelectionTest, DragsGiveSortedCornersInScreenCoordinates) {
    struct Case {
        ScreenRect screen;
        Point press, release;
        ScreenRect hole;  // client coordinates: the veil over every monitor does not move
        SelectedCorners corners;
    };
    const Case cases[] = {
        {kTwoMonitors, {100, 50}, {400, 300}, {100, 50, 300, 250}, {{-1820, 50}, {-1520, 300}}},
        {kTwoMonitors, {2500, 600}, {1000, 100}, {1000, 100, 1500, 500}, {{-920, 100}, {580, 600}}},
        {{-1280, -1024, 3200, 2104}, {0, 0}, {1280, 1024}, {0, 0, 1280, 1024},
         {{-1280, -1024}, {0, 0}}},
    };
    for (const Case& c : cases) {
        AreaSelection selection(c.screen);
        selection.Press(c.press);
        selection.Move(c.release);
        EXPECT_EQ(selection.Hole(), c.hole);
        selection.Release(c.release);
        EXPECT_EQ(selection.Corners(), c.corners) << c.hole;
    }
}

TEST(AreaSelectionTest, CancelsFromTheVirtualScreensOriginAndIgnoresAStrayButtonUp) {
    AreaSelection idle(kTwoMonitors);
    idle.Escape();
    EXPECT_EQ(idle.Corners(), (SelectedCorners{{-1920, 0}, {-1920, 0}}));
    AreaSelection dragging(kTwoMonitors);
    dragging.Press({500, 400});
    dragging.Escape();
    dragging.Release({700, 600});
    EXPECT_EQ(dragging.state(), State::Cancelled);
    EXPECT_EQ(dragging.Corners(), (SelectedCorners{{-1920, 0}, {-1420, 400}}));
    // The button-up of the click that opened the selector.
    AreaSelection stray(kOneMonitor);
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

TEST(SearchAreaTest, ASelectionBecomesTheAreaAndNoSelectionChangesNothing) {
    SearchSettings settings;
    EXPECT_TRUE(ApplySelectedArea(ScreenRect{-1820, -5, 3840, 1085}, settings));
    EXPECT_FALSE(ApplySelectedArea(std::nullopt, settings));
    EXPECT_EQ(SearchAreaText(settings), "Left : -1820, Top : -5\n\nWidth : 3840, Height : 1085");
}

}  // namespace
}  // namespace glimtap::test
