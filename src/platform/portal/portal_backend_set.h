#pragma once

#include <memory>

#include "platform/backend_set.h"
#include "platform/consent_memory.h"
#include "platform/portal/portal_offer.h"

namespace glimtap::platform {

class PortalSession;

// The services of a desktop that shows the screen and takes input only through the desktop
// portals (GNOME, KDE Plasma): a screen cast over PipeWire and, where offered, the pointer
// and touch of a remote-desktop session, both granted by the desktop's user in one dialog.
class PortalBackendSet : public BackendSet {
public:
    // `offer` must include ScreenCast. `overlays` and `qtPlatform` say where markers are shown
    // (an XWayland display beside the portal, or layer-shell). Throws Unavailable when no
    // session bus answers.
    PortalBackendSet(const PortalOffer& offer, OverlaySurfaces overlays, ConsentMemory* memory);
    ~PortalBackendSet() override;

    std::string Summary() const override;
    std::string Missing() const override;
    Consent ScreenConsent() const override;
    void WantInput(bool wanted) override;
    void AskConsent() override;
    void OnChanged(std::function<void()> changed) override;
    OverlaySurfaces Overlays() const override { return overlays_; }
    const char* QtPlatform() const override {
        return overlays_ == OverlaySurfaces::kLayerShell ? "wayland" : "xcb";
    }
    bool CanCapture() const override { return true; }
    std::unique_ptr<ScreenCapture> OpenCapture() override;

protected:
    std::unique_ptr<TouchInjector> MakeTouch() override;
    std::unique_ptr<GlobalHotKey> MakeHotKey() override;

private:
    const PortalOffer offer_;
    const OverlaySurfaces overlays_;
    std::unique_ptr<PortalSession> session_;
};

}  // namespace glimtap::platform
