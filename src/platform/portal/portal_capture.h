#pragma once

#include <vector>

#include "platform/portal/portal_session.h"
#include "platform/screen_capture.h"

namespace glimtap::platform {

// Copies rectangles of the screen out of the screen cast's newest frames. The first capture
// asks for consent when nobody has, and waits (up to 5 s) for the answer and the first
// frames; later ones never wait. Throws ScreenLost once consent is refused or revoked, or
// the cast has ended, with the reason.
class PortalCapture : public ScreenCapture {
public:
    explicit PortalCapture(PortalSession& session) : session_(session) {}
    std::optional<ScreenImage> Capture(const ScreenRect& area) override;

private:
    PortalSession& session_;
    bool framesCame_ = false;
    std::vector<uint32_t> pixels_;
};

// The desktop the screen cast shows: its monitors in physical pixels; 0 x 0 until
// consent is given.
class PortalDesktop : public Desktop {
public:
    explicit PortalDesktop(const PortalSession& session) : session_(session) {}
    Size VirtualScreenSize() const override;
    ScreenRect VirtualScreen() const override;
    bool CompositorRunning() const override { return true; }

private:
    const PortalSession& session_;
};

}  // namespace glimtap::platform
