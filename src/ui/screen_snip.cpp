#include "ui/screen_snip.h"

#include "engine/screenshot_bmp.h"
#include "engine/utf16.h"
#include "platform/backends.h"
#include "ui/screen_area_selector.h"

namespace glimtap {

std::optional<SnipAttempt> SnipNewTemplate(QWidget* owner, Profile& profile,
                                           const std::u16string& targetFolder) {
    const std::optional<platform::ScreenRect> area = SelectScreenArea(owner, profile);
    if (!area) return std::nullopt;
    try {
        // The capture backend the search uses, so a snip is what the search will see.
        const std::unique_ptr<platform::ScreenCapture> capture = platform::OpenScreenCapture();
        return SnipAttempt{CaptureScreenToBmp(*capture, *area, ToPath(targetFolder))};
    } catch (const platform::Unavailable&) {
        return SnipAttempt{};
    }
}

}  // namespace glimtap
