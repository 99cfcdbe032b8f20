#pragma once

#include <cstdint>
#include <vector>

#include "engine/match_point.h"
#include "engine/template_image.h"
#include "platform/screen_capture.h"

namespace glimtap {

// Slides the template over every position where it fits inside the captured `area` and
// appends each accepted position, as screen coordinates (area origin + offset), in scan
// order.
// After a match the scan skips the template's width (rows outer) or height (columns
// outer); it stops once the template's maxMatches (> 0) matches are held.
void ScanForTemplate(const platform::ScreenImage& area, const TemplateImage& templ,
                     std::vector<MatchPoint>& results);

// The plain position-by-position scan; the fast one must give identical results.
void ScanForTemplateReference(const platform::ScreenImage& area, const TemplateImage& templ,
                              std::vector<MatchPoint>& results);

}  // namespace glimtap
