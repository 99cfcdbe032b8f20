#include "engine/search_settings.h"

namespace glimtap {

void SearchSettings::ResetToDefaults(const platform::Desktop& desktop) {
    const platform::ScreenRect screen = desktop.VirtualScreen();
    areaLeft = screen.left;
    areaTop = screen.top;
    areaWidth = screen.width;
    areaHeight = screen.height;
    autoStopCount = 1;
    autoStopEnabled = 1;
    speechAlerts = 1;
    overlayOnMatch = 1;
    matchDelayMs = 500;
    tolerance = 15;
    moveCursorToMatch = 0;
    touchAtMatch = 0;
    beepForSearch = 0;
    targetFolder.clear();
    executeEnabled = 0;
    executeFile = u"notepad";
    executeVerb = u"open";
    suggestedFileName.clear();
}

}  // namespace glimtap
