#include "ui/screen_snip.h"

#include "engine/screenshot_bmp.h"
#include "ui/screen_area_selector.h"
#include "ui/screen_still.h"

namespace glimtap {

std::optional<SnipAttempt> SnipNewTemplate(QWidget* owner, Profile& profile,
                                           const std::filesystem::path& targetFolder,
                                           platform::BackendSet& backends) {
    // Cut from the picture the user selected on, never from the screen behind the veil.
    ScreenStill still = ScreenStill::Take(backends);
    const std::optional<platform::ScreenRect> area = SelectScreenArea(owner, profile, still, backends);
    if (!area) return std::nullopt;
    return SnipAttempt{CaptureScreenToBmp(still, *area, targetFolder)};
}

}  // namespace glimtap
