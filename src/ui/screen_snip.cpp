#include "ui/screen_snip.h"

#include "engine/screenshot_bmp.h"
#include "engine/utf16.h"
#include "ui/screen_area_selector.h"

namespace glimtap {

std::optional<SnipAttempt> SnipNewTemplate(QWidget* owner, Profile& profile,
                                           const std::u16string& targetFolder,
                                           platform::BackendSet& backends) {
    const std::optional<platform::ScreenRect> area =
        SelectScreenArea(owner, profile, backends.Geometry());
    if (!area) return std::nullopt;
    // The capture backend the search uses, so a snip is what the search will see.
    const std::unique_ptr<platform::ScreenCapture> capture = backends.OpenCapture();
    if (capture == nullptr) return SnipAttempt{};
    return SnipAttempt{CaptureScreenToBmp(*capture, *area, ToPath(targetFolder))};
}

}  // namespace glimtap
