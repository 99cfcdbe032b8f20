#pragma once

#include "engine/data_file.h"

namespace glimtap {

// Calls visitor.Int32, visitor.String or visitor.Path (name, field) for every stored field,
// in the order the data file holds them. The names are the fields' names in the code.
template <typename Visitor, typename Data>
void VisitStoredFields(Visitor& visitor, Data& data) {
    auto& s = data.settings;
    visitor.Int32("fileVersion", data.fileVersion);
    visitor.Int32("areaLeft", s.areaLeft);
    visitor.Int32("areaTop", s.areaTop);
    visitor.Int32("areaWidth", s.areaWidth);
    visitor.Int32("areaHeight", s.areaHeight);
    visitor.Int32("autoStopCount", s.autoStopCount);
    visitor.Int32("autoStopEnabled", s.autoStopEnabled);
    visitor.Int32("speechAlerts", s.speechAlerts);
    visitor.Int32("overlayOnMatch", s.overlayOnMatch);
    visitor.Int32("matchDelayMs", s.matchDelayMs);
    visitor.Int32("tolerance", s.tolerance);
    visitor.Path("targetFolder", s.targetFolder);
    visitor.Int32("moveCursorToMatch", s.moveCursorToMatch);
    visitor.Int32("touchAtMatch", s.touchAtMatch);
    visitor.Int32("executeEnabled", s.executeEnabled);
    visitor.String("executeFile", s.executeFile);
    visitor.String("executeVerb", s.executeVerb);
    visitor.Int32("beepForSearch", s.beepForSearch);
}

}  // namespace glimtap
