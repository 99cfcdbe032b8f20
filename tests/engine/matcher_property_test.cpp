#include <gtest/gtest.h>

#include <random>

#include "engine/matcher.h"
#include "engine/scan_variants.h"

namespace glimtap {
namespace {

// Screens drawn from a few colours with jitter, so that probes pass often and the full
// comparison, the step after a match and the bound are all exercised.
struct Case {
    std::vector<uint32_t> screen;
    int32_t width = 0;
    int32_t height = 0;
    TemplateImage templ;
};

Case MakeCase(std::mt19937& rng) {
    std::uniform_int_distribution<int> pick(0, 1 << 30);
    auto below = [&](int n) { return pick(rng) % n; };
    const uint32_t palette[] = {0x00000000, 0x00FFFFFF, 0x00808080, 0x00102030, 0x00F0E0D0};
    const int colours = 1 + below(5);
    const int jitter = below(4) == 0 ? 0 : below(40);
    auto colour = [&] {
        uint32_t c = palette[below(colours)] | (uint32_t(below(256)) << 24);
        for (int shift = 0; shift <= 16; shift += 8) {
            int v = int((c >> shift) & 0xFF) + (jitter ? below(2 * jitter + 1) - jitter : 0);
            v = std::clamp(v, 0, 255);
            c = (c & ~(0xFFu << shift)) | (uint32_t(v) << shift);
        }
        return c;
    };

    Case c;
    c.width = 1 + below(70);
    c.height = 1 + below(50);
    c.screen.resize(size_t(c.width) * c.height);
    for (auto& p : c.screen) p = colour();

    TemplateImage& t = c.templ;
    t.width = 1 + below(std::min(c.width, 12));
    t.height = 1 + below(std::min(c.height, 12));
    const int tolerances[] = {-7, 0, 0, 3, 15, 15, 40, 254, 255, 300};
    t.tolerance = tolerances[below(10)];
    t.maxMatches = below(4);
    t.scanByColumns = below(2);
    t.pixels.resize(size_t(t.width) * t.height);
    for (auto& p : t.pixels) p = colour();
    // Plant copies of the template, some of them overlapping each other.
    for (int copies = below(4); copies > 0; --copies) {
        const int32_t x = below(c.width - t.width + 1);
        const int32_t y = below(c.height - t.height + 1);
        for (int32_t r = 0; r < t.height; ++r)
            for (int32_t k = 0; k < t.width; ++k)
                c.screen[size_t(y + r) * c.width + x + k] = t.pixels[size_t(r) * t.width + k];
    }
    return c;
}

TEST(ScanForTemplateProperty, EveryVariantEqualsTheReference) {
    std::mt19937 rng(20261206);
    int withMatches = 0;
    for (int i = 0; i < 20000; ++i) {
        const Case c = MakeCase(rng);
        const platform::ScreenImage area{c.screen.data(), c.width, c.height};
        const int32_t left = int32_t(rng() % 3000) - 1500;
        const int32_t top = int32_t(rng() % 3000) - 1500;

        std::vector<MatchPoint> expected{{7, 7}};
        ScanForTemplateReference(area, left, top, c.templ, expected);
        withMatches += expected.size() > 1;

        std::vector<MatchPoint> dispatched{{7, 7}};
        ScanForTemplate(area, left, top, c.templ, dispatched);
        ASSERT_EQ(dispatched, expected) << "case " << i;

        const ScanPlan plan = MakeScanPlan(c.templ);
        std::vector<MatchPoint> sse2{{7, 7}};
        ScanSse2({area, left, top, c.templ, plan, sse2});
        ASSERT_EQ(sse2, expected) << "case " << i;
        if (CpuHasAvx2()) {
            std::vector<MatchPoint> avx2{{7, 7}};
            ScanAvx2({area, left, top, c.templ, plan, avx2});
            ASSERT_EQ(avx2, expected) << "case " << i;
        }
    }
    EXPECT_GT(withMatches, 5000);  // the cases do reach the match paths
}

}  // namespace
}  // namespace glimtap
