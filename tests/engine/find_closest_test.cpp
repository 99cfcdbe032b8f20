#include <gtest/gtest.h>

#include <random>

#include "engine/closest_variants.h"
#include "engine/find_closest.h"
#include "engine/scan_variants.h"
#include "support/bmp_writer.h"

namespace glimtap {
namespace {

struct Screen {
    std::vector<uint32_t> pixels;
    int32_t width = 0, height = 0;
    platform::ScreenImage Image(int32_t left = 0, int32_t top = 0) const {
        return {pixels.data(), width, height, left, top};
    }
};

// Random noise, or a desktop-like picture: flat panels with dark text-like strokes.
Screen MakeScreen(std::mt19937& rng, int32_t width, int32_t height, bool uiLike) {
    Screen s{std::vector<uint32_t>(size_t(width) * height), width, height};
    if (!uiLike) {
        for (auto& p : s.pixels) p = rng();
        return s;
    }
    const uint32_t panels[] = {0x00F0F0F0, 0x00FFFFFF, 0x003C3C3C, 0x00D6E4F0};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) s.pixels[size_t(y) * width + x] = panels[(x / 37 + y / 23) % 4];
    for (int strokes = width * height / 40; strokes > 0; --strokes) {
        const int32_t x = rng() % width, y = rng() % height, length = 1 + rng() % 6;
        const uint32_t ink = 0x00101010 * (rng() % 4);
        for (int32_t k = 0; k < length; ++k) {
            const bool down = rng() % 2;
            const int32_t px = std::min(width - 1, x + (down ? 0 : k)), py = std::min(height - 1, y + (down ? k : 0));
            s.pixels[size_t(py) * width + px] = ink | (rng() & 0xFF000000);
        }
    }
    return s;
}

TemplateImage Cut(const Screen& s, int32_t x, int32_t y, int32_t width, int32_t height) {
    TemplateImage t{0, 0, 15, width, height, {}};
    for (int32_t r = 0; r < height; ++r)
        for (int32_t k = 0; k < width; ++k) t.pixels.push_back(s.pixels[size_t(y + r) * s.width + x + k]);
    return t;
}

TEST(FindClosest, EveryVariantEqualsThePlainComputation) {
    std::mt19937 rng(20261207);
    for (int i = 0; i < 3000; ++i) {
        const bool uiLike = i % 2;
        const Screen s = MakeScreen(rng, 1 + rng() % 60, 1 + rng() % 40, uiLike);
        TemplateImage t = Cut(s, 0, 0, 1 + rng() % std::min(s.width, 10), 1 + rng() % std::min(s.height, 10));
        for (auto& p : t.pixels) p = rng() % 3 ? p ^ (rng() % 64) : s.pixels[rng() % s.pixels.size()];
        t.scanByColumns = rng() % 2;
        t.tolerance = int32_t(rng() % 80) - 10;
        const int32_t left = int32_t(rng() % 3000) - 1500, top = int32_t(rng() % 3000) - 1500;

        const auto expected = FindClosestReference(t, s.Image(left, top));
        ASSERT_TRUE(expected);
        ASSERT_EQ(FindClosest(t, s.Image(left, top)), expected) << "case " << i;
        const ClosestPlan plan = MakeClosestPlan(t, s.Image());
        const ClosestSpot spot{expected->location.x - left, expected->location.y - top, expected->tolerance};
        ASSERT_EQ(ClosestSse2({s.Image(), t, plan}), spot) << "case " << i;
        if (CpuHasAvx2()) {
            ASSERT_EQ(ClosestAvx2({s.Image(), t, plan}), spot) << "case " << i;
        }
    }
}

TEST(FindClosest, OneChannelOfOnePixelOffByKNeedsExactlyK) {
    std::mt19937 rng(7);
    for (const bool uiLike : {false, true}) {
        const Screen s = MakeScreen(rng, 400, 300, uiLike);
        for (const int32_t k : {1, 16, 90}) {
            for (const int32_t byColumns : {0, 1}) {
                TemplateImage t = Cut(s, 310, 205, 40, 20);
                t.scanByColumns = byColumns;
                test::ShiftChannel(t.pixels[7 * 40 + 13], 8 * (k % 3), k);
                const auto miss = FindClosest(t, s.Image(1000, 2000));
                ASSERT_TRUE(miss);
                EXPECT_EQ(miss->location, (MatchPoint{1310, 2205})) << uiLike << k << byColumns;
                EXPECT_EQ(miss->tolerance, k);
                EXPECT_EQ(miss->agreeingPixels, k <= 15 ? 800 : 799);
            }
        }
    }
}

TEST(FindClosest, TiesGoToTheFirstPositionInScanOrderAndTooLargeFindsNothing) {
    // Two exact copies: (5, 1) comes first by rows, (1, 4) by columns.
    Screen s{std::vector<uint32_t>(12 * 8, 0x00FFFFFF), 12, 8};
    for (const auto& [x, y] : {std::pair{5, 1}, std::pair{1, 4}}) s.pixels[size_t(y) * 12 + x] = 0;
    TemplateImage t{0, 0, 0, 2, 2, {0, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF}};
    EXPECT_EQ(FindClosest(t, s.Image())->location, (MatchPoint{5, 1}));
    t.scanByColumns = 1;
    EXPECT_EQ(FindClosest(t, s.Image())->location, (MatchPoint{1, 4}));
    t.width = 13;
    t.pixels.resize(26);
    EXPECT_FALSE(FindClosest(t, s.Image()));
}

}  // namespace
}  // namespace glimtap
