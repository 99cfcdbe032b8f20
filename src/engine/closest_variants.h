#pragma once

#include <cstdint>
#include <vector>

#include "engine/template_image.h"
#include "platform/screen_capture.h"

namespace glimtap {

// Every template pixel, the most telling first: those that most often differ most from
// the area's pixels, so a position is given up after few of them.
struct ClosestPlan {
    std::vector<int32_t> offsets;  // dy * area width + dx
    std::vector<uint32_t> colours;
};

// A position in area coordinates and the tolerance it needs.
struct ClosestSpot {
    int32_t x = 0;
    int32_t y = 0;
    int32_t need = 0;
    friend bool operator==(const ClosestSpot&, const ClosestSpot&) = default;
};

// One search's inputs; the template is usable and fits inside the area.
struct ClosestJob {
    const platform::ScreenImage& area;
    const TemplateImage& templ;
    const ClosestPlan& plan;
};

ClosestPlan MakeClosestPlan(const TemplateImage& templ, const platform::ScreenImage& area);

// The fast search for each instruction set; FindClosest picks one for this CPU.
ClosestSpot ClosestSse2(const ClosestJob& job);
ClosestSpot ClosestAvx2(const ClosestJob& job);

}  // namespace glimtap
