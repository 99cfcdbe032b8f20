#include "engine/scan_plan.h"

#include <algorithm>

#include "engine/colour_difference.h"

namespace glimtap {
namespace {

// Boyer-Moore majority vote: the colour of most of the template, when one colour is.
uint32_t DominantColour(const TemplateImage& templ) {
    uint32_t candidate = 0;
    size_t votes = 0;
    for (const uint32_t pixel : templ.pixels) {
        const uint32_t colour = pixel & 0xFFFFFF;
        if (votes == 0) candidate = colour;
        votes += colour == candidate ? 1 : size_t(-1);
    }
    return candidate;
}

}  // namespace

bool IsUsableTemplate(const TemplateImage& templ) {
    return templ.width > 0 && templ.height > 0 &&
           templ.pixels.size() == static_cast<size_t>(templ.width) * templ.height;
}

ScanPlan MakeScanPlan(const TemplateImage& templ) {
    ScanPlan plan;
    plan.channelTolerance = static_cast<uint8_t>(std::clamp(templ.tolerance, 0, 255));
    const int32_t w = templ.width;
    const int32_t h = templ.height;
    const auto add = [&](int32_t dx, int32_t dy) {
        for (int i = 0; i < plan.count; ++i) {
            if (plan.probes[i].dx == dx && plan.probes[i].dy == dy) return;
        }
        plan.probes[plan.count++] = {dx, dy, templ.pixels[static_cast<size_t>(dy) * w + dx]};
    };
    // Keep the pixels farthest from the dominant colour, only those it could not pass for.
    const uint32_t dominant = DominantColour(templ);
    struct Candidate {
        int distance;
        size_t index;
    };
    std::array<Candidate, ScanPlan::kMaxProbes> best{};
    int bestCount = 0;
    const int room = ScanPlan::kMaxProbes - 3;
    for (size_t i = 0; i < templ.pixels.size(); ++i) {
        const int distance = ColourDifference(templ.pixels[i], dominant);
        if (distance <= plan.channelTolerance) continue;
        if (bestCount == room && distance <= best[bestCount - 1].distance) continue;
        int at = std::min(bestCount, room - 1);
        while (at > 0 && best[at - 1].distance < distance) {
            best[at] = best[at - 1];
            --at;
        }
        best[at] = {distance, i};
        bestCount = std::min(bestCount + 1, room);
    }
    for (int i = 0; i < bestCount; ++i) {
        add(static_cast<int32_t>(best[i].index % w), static_cast<int32_t>(best[i].index / w));
    }
    add(0, 0);
    add(w / 2, h / 2);
    add(w - 1, h - 1);
    return plan;
}

}  // namespace glimtap
