#include "platform/portal/portal_offer.h"

#include "platform/portal/portal_request.h"
#include "platform/portal/sd_bus_handles.h"

namespace glimtap::platform {
namespace {

uint32_t PortalProperty(sd_bus* bus, const char* interface, const char* name) {
    BusError error;
    uint32_t value = 0;
    if (sd_bus_get_property_trivial(bus, kPortalService, kPortalPath, interface, name, error.get(),
                                    'u', &value) < 0) {
        return 0;
    }
    return value;
}

std::string VersionText(const char* name, uint32_t version) {
    return std::string(name) + " " + (version == 0 ? "none" : std::to_string(version));
}

}  // namespace

std::optional<PortalOffer> AskPortalOffer() {
    sd_bus* raw = nullptr;
    if (sd_bus_open_user(&raw) < 0) return std::nullopt;
    const BusHandle bus(raw);
    // A portal that hangs while it starts must not hold the program's start for long.
    sd_bus_set_method_call_timeout(raw, 5'000'000);
    PortalOffer offer;
    offer.screenCast = PortalProperty(raw, "org.freedesktop.portal.ScreenCast", "version");
    if (offer.screenCast == 0) return offer;
    offer.cursorModes =
        PortalProperty(raw, "org.freedesktop.portal.ScreenCast", "AvailableCursorModes");
    offer.remoteDesktop = PortalProperty(raw, "org.freedesktop.portal.RemoteDesktop", "version");
    if (offer.remoteDesktop != 0) {
        offer.deviceTypes =
            PortalProperty(raw, "org.freedesktop.portal.RemoteDesktop", "AvailableDeviceTypes");
    }
    offer.globalShortcuts =
        PortalProperty(raw, "org.freedesktop.portal.GlobalShortcuts", "version");
    return offer;
}

std::string PortalOfferText(const PortalOffer& offer) {
    return VersionText("ScreenCast", offer.screenCast) + ", " +
           VersionText("RemoteDesktop", offer.remoteDesktop) + ", " +
           VersionText("GlobalShortcuts", offer.globalShortcuts);
}

}  // namespace glimtap::platform
