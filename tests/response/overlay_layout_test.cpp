#include "response/overlay_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace glimtap::test {
namespace {

using platform::Size;

TEST(MarkerMetricsTest, ScaleFromNinetySixDotsPerInch) {
    EXPECT_EQ(MarkerMetricsForDpi(96), (MarkerMetrics{4, 12, 8}));
    EXPECT_EQ(MarkerMetricsForDpi(144), (MarkerMetrics{6, 18, 12}));
    EXPECT_EQ(MarkerMetricsForDpi(0), (MarkerMetrics{4, 12, 8}));
    // Halves round away from zero: 4 * 108 / 96 = 4.5.
    EXPECT_EQ(MarkerMetricsForDpi(108), (MarkerMetrics{5, 14, 9}));
    EXPECT_EQ(MarkerMetricsForDpi(120), (MarkerMetrics{5, 15, 10}));
}

// A font whose text is 0.6 of the cell height wide per digit and as high as the cell,
// remembering what was asked.
struct FakeFont {
    int digits = 1;
    std::vector<int32_t> asked;
    std::vector<int32_t> unavailable;

    MeasureCountdown Measure() {
        return [this](int32_t height) -> std::optional<Size> {
            asked.push_back(height);
            for (int32_t missing : unavailable) {
                if (missing == height) return std::nullopt;
            }
            return Size{height * 6 * digits / 10, height};
        };
    }
};

TEST(CountdownFontTest, GrowsInStepsOfFourUntilTheNumberReachesTheMargins) {
    const MarkerMetrics at96 = MarkerMetricsForDpi(96);

    // 200 x 100: heights up to 96 are tried; 92 reaches 100 - 8, so 88 is used.
    FakeFont font;
    EXPECT_EQ(FitCountdownFontHeight({200, 100}, at96, font.Measure()), 88);
    EXPECT_EQ(font.asked.front(), 12);
    EXPECT_EQ(font.asked.back(), 92);

    // Narrow: width stops it. 0.6 h >= 40 - 12 first at h = 48.
    FakeFont narrow;
    EXPECT_EQ(FitCountdownFontHeight({40, 300}, at96, narrow.Measure()), 44);

    // The first size that does not fit ends the search even if a later one would.
    FakeFont tooWide;
    tooWide.digits = 10;
    EXPECT_EQ(FitCountdownFontHeight({60, 300}, at96, tooWide.Measure()), 10);
    EXPECT_EQ(tooWide.asked, (std::vector<int32_t>{12}));

    // Sizes that cannot be had are skipped, not taken as the end.
    FakeFont gaps;
    gaps.unavailable = {12, 88};
    EXPECT_EQ(FitCountdownFontHeight({200, 100}, at96, gaps.Measure()), 84);
    gaps.unavailable = {92};
    gaps.asked.clear();
    // 92 cannot be measured; 96 is the last height tried and reaches the margins.
    EXPECT_EQ(FitCountdownFontHeight({200, 100}, at96, gaps.Measure()), 88);
    EXPECT_EQ(gaps.asked.back(), 96);
}

TEST(CountdownFontTest, LowMarkersUseTenWithoutMeasuring) {
    FakeFont font;
    // One pixel high, and just too low for 12 at 96 and at 144 dots per inch.
    EXPECT_EQ(FitCountdownFontHeight({40, 1}, MarkerMetricsForDpi(96), font.Measure()), 10);
    EXPECT_EQ(FitCountdownFontHeight({40, 15}, MarkerMetricsForDpi(96), font.Measure()), 10);
    EXPECT_EQ(FitCountdownFontHeight({40, 17}, MarkerMetricsForDpi(144), font.Measure()), 10);
    EXPECT_TRUE(font.asked.empty());
    // 16 high at 96: 12 is measured and, being as high as 16 - 8 allows and more, does not fit.
    EXPECT_EQ(FitCountdownFontHeight({400, 16}, MarkerMetricsForDpi(96), font.Measure()), 10);
    EXPECT_EQ(font.asked, (std::vector<int32_t>{12}));
}

}  // namespace
}  // namespace glimtap::test
