#include "engine/find_closest.h"

#include <algorithm>
#include <numeric>

#include "engine/closest_variants.h"
#include "engine/colour_difference.h"
#include "engine/scan_plan.h"
#include "engine/scan_variants.h"

namespace glimtap {
namespace {

// Positions per side of the grid the plan samples the area on.
constexpr int32_t kSamplesPerSide = 8;
// Area pixels each template pixel is compared with to rank it.
constexpr size_t kColourSamples = 256;

uint32_t AreaPixel(const platform::ScreenImage& area, int32_t x, int32_t y) {
    return area.pixels[static_cast<size_t>(y) * area.width + x];
}

std::optional<ClosestMiss> MissAt(const TemplateImage& templ, const platform::ScreenImage& area,
                                  int32_t areaLeft, int32_t areaTop, int32_t x, int32_t y, int32_t need) {
    ClosestMiss miss{{areaLeft + x, areaTop + y}, templ.width, templ.height, need, 0};
    for (int32_t r = 0; r < templ.height; ++r) {
        for (int32_t k = 0; k < templ.width; ++k) {
            miss.agreeingPixels += PixelsAgree(AreaPixel(area, x + k, y + r),
                                               templ.pixels[static_cast<size_t>(r) * templ.width + k],
                                               templ.tolerance);
        }
    }
    return miss;
}

bool Fits(const TemplateImage& templ, const platform::ScreenImage& area) {
    return IsUsableTemplate(templ) && area.width >= templ.width && area.height >= templ.height;
}

}  // namespace

ClosestPlan MakeClosestPlan(const TemplateImage& templ, const platform::ScreenImage& area) {
    // The least need on a grid of positions spread over the area estimates the bound the
    // search will work with; a template pixel is telling when many of the area's colours
    // differ from it by that much.
    const size_t count = templ.pixels.size();
    int32_t threshold = 255;
    for (int32_t i = 0; i < kSamplesPerSide; ++i) {
        for (int32_t j = 0; j < kSamplesPerSide; ++j) {
            const int32_t x = (area.width - templ.width) * j / (kSamplesPerSide - 1);
            const int32_t y = (area.height - templ.height) * i / (kSamplesPerSide - 1);
            int32_t need = 0;
            for (size_t p = 0; p < count && need < threshold; ++p) {
                const int32_t dx = static_cast<int32_t>(p % templ.width);
                const int32_t dy = static_cast<int32_t>(p / templ.width);
                need = std::max(need, ColourDifference(AreaPixel(area, x + dx, y + dy), templ.pixels[p]));
            }
            threshold = std::min(threshold, need);
        }
    }
    const size_t areaPixels = static_cast<size_t>(area.width) * area.height;
    std::vector<uint32_t> colours;
    for (size_t k = 0; k < kColourSamples; ++k) colours.push_back(area.pixels[k * 7919 % areaPixels]);
    std::vector<int64_t> score(count, 0);
    for (size_t p = 0; p < count; ++p) {
        for (const uint32_t colour : colours) {
            const int32_t need = ColourDifference(colour, templ.pixels[p]);
            score[p] += (need >= threshold - 12 ? int64_t(1) << 32 : 0) + need;
        }
    }
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return score[a] > score[b]; });

    ClosestPlan plan;
    for (const size_t p : order) {
        const int32_t dx = static_cast<int32_t>(p % templ.width);
        const int32_t dy = static_cast<int32_t>(p / templ.width);
        plan.offsets.push_back(dy * area.width + dx);
        plan.colours.push_back(templ.pixels[p]);
    }
    return plan;
}

std::optional<ClosestMiss> FindClosest(const TemplateImage& templ, const platform::ScreenImage& area) {
    if (!Fits(templ, area)) return std::nullopt;
    const ClosestPlan plan = MakeClosestPlan(templ, area);
    static const auto find = CpuHasAvx2() ? ClosestAvx2 : ClosestSse2;
    const ClosestSpot spot = find({area, templ, plan});
    return MissAt(templ, area, area.left, area.top, spot.x, spot.y, spot.need);
}

std::optional<ClosestMiss> FindClosestReference(const TemplateImage& templ,
                                                const platform::ScreenImage& area) {
    if (!Fits(templ, area)) return std::nullopt;
    const bool byColumns = templ.scanByColumns != 0;
    const int32_t outerMax = byColumns ? area.width - templ.width : area.height - templ.height;
    const int32_t innerMax = byColumns ? area.height - templ.height : area.width - templ.width;
    ClosestSpot best{0, 0, 256};
    for (int32_t outer = 0; outer <= outerMax; ++outer) {
        for (int32_t inner = 0; inner <= innerMax; ++inner) {
            const int32_t x = byColumns ? outer : inner;
            const int32_t y = byColumns ? inner : outer;
            int32_t need = 0;
            for (int32_t r = 0; r < templ.height; ++r) {
                for (int32_t k = 0; k < templ.width; ++k) {
                    need = std::max(need, ColourDifference(AreaPixel(area, x + k, y + r),
                                                    templ.pixels[static_cast<size_t>(r) * templ.width + k]));
                }
            }
            if (need < best.need) best = {x, y, need};
        }
    }
    return MissAt(templ, area, area.left, area.top, best.x, best.y, best.need);
}

}  // namespace glimtap
