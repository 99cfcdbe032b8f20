#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/closest_variants.h"
#include "engine/find_closest.h"
#include "engine/matcher.h"
#include "engine/scan_variants.h"
#include "platform/screen_capture.h"

namespace glimtap {
namespace {

// A screen of pixels, top row first, that may stand anywhere on the desktop.
struct Screen {
    int32_t width, height;
    std::vector<uint32_t> pixels;
    Screen(int32_t w, int32_t h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    platform::ScreenImage At(int32_t left = 0, int32_t top = 0) const { return {pixels.data(), width, height, left, top}; }
    void Paste(const TemplateImage& t, int32_t x, int32_t y) {
        for (int32_t r = 0; r < t.height; ++r)
            for (int32_t k = 0; k < t.width; ++k) pixels[size_t(y + r) * width + x + k] = t.pixels[size_t(r) * t.width + k];
    }
};

TemplateImage Solid(int32_t w, int32_t h, uint32_t colour) { return {0, 0, 15, w, h, std::vector<uint32_t>(size_t(w) * h, colour)}; }

// Every pixel unlike its neighbours.
TemplateImage Pattern(int32_t w, int32_t h) {
    TemplateImage t{0, 0, 15, w, h, {}};
    for (int32_t i = 0; i < w * h; ++i) t.pixels.push_back((2654435761u + i * 40503u) & 0xFFFFFF);
    return t;
}

// Orders, steps, bounds and tolerances, each checked on the fast and the reference scan.
TEST(ScanForTemplate, OrdersStepsAndBounds) {
    TemplateImage three = Pattern(5, 3);
    Screen threeCopies(60, 40);
    for (const auto& [x, y] : {std::pair{30, 10}, {10, 20}, {40, 20}}) threeCopies.Paste(three, x, y);
    const TemplateImage corner = Pattern(3, 2);
    Screen cornered(40, 30, 0x00808080);
    cornered.Paste(corner, 37, 28);
    TemplateImage offByOne = Pattern(3, 3);
    Screen nearly(20, 20, 0x00FFFFFF);
    nearly.Paste(offByOne, 5, 6);
    nearly.pixels[7 * 20 + 6] ^= 0x01000001;  // centre pixel off by one in blue, top byte noise
    TemplateImage dot = Solid(1, 1, 0x00ABCDEF);
    Screen dotted(9, 9);
    dotted.pixels[4 * 9 + 7] = 0xFFABCDEF;

    struct Case {
        const char* name;
        const Screen& screen;
        TemplateImage templ;
        int32_t maxMatches, byColumns, tolerance, left, top;
        std::vector<MatchPoint> expected;
    };
    const Case cases[] = {
        {"rows: upper first", threeCopies, three, 1, 0, 15, 0, 0, {{30, 10}}},
        {"columns: leftmost first", threeCopies, three, 1, 1, 15, 0, 0, {{10, 20}}},
        {"columns, no bound", threeCopies, three, 0, 1, 15, 0, 0, {{10, 20}, {30, 10}, {40, 20}}},
        {"rows, bound 2", threeCopies, three, 2, 0, 15, 0, 0, {{30, 10}, {10, 20}}},
        {"last position, screen coordinates", cornered, corner, 0, 0, 15, 10, 20, {{47, 48}}},
        {"negative origin", cornered, corner, 0, 0, 15, -100, -50, {{-63, -22}}},
        {"wider than the area", cornered, Pattern(41, 2), 0, 0, 15, 0, 0, {}},
        {"no template", cornered, TemplateImage{}, 0, 0, 15, 0, 0, {}},
        {"rows step the width", threeCopies, Solid(4, 2, 0), 4, 0, 0, 0, 0, {{0, 0}, {4, 0}, {8, 0}, {12, 0}}},
        {"columns step the height", threeCopies, Solid(2, 4, 0), 3, 1, 0, 0, 0, {{0, 0}, {0, 4}, {0, 8}}},
        {"tolerance 0 misses by one, the top byte never counts", nearly, offByOne, 0, 0, 0, 0, 0, {}},
        {"tolerance 1 finds it", nearly, offByOne, 0, 0, 1, 0, 0, {{5, 6}}},
        {"tolerance 255 matches anything", nearly, offByOne, 1, 0, 255, 0, 0, {{0, 0}}},
        {"one pixel", dotted, dot, 0, 0, 0, 1, 1, {{8, 5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TemplateImage t = c.templ;
        t.maxMatches = c.maxMatches;
        t.scanByColumns = c.byColumns;
        t.tolerance = c.tolerance;
        std::vector<MatchPoint> fast, reference;
        ScanForTemplate(c.screen.At(c.left, c.top), t, fast);
        ScanForTemplateReference(c.screen.At(c.left, c.top), t, reference);
        EXPECT_EQ(fast, c.expected);
        EXPECT_EQ(reference, c.expected);
    }
}

// Screens drawn from a few colours with jitter, so that probes pass often and the full
// comparison, the step after a match and the bound are all exercised.
struct RandomCase {
    Screen screen{0, 0};
    TemplateImage templ;
};

RandomCase MakeCase(std::mt19937& rng) {
    std::uniform_int_distribution<int> pick(0, 1 << 30);
    auto below = [&](int n) { return pick(rng) % n; };
    const uint32_t palette[] = {0x00000000, 0x00FFFFFF, 0x00808080, 0x00102030, 0x00F0E0D0};
    const int colours = 1 + below(5);
    const int jitter = below(4) == 0 ? 0 : below(40);
    auto colour = [&] {
        uint32_t c = palette[below(colours)] | (uint32_t(below(256)) << 24);
        for (int shift = 0; shift <= 16; shift += 8) {
            const int v = std::clamp(int((c >> shift) & 0xFF) + (jitter ? below(2 * jitter + 1) - jitter : 0), 0, 255);
            c = (c & ~(0xFFu << shift)) | (uint32_t(v) << shift);
        }
        return c;
    };
    RandomCase c{Screen(1 + below(70), 1 + below(50)), {}};
    for (auto& p : c.screen.pixels) p = colour();
    TemplateImage& t = c.templ;
    t.width = 1 + below(std::min(c.screen.width, 12));
    t.height = 1 + below(std::min(c.screen.height, 12));
    const int tolerances[] = {-7, 0, 0, 3, 15, 15, 40, 254, 255, 300};
    t.tolerance = tolerances[below(10)];
    t.maxMatches = below(4);
    t.scanByColumns = below(2);
    t.pixels.resize(size_t(t.width) * t.height);
    for (auto& p : t.pixels) p = colour();
    for (int copies = below(4); copies > 0; --copies) {  // some overlap each other
        c.screen.Paste(t, below(c.screen.width - t.width + 1), below(c.screen.height - t.height + 1));
    }
    return c;
}

TEST(ScanForTemplate, EveryVariantEqualsTheReferenceOnRandomScreens) {
    std::mt19937 rng(20261206);
    int withMatches = 0;
    for (int i = 0; i < 20000; ++i) {
        const RandomCase c = MakeCase(rng);
        const platform::ScreenImage area = c.screen.At(int32_t(rng() % 3000) - 1500, int32_t(rng() % 3000) - 1500);
        std::vector<MatchPoint> expected{{7, 7}};
        ScanForTemplateReference(area, c.templ, expected);
        withMatches += expected.size() > 1;

        std::vector<MatchPoint> dispatched{{7, 7}};
        ScanForTemplate(area, c.templ, dispatched);
        ASSERT_EQ(dispatched, expected) << "case " << i;
        const ScanPlan plan = MakeScanPlan(c.templ);
        std::vector<MatchPoint> sse2{{7, 7}};
        ScanSse2({area, c.templ, plan, sse2});
        ASSERT_EQ(sse2, expected) << "case " << i;
        if (CpuHasAvx2()) {
            std::vector<MatchPoint> avx2{{7, 7}};
            ScanAvx2({area, c.templ, plan, avx2});
            ASSERT_EQ(avx2, expected) << "case " << i;
        }
    }
    EXPECT_GT(withMatches, 5000);  // the cases do reach the match paths
}

TEST(FindClosest, EveryVariantEqualsThePlainComputation) {
    std::mt19937 rng(20261207);
    for (int i = 0; i < 3000; ++i) {
        auto [s, t] = MakeCase(rng);
        for (auto& p : t.pixels) p = rng() % 3 ? p ^ (rng() % 64) : s.pixels[rng() % s.pixels.size()];
        const int32_t left = int32_t(rng() % 3000) - 1500, top = int32_t(rng() % 3000) - 1500;

        const auto expected = FindClosestReference(t, s.At(left, top));
        ASSERT_TRUE(expected);
        ASSERT_EQ(FindClosest(t, s.At(left, top)), expected) << "case " << i;
        const ClosestPlan plan = MakeClosestPlan(t, s.At());
        const ClosestSpot spot{expected->location.x - left, expected->location.y - top, expected->tolerance};
        ASSERT_EQ(ClosestSse2({s.At(), t, plan}), spot) << "case " << i;
        if (CpuHasAvx2()) {
            ASSERT_EQ(ClosestAvx2({s.At(), t, plan}), spot) << "case " << i;
        }
    }
}

}  // namespace
}  // namespace glimtap
