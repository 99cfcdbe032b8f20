#include "platform/portal/portal_capture.h"

#include "platform/area_clip.h"

namespace glimtap::platform {
namespace {

constexpr std::chrono::seconds kFirstFrameTimeout{5};
// Longer than the session waits for a Closed after the frames' end.
constexpr std::chrono::seconds kVerdictTimeout{2};

}  // namespace

std::optional<ScreenImage> PortalCapture::Capture(const ScreenRect& area) {
    if (area.width <= 0 || area.height <= 0) return std::nullopt;
    if (session_.State() == Consent::kNotAsked) session_.Ask();
    const auto deadline = std::chrono::steady_clock::now() + kFirstFrameTimeout;
    const std::shared_ptr<const PipeWireCast> cast =
        session_.WaitForCast(framesCame_ ? std::chrono::steady_clock::now() : deadline);
    const Consent consent = session_.State();
    if (consent == Consent::kRefused || consent == Consent::kRevoked) {
        throw ScreenLost(session_.Missing());
    }
    if (cast == nullptr) return std::nullopt;
    if (!framesCame_) framesCame_ = cast->WaitForFrames(deadline);
    std::optional<ScreenImage> image;
    if (!cast->Ended()) image = cast->Copy(PlaceStreams(session_.Streams()), area, pixels_);
    // Frames that stop coming: the desktop says why a moment later.
    if (!image && (framesCame_ || cast->Ended())) {
        session_.WaitWhileGiven(std::chrono::steady_clock::now() + kVerdictTimeout);
        if (session_.State() != Consent::kGiven) throw ScreenLost(session_.Missing());
        if (cast->Ended()) throw ScreenLost(kStreamEndedText);
    }
    return image;
}

Size PortalDesktop::VirtualScreenSize() const {
    const ScreenRect screen = VirtualScreen();
    return {screen.width, screen.height};
}

ScreenRect PortalDesktop::VirtualScreen() const {
    return BoundingBox(PlaceStreams(session_.Streams()));
}

}  // namespace glimtap::platform
