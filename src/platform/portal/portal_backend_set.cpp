#include "platform/portal/portal_backend_set.h"

#include "platform/desktop_launcher.h"
#include "platform/portal/portal_capture.h"
#include "platform/portal/portal_global_hot_key.h"
#include "platform/portal/portal_input.h"
#include "platform/portal/portal_session.h"

namespace glimtap::platform {

PortalBackendSet::PortalBackendSet(const PortalOffer& offer, OverlaySurfaces overlays,
                                   ConsentMemory* memory)
    : BackendSet("portal", ""),
      offer_(offer),
      overlays_(overlays),
      session_(std::make_unique<PortalSession>(offer, memory)) {
    desktop_ = std::make_unique<PortalDesktop>(*session_);
    launcher_ = std::make_unique<DesktopLauncher>();
    if ((offer.deviceTypes & kPortalPointer) != 0) {
        pointer_ = std::make_unique<PortalPointer>(*session_);
    }
}

PortalBackendSet::~PortalBackendSet() {
    CloseServices();
    session_.reset();
}

std::string PortalBackendSet::Summary() const {
    const std::string missing = Missing();
    return Name() + "; " + PortalOfferText(offer_) + (missing.empty() ? "" : "; " + missing);
}

std::string PortalBackendSet::Missing() const { return session_->Missing(); }

Consent PortalBackendSet::ScreenConsent() const { return session_->State(); }

void PortalBackendSet::WantInput(bool wanted) { session_->WantInput(wanted); }

void PortalBackendSet::AskConsent() { session_->Ask(); }

void PortalBackendSet::OnChanged(std::function<void()> changed) {
    session_->OnChanged(std::move(changed));
}

std::unique_ptr<ScreenCapture> PortalBackendSet::OpenCapture() {
    return std::make_unique<PortalCapture>(*session_);
}

std::unique_ptr<TouchInjector> PortalBackendSet::MakeTouch() {
    if ((offer_.deviceTypes & (kPortalPointer | kPortalTouch)) == 0) return nullptr;
    return std::make_unique<PortalTouch>(*session_);
}

std::unique_ptr<GlobalHotKey> PortalBackendSet::MakeHotKey() {
    return offer_.globalShortcuts != 0 ? PortalGlobalHotKey::Open() : nullptr;
}

}  // namespace glimtap::platform
