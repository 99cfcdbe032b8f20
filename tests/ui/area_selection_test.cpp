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

// A second monitor left of the primary one.
constexpr ScreenRect kTwoMonitors{-1920, 0, 3840, 1080};

TEST(AreaSelectionTest, DragsAndStoredCornersGiveSortedCornersAndNoWrappedArea) {
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
    // Corners from an edited profile never make a negative or wrapped area.
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min(), kMax = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(SelectionFromCorners({{500, 400}, {300, 200}}), std::nullopt);
    EXPECT_EQ(SelectionFromCorners({{kMin, 0}, {kMax, 10}}), std::nullopt);
    EXPECT_EQ(SelectionFromCorners({{0, kMin}, {10, kMax}}), std::nullopt);
    EXPECT_EQ(SelectionFromCorners({{-1, 0}, {kMax - 1, 10}}), (ScreenRect{-1, 0, kMax, 10}));
}

}  // namespace
}  // namespace glimtap::test
