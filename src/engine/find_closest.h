#pragma once

#include <cstdint>
#include <optional>

#include "engine/match_point.h"
#include "engine/template_image.h"
#include "platform/screen_capture.h"

namespace glimtap {

// Where a template came closest to matching, and what it would take to match there.
struct ClosestMiss {
    MatchPoint location;  // screen coordinates of the top-left corner
    int32_t width = 0;
    int32_t height = 0;
    // The least tolerance that matches there: the largest channel difference over all
    // template pixels, 0..255.
    int32_t tolerance = 0;
    // Template pixels within the template's own tolerance there.
    int64_t agreeingPixels = 0;

    // agreeingPixels as a share of all template pixels, 0..1.
    double AgreeingShare() const {
        return static_cast<double>(agreeingPixels) / (static_cast<double>(width) * height);
    }
    friend bool operator==(const ClosestMiss&, const ClosestMiss&) = default;
};

// The position of `area` (placed on the screen at its left and top) that needs the least tolerance for the template to match; of
// equal ones, the first in the template's scan order (rows or columns outer). nullopt when
// the template is unusable or larger than the area.
std::optional<ClosestMiss> FindClosest(const TemplateImage& templ, const platform::ScreenImage& area);

// The plain computation of every position in full; the fast one must give the same.
std::optional<ClosestMiss> FindClosestReference(const TemplateImage& templ,
                                                const platform::ScreenImage& area);

}  // namespace glimtap
