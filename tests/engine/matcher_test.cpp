#include <gtest/gtest.h>

#include "engine/find_template.h"
#include "engine/matcher.h"
#include "engine/pixels_agree.h"
#include "platform/image_screen.h"

namespace glimtap {
namespace {

using platform::ScreenImage;

struct Screen {
    int32_t width;
    int32_t height;
    std::vector<uint32_t> pixels;
    Screen(int32_t w, int32_t h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    ScreenImage view() const { return {pixels.data(), width, height}; }
    void Paste(const TemplateImage& t, int32_t x, int32_t y) {
        for (int32_t r = 0; r < t.height; ++r)
            for (int32_t k = 0; k < t.width; ++k)
                pixels[size_t(y + r) * width + x + k] = t.pixels[size_t(r) * t.width + k];
    }
};

TemplateImage Pattern(int32_t w, int32_t h, uint32_t seed = 1) {
    TemplateImage t;
    t.width = w;
    t.height = h;
    t.tolerance = 15;
    for (int32_t i = 0; i < w * h; ++i) t.pixels.push_back((seed * 2654435761u + i * 40503u) & 0xFFFFFF);
    return t;
}

// Both the fast and the reference scan.
std::vector<MatchPoint> Scan(const Screen& s, const TemplateImage& t, int32_t left = 0, int32_t top = 0) {
    std::vector<MatchPoint> fast, reference;
    ScanForTemplate(s.view(), left, top, t, fast);
    ScanForTemplateReference(s.view(), left, top, t, reference);
    EXPECT_EQ(fast, reference);
    return fast;
}

TEST(PixelsAgree, ToleranceBoundsAndIgnoredTopByte) {
    EXPECT_TRUE(PixelsAgree(0x00102030, 0x001F2F3F, 15));   // each channel 15 apart
    EXPECT_FALSE(PixelsAgree(0x00102030, 0x00102040, 15));  // blue 16 apart
    EXPECT_FALSE(PixelsAgree(0x00302010, 0x00102010, 15));  // red alone decides
    EXPECT_TRUE(PixelsAgree(0xFF112233, 0x00112233, 0));    // bits 24-31 never count
    EXPECT_TRUE(PixelsAgree(0x00112233, 0x00112233, -5));   // negative: equality only
    EXPECT_FALSE(PixelsAgree(0x00112233, 0x00112234, -5));
    EXPECT_TRUE(PixelsAgree(0x00000000, 0x00FFFFFF, 255));
    EXPECT_TRUE(PixelsAgree(0x00000000, 0x00FFFFFF, 1000));
}

TEST(ScanForTemplate, PositionsLimitsAndScreenCoordinates) {
    const TemplateImage t = Pattern(3, 2);
    Screen exact(3, 2);
    exact.Paste(t, 0, 0);
    EXPECT_EQ(Scan(exact, t, -100, 50), (std::vector<MatchPoint>{{-100, 50}}));

    Screen s(40, 30, 0x00808080);
    s.Paste(t, 37, 28);  // bottom-right corner: the last position
    EXPECT_EQ(Scan(s, t, 10, 20), (std::vector<MatchPoint>{{47, 48}}));

    TemplateImage wide = Pattern(41, 2);
    EXPECT_TRUE(Scan(s, wide).empty());
    EXPECT_TRUE(Scan(s, TemplateImage{}).empty());
}

TEST(ScanForTemplate, OrderStepAndBound) {
    TemplateImage t = Pattern(5, 3);
    Screen s(60, 40);
    s.Paste(t, 30, 10);
    s.Paste(t, 10, 20);
    s.Paste(t, 40, 20);
    t.maxMatches = 1;
    EXPECT_EQ(Scan(s, t), (std::vector<MatchPoint>{{30, 10}}));  // upper one first
    t.scanByColumns = 1;
    EXPECT_EQ(Scan(s, t), (std::vector<MatchPoint>{{10, 20}}));  // leftmost column first
    t.maxMatches = 0;
    EXPECT_EQ(Scan(s, t), (std::vector<MatchPoint>{{10, 20}, {30, 10}, {40, 20}}));
    t.scanByColumns = 0;
    EXPECT_EQ(Scan(s, t), (std::vector<MatchPoint>{{30, 10}, {10, 20}, {40, 20}}));
    t.maxMatches = 2;
    EXPECT_EQ(Scan(s, t), (std::vector<MatchPoint>{{30, 10}, {10, 20}}));
}

TEST(ScanForTemplate, StepAfterMatchSkipsOverlaps) {
    // A flat template on a flat screen matches everywhere: the step decides what is reported.
    TemplateImage t;
    t.width = 4;
    t.height = 2;
    t.pixels.assign(8, 0x00123456);
    Screen s(10, 3, 0x00123456);
    EXPECT_EQ(Scan(s, t), (std::vector<MatchPoint>{{0, 0}, {4, 0}, {0, 1}, {4, 1}}));
    t.scanByColumns = 1;
    EXPECT_EQ(Scan(s, t).size(), 7u);  // one per column: after row 0 the step of 2 leaves the area
}

TEST(ScanForTemplate, ToleranceExtremes) {
    TemplateImage t = Pattern(3, 3);
    Screen s(20, 20, 0x00FFFFFF);
    t.tolerance = 255;
    t.maxMatches = 1;
    EXPECT_EQ(Scan(s, t), (std::vector<MatchPoint>{{0, 0}}));
    t.tolerance = 1000;
    EXPECT_EQ(Scan(s, t), (std::vector<MatchPoint>{{0, 0}}));
    s.Paste(t, 5, 6);
    s.pixels[7 * 20 + 6] ^= 0x01000001;  // centre pixel off by one in blue, top byte noise
    t.tolerance = 0;
    EXPECT_TRUE(Scan(s, t).empty());
    t.tolerance = -3;
    EXPECT_TRUE(Scan(s, t).empty());
    t.tolerance = 1;
    EXPECT_EQ(Scan(s, t), (std::vector<MatchPoint>{{5, 6}}));
}

TEST(ScanForTemplate, OnePixelTemplate) {
    TemplateImage t;
    t.width = t.height = 1;
    t.pixels = {0x00ABCDEF};
    t.tolerance = 0;
    Screen s(9, 9);
    s.pixels[4 * 9 + 7] = 0xFFABCDEF;
    EXPECT_EQ(Scan(s, t, 1, 1), (std::vector<MatchPoint>{{8, 5}}));
}

TEST(FindTemplateOnScreen, AreaFromSettingsAndRefusals) {
    const TemplateImage t = Pattern(6, 4);
    Screen screen(100, 80);
    screen.Paste(t, 50, 30);
    platform::ImageScreen capture(screen.pixels, screen.width, screen.height);
    SearchSettings settings;
    settings.areaLeft = 40;
    settings.areaTop = 20;
    settings.areaWidth = 30;
    settings.areaHeight = 20;

    std::vector<MatchPoint> results{{1, 1}};
    EXPECT_TRUE(FindTemplateOnScreen(t, results, settings, capture));
    EXPECT_EQ(results, (std::vector<MatchPoint>{{50, 30}}));

    settings.areaWidth = 5;  // narrower than the template
    EXPECT_FALSE(FindTemplateOnScreen(t, results, settings, capture));
    EXPECT_TRUE(results.empty());

    settings.areaLeft = 60;  // the match lies outside the area
    settings.areaWidth = 30;
    results = {{1, 1}};
    EXPECT_FALSE(FindTemplateOnScreen(t, results, settings, capture));
    EXPECT_TRUE(results.empty());

    TemplateImage broken = t;
    broken.pixels.pop_back();
    EXPECT_FALSE(FindTemplateOnScreen(broken, results, settings, capture));
}

}  // namespace
}  // namespace glimtap
