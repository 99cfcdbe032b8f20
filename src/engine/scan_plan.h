#pragma once

#include <array>
#include <cstdint>

#include "engine/template_image.h"

namespace glimtap {

// Template pixels tested at every position before the full comparison. A position
// matches only when all pixels agree, so testing more of them, in any order, never
// changes a result; it only rejects more positions early.
struct ScanPlan {
    struct Probe {
        int32_t dx = 0;
        int32_t dy = 0;
        uint32_t colour = 0;
    };
    static constexpr int kMaxProbes = 8;
    std::array<Probe, kMaxProbes> probes{};
    int count = 0;
    // The tolerance as the per-channel bound it amounts to: 0..255.
    uint8_t channelTolerance = 0;
};

// The pixels that differ most from the template's dominant colour (they reject flat
// screen areas quickly), then the first, centre and last pixels.
// The template must be usable (non-empty, pixels == width * height).
ScanPlan MakeScanPlan(const TemplateImage& templ);

// True when the template has a size and pixels to match it.
bool IsUsableTemplate(const TemplateImage& templ);

}  // namespace glimtap
