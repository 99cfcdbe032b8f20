#include "engine/find_template.h"

#include "engine/matcher.h"
#include "engine/scan_plan.h"

namespace glimtap {

bool FindTemplateOnScreen(const TemplateImage& templ, std::vector<MatchPoint>& results,
                          const SearchSettings& settings, platform::ScreenCapture& capture,
                          std::optional<ClosestMiss>* closest) {
    results.clear();
    if (closest) closest->reset();
    if (!IsUsableTemplate(templ)) return false;
    // Read once: the user may move the area while a search runs.
    const platform::ScreenRect area = settings.Area();
    if (area.width < templ.width || area.height < templ.height) return false;
    const auto image = capture.Capture(area);
    if (!image) return false;
    ScanForTemplate(*image, templ, results);
    if (closest && results.empty()) *closest = FindClosest(templ, *image);
    return !results.empty();
}

}  // namespace glimtap
