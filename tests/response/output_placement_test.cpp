#include "response/wayland/output_placement.h"

#include <gtest/gtest.h>

#include <vector>

namespace glimtap::test {
namespace {

// A 2x output (3840 x 2160 pixels, 1920 x 1080 units) right of a 1x one.
const std::vector<OutputArea> kOutputs{{{0, 0, 1920, 1080}, 1}, {{1920, 0, 3840, 2160}, 2}};

// A surface sits on whole units: odd pixels of a scaled output are reached by drawing the
// rectangle into the buffer off its corner, never by moving it a pixel.
TEST(OutputPlacementTest, PlacesEveryPhysicalPixelOnTheOutputHoldingMostOfIt) {
    struct Case {
        platform::ScreenRect rect;
        size_t output;
        int32_t marginLeft, marginTop, width, height;
        QRect inBuffer;
    };
    const Case cases[] = {
        {{601, 401, 200, 100}, 0, 601, 401, 200, 100, QRect(0, 0, 200, 100)},
        {{1920 + 600, 400, 200, 100}, 1, 300, 200, 100, 50, QRect(0, 0, 200, 100)},
        {{1920 + 601, 401, 200, 101}, 1, 300, 200, 101, 51, QRect(1, 1, 200, 101)},
        {{1900, 10, 100, 20}, 1, 0, 5, 40, 10, QRect(0, 0, 80, 20)},  // most on the right
        {{1880, 10, 60, 20}, 0, 1880, 10, 40, 20, QRect(0, 0, 40, 20)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rect.left);
        const auto placed = PlaceOnOutputs(c.rect, kOutputs);
        ASSERT_TRUE(placed.has_value());
        EXPECT_EQ(placed->output, c.output);
        EXPECT_EQ((std::vector{placed->marginLeft, placed->marginTop, placed->width, placed->height}),
                  (std::vector{c.marginLeft, c.marginTop, c.width, c.height}));
        EXPECT_EQ(placed->inBuffer, c.inBuffer);
    }
    EXPECT_FALSE(PlaceOnOutputs({-500, 0, 100, 100}, kOutputs).has_value());
}

}  // namespace
}  // namespace glimtap::test
