#pragma once

#include <cstdint>
#include <vector>

#include "engine/match_point.h"
#include "engine/scan_plan.h"
#include "engine/template_image.h"
#include "platform/screen_capture.h"

namespace glimtap {

// One scan's inputs; the template is usable and fits inside the area.
struct ScanJob {
    const platform::ScreenImage& area;
    const TemplateImage& templ;
    const ScanPlan& plan;
    std::vector<MatchPoint>& results;
};

// The fast scan for each instruction set; ScanForTemplate picks one for this CPU.
void ScanSse2(const ScanJob& job);
void ScanAvx2(const ScanJob& job);
bool CpuHasAvx2();

}  // namespace glimtap
