#pragma once

#include <filesystem>
#include <string>

#include "engine/atomic_int32.h"
#include "platform/desktop.h"

namespace glimtap {

// The configuration of one document. Booleans are 0 or 1; texts are UTF-16.
// The initialisers are the values before the first reset.
struct SearchSettings {
    AtomicInt32 areaLeft = 0;
    AtomicInt32 areaTop = 0;
    AtomicInt32 areaWidth = 0;
    AtomicInt32 areaHeight = 0;
    AtomicInt32 autoStopCount = 0;
    AtomicInt32 autoStopEnabled = 0;
    AtomicInt32 speechAlerts = 0;
    AtomicInt32 overlayOnMatch = 0;
    AtomicInt32 matchDelayMs = 500;
    AtomicInt32 tolerance = 15;
    AtomicInt32 moveCursorToMatch = 0;
    AtomicInt32 touchAtMatch = 0;
    AtomicInt32 beepForSearch = 0;
    std::filesystem::path targetFolder;
    AtomicInt32 executeEnabled = 0;
    std::u16string executeFile;
    std::u16string executeVerb;
    std::filesystem::path suggestedFileName;  // offered by the Save dialog; never stored

    // The search area, each field read once.
    platform::ScreenRect Area() const { return {areaLeft, areaTop, areaWidth, areaHeight}; }

    // The area spans the virtual screen's size from the origin (0, 0).
    void ResetToDefaults(const platform::Desktop& desktop);
};

}  // namespace glimtap
