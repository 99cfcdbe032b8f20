#include "engine/matcher.h"
#include "engine/colour_difference.h"
#include "engine/scan_plan.h"

namespace glimtap {
namespace {

bool MatchesAt(const platform::ScreenImage& area, const TemplateImage& t, int32_t x, int32_t y) {
    const auto pixel = [&](int32_t px, int32_t py) {
        return area.pixels[static_cast<size_t>(py) * area.width + px];
    };
    const int32_t w = t.width;
    const int32_t h = t.height;
    const int32_t cx = w / 2;
    const int32_t cy = h / 2;
    const uint32_t first = t.pixels[0];
    const uint32_t centre = t.pixels[static_cast<size_t>(cy) * w + cx];
    const uint32_t last = t.pixels[static_cast<size_t>(h) * w - 1];
    if (!PixelsAgree(pixel(x, y), first, t.tolerance)) return false;
    if (!PixelsAgree(pixel(x + cx, y + cy), centre, t.tolerance)) return false;
    if (!PixelsAgree(pixel(x + w - 1, y + h - 1), last, t.tolerance)) return false;
    for (int32_t r = 0; r < h; ++r) {
        for (int32_t k = 0; k < w; ++k) {
            if (!PixelsAgree(pixel(x + k, y + r), t.pixels[static_cast<size_t>(r) * w + k],
                             t.tolerance)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

void ScanForTemplateReference(const platform::ScreenImage& area, const TemplateImage& templ,
                              std::vector<MatchPoint>& results) {
    if (!IsUsableTemplate(templ)) return;
    const int32_t maxX = area.width - templ.width;
    const int32_t maxY = area.height - templ.height;
    const bool byColumns = templ.scanByColumns != 0;
    const int32_t outerMax = byColumns ? maxX : maxY;
    const int32_t innerMax = byColumns ? maxY : maxX;
    const int32_t skip = byColumns ? templ.height : templ.width;
    for (int32_t outer = 0; outer <= outerMax; ++outer) {
        int32_t inner = 0;
        while (inner <= innerMax) {
            const int32_t x = byColumns ? outer : inner;
            const int32_t y = byColumns ? inner : outer;
            if (!MatchesAt(area, templ, x, y)) {
                ++inner;
                continue;
            }
            results.push_back({area.left + x, area.top + y});
            if (templ.maxMatches > 0 && std::ssize(results) >= templ.maxMatches) return;
            inner += skip;
        }
    }
}

}  // namespace glimtap
