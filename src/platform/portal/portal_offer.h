#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace glimtap::platform {

// What the desktop portal on the session bus offers; a version of 0 is an interface it
// lacks.
struct PortalOffer {
    uint32_t screenCast = 0;
    uint32_t remoteDesktop = 0;
    uint32_t globalShortcuts = 0;
    uint32_t cursorModes = 0;  // AvailableCursorModes: 1 hidden, 2 embedded, 4 metadata
    uint32_t deviceTypes = 0;  // AvailableDeviceTypes: 1 keyboard, 2 pointer, 4 touch
};

// Asks the portal on the session bus what it offers (which may start it); nullopt when
// no session bus answers, all versions 0 when no portal does.
std::optional<PortalOffer> AskPortalOffer();

// For --version: "ScreenCast 4, RemoteDesktop 1, GlobalShortcuts none".
std::string PortalOfferText(const PortalOffer& offer);

}  // namespace glimtap::platform
