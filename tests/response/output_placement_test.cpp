#include "response/wayland/output_placement.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "response/overlay_layout.h"
#include "support/geometry_printing.h"

namespace glimtap {

inline void PrintTo(const MarkerPlan& p, std::ostream* out) {
    *out << "frame " << p.frame << ", hole " << p.hole << ", band " << p.band << ", countdown " << p.countdown << ", bounds " << p.bounds;
}

namespace test {
namespace {

// A 2x output (3840 x 2160 pixels, 1920 x 1080 units) right of a 1x one, then one at 1.5.
const std::vector<OutputArea> kOutputs{
    {{0, 0, 1920, 1080}, 1}, {{1920, 0, 3840, 2160}, 2}, {{5760, 0, 1920, 1080}, 1.5}};

// A surface sits on whole units: odd pixels of a scaled output are reached by drawing the
// rectangle into the buffer off its corner, never by moving it a pixel; at 1.5 units start
// on the pixels wlroots rounds them to, and the buffer covers exactly theirs.
TEST(OutputPlacementTest, PlacesEveryPhysicalPixelOnTheOutputHoldingMostOfIt) {
    struct Case {
        platform::ScreenRect rect;
        size_t output;
        int32_t marginLeft, marginTop, width, height;
        QSize buffer;
        QRect inBuffer;
    };
    const Case cases[] = {
        {{601, 401, 200, 100}, 0, 601, 401, 200, 100, {200, 100}, QRect(0, 0, 200, 100)},
        {{1920 + 601, 401, 200, 101}, 1, 300, 200, 101, 51, {202, 102}, QRect(1, 1, 200, 101)},
        {{1900, 10, 100, 20}, 1, 0, 5, 40, 10, {80, 20}, QRect(0, 0, 80, 20)},  // most right
        {{1880, 10, 60, 20}, 0, 1880, 10, 40, 20, {40, 20}, QRect(0, 0, 40, 20)},
        {{5760 + 1, 1, 10, 10}, 2, 0, 0, 7, 7, {11, 11}, QRect(1, 1, 10, 10)},
        {{5760 + 3, 3, 3, 3}, 2, 2, 2, 2, 2, {3, 3}, QRect(0, 0, 3, 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rect.left);
        const auto placed = PlaceOnOutputs(c.rect, kOutputs);
        ASSERT_TRUE(placed.has_value());
        EXPECT_EQ(placed->output, c.output);
        EXPECT_EQ((std::vector{placed->marginLeft, placed->marginTop, placed->width, placed->height}),
                  (std::vector{c.marginLeft, c.marginTop, c.width, c.height}));
        EXPECT_EQ(placed->buffer, c.buffer);
        EXPECT_EQ(placed->inBuffer, c.inBuffer);
    }
    EXPECT_FALSE(PlaceOnOutputs({-500, 0, 100, 100}, kOutputs).has_value());
}

// Around the marked rectangle, never over it: the countdown above, below where there is no
// room above, inside only where there is room neither way; the search area kept on the screen.
TEST(MarkerPlanTest, LiesAroundTheMarkedRectangle) {
    using Kind = MarkerKind;
    const platform::ScreenRect screen{0, 0, 1920, 1080};
    const std::tuple<platform::ScreenRect, bool, Kind, MarkerPlan> cases[] = {  // frame, hole, band, countdown, bounds
        {{600, 400, 200, 100}, true, Kind::kMatch, {{596, 396, 208, 108}, {600, 400, 200, 100}, {588, 388, 224, 124}, {684, 364, 32, 32}, {588, 364, 224, 148}}},
        {{0, 0, 40, 20}, false, Kind::kClosestMiss, {{-4, -4, 48, 28}, {0, 0, 40, 20}, {-4, -4, 48, 28}, {4, 24, 32, 32}, {-4, -4, 48, 60}}},
        {{1900, 500, 20, 20}, false, Kind::kMatch, {{1896, 496, 28, 28}, {1900, 500, 20, 20}, {1896, 496, 28, 28}, {1888, 464, 32, 32}, {1888, 464, 36, 60}}},
        {screen, true, Kind::kArea, {screen, {4, 4, 1912, 1072}, {-8, -8, 1936, 1096}, {944, 4, 32, 32}, {-8, -8, 1936, 1096}}},
        {{1000, 1000, 2147483000, 2147483000}, true, Kind::kArea, {{996, 996, 924, 84}, {1000, 1000, 916, 76}, {988, 988, 940, 100}, {1444, 964, 32, 32}, {988, 964, 940, 124}}},
    };
    for (const auto& [marked, band, kind, plan] : cases)
        EXPECT_EQ(PlanMarker(marked, screen, MarkerMetricsForDpi(96), band, kind), plan) << marked;
}

}  // namespace
}  // namespace test
}  // namespace glimtap
