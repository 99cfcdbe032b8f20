#pragma once

#include <vector>

#include "engine/find_closest.h"
#include "engine/match_point.h"
#include "engine/search_settings.h"
#include "engine/template_image.h"
#include "platform/screen_capture.h"

namespace glimtap {

// Captures the settings' search area (the part of it on the screen) and scans it for the
// template. `results` is emptied first; true when it holds at least one match. A template
// that is unusable or larger than the area's part on the screen, or a failed capture,
// finds nothing; a lost screen throws platform::ScreenLost.
// When `closest` is given, it receives the closest miss in the captured part after a try
// that found nothing, else nullopt.
bool FindTemplateOnScreen(const TemplateImage& templ, std::vector<MatchPoint>& results,
                          const SearchSettings& settings, platform::ScreenCapture& capture,
                          std::optional<ClosestMiss>* closest = nullptr);

}  // namespace glimtap
