#pragma once

#include <QString>

#include <optional>

#include "engine/search_settings.h"
#include "platform/geometry.h"

namespace glimtap {

// The search area as the form shows it: position, an empty line, then size.
QString SearchAreaText(const SearchSettings& settings);

// Makes a selection the search area. False, and nothing changes, without one (the
// selector was cancelled or the rectangle was empty).
bool ApplySelectedArea(const std::optional<platform::ScreenRect>& selection,
                       SearchSettings& settings);

}  // namespace glimtap
