#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/closest_variants.h"
#include "engine/find_closest.h"
#include "engine/find_template.h"
#include "engine/matcher.h"
#include "engine/scan_variants.h"
#include "platform/image_screen.h"

namespace glimtap {
namespace {

// A screen of pixels, top row first, that may stand anywhere on the desktop.
struct Screen {
    int32_t width;
    int32_t height;
    std::vector<uint32_t> pixels;
    Screen(int32_t w, int32_t h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    platform::ScreenImage At(int32_t left = 0, int32_t top = 0) const { return {pixels.data(), width, height, left, top}; }
    void Paste(const TemplateImage& t, int32_t x, int32_t y) {
        for (int32_t r = 0; r < t.height; ++r)
            for (int32_t k = 0; k < t.width; ++k) pixels[size_t(y + r) * width + x + k] = t.pixels[size_t(r) * t.width + k];
    }
    TemplateImage Cut(int32_t x, int32_t y, int32_t w, int32_t h) const {
        TemplateImage t{0, 0, 15, w, h, {}};
        for (int32_t r = 0; r < h; ++r)
            for (int32_t k = 0; k < w; ++k) t.pixels.push_back(pixels[size_t(y + r) * width + x + k]);
        return t;
    }
};

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
    threeCopies.Paste(three, 30, 10);
    threeCopies.Paste(three, 10, 20);
    threeCopies.Paste(three, 40, 20);
    const TemplateImage corner = Pattern(3, 2);
    Screen cornered(40, 30, 0x00808080);
    cornered.Paste(corner, 37, 28);
    TemplateImage offByOne = Pattern(3, 3);
    Screen nearly(20, 20, 0x00FFFFFF);
    nearly.Paste(offByOne, 5, 6);
    nearly.pixels[7 * 20 + 6] ^= 0x01000001;  // centre pixel off by one in blue, top byte noise
    TemplateImage dot = Screen(1, 1, 0x00ABCDEF).Cut(0, 0, 1, 1);
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
        {"rows, no bound", threeCopies, three, 0, 0, 15, 0, 0, {{30, 10}, {10, 20}, {40, 20}}},
        {"rows, bound 2", threeCopies, three, 2, 0, 15, 0, 0, {{30, 10}, {10, 20}}},
        {"last position, screen coordinates", cornered, corner, 0, 0, 15, 10, 20, {{47, 48}}},
        {"negative origin", cornered, corner, 0, 0, 15, -100, -50, {{-63, -22}}},
        {"wider than the area", cornered, Pattern(41, 2), 0, 0, 15, 0, 0, {}},
        {"no template", cornered, TemplateImage{}, 0, 0, 15, 0, 0, {}},
        {"rows step the width", threeCopies, Screen(4, 2).Cut(0, 0, 4, 2), 4, 0, 0, 0, 0, {{0, 0}, {4, 0}, {8, 0}, {12, 0}}},
        {"columns step the height", threeCopies, Screen(2, 4).Cut(0, 0, 2, 4), 3, 1, 0, 0, 0, {{0, 0}, {0, 4}, {0, 8}}},
        {"tolerance 0 misses by one, the top byte never counts", nearly, offByOne, 0, 0, 0, 0, 0, {}},
        {"negative tolerance is 0", nearly, offByOne, 0, 0, -3, 0, 0, {}},
        {"tolerance 1 finds it", nearly, offByOne, 0, 0, 1, 0, 0, {{5, 6}}},
        {"tolerance 255 matches anything", nearly, offByOne, 1, 0, 255, 0, 0, {{0, 0}}},
        {"tolerance past 255", nearly, offByOne, 1, 0, 1000, 0, 0, {{0, 0}}},
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

// Matches come in screen coordinates; a template larger than the area, or broken, finds nothing.
TEST(FindTemplateOnScreen, SearchesTheAreaInScreenCoordinates) {
    const TemplateImage t = Pattern(6, 4);
    Screen screen(100, 80);
    screen.Paste(t, 50, 30);
    platform::ImageScreen capture(screen.pixels, screen.width, screen.height);
    TemplateImage broken = t;
    broken.pixels.pop_back();
    SearchSettings settings;
    settings.areaLeft = 40;
    settings.areaTop = 20;
    settings.areaWidth = 30;
    settings.areaHeight = 20;
    std::vector<MatchPoint> results{{1, 1}};
    EXPECT_TRUE(FindTemplateOnScreen(t, results, settings, capture));
    EXPECT_EQ(results, (std::vector<MatchPoint>{{50, 30}}));
    EXPECT_FALSE(FindTemplateOnScreen(broken, results, settings, capture));
    EXPECT_TRUE(results.empty());
    settings.areaWidth = 5;
    results = {{1, 1}};
    EXPECT_FALSE(FindTemplateOnScreen(t, results, settings, capture));
    EXPECT_TRUE(results.empty());
}

// Random noise, or a desktop-like picture: flat panels with dark text-like strokes.
Screen MakeScreen(std::mt19937& rng, int32_t width, int32_t height, bool desktopLike) {
    Screen s(width, height);
    if (!desktopLike) {
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

TEST(FindClosest, EveryVariantEqualsThePlainComputation) {
    std::mt19937 rng(20261207);
    for (int i = 0; i < 3000; ++i) {
        const Screen s = MakeScreen(rng, 1 + rng() % 60, 1 + rng() % 40, i % 2);
        TemplateImage t = s.Cut(0, 0, 1 + rng() % std::min(s.width, 10), 1 + rng() % std::min(s.height, 10));
        for (auto& p : t.pixels) p = rng() % 3 ? p ^ (rng() % 64) : s.pixels[rng() % s.pixels.size()];
        t.scanByColumns = rng() % 2;
        t.tolerance = int32_t(rng() % 80) - 10;
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

TEST(FindClosest, TiesGoToTheFirstPositionInScanOrderAndTooLargeFindsNothing) {
    // Two exact copies: (5, 1) comes first by rows, (1, 4) by columns.
    Screen s(12, 8, 0x00FFFFFF);
    for (const auto& [x, y] : {std::pair{5, 1}, std::pair{1, 4}}) s.pixels[size_t(y) * 12 + x] = 0;
    TemplateImage t{0, 0, 0, 2, 2, {0, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF}};
    EXPECT_EQ(FindClosest(t, s.At())->location, (MatchPoint{5, 1}));
    t.scanByColumns = 1;
    EXPECT_EQ(FindClosest(t, s.At())->location, (MatchPoint{1, 4}));
    t.width = 13;
    t.pixels.resize(26);
    EXPECT_FALSE(FindClosest(t, s.At()));
}

}  // namespace
}  // namespace glimtap
