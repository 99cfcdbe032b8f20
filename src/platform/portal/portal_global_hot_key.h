#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/global_hot_key.h"
#include "platform/portal/bus_thread.h"
#include "platform/portal/portal_request.h"

namespace glimtap::platform {

// The "Start/Stop search" shortcut of the desktop portal's GlobalShortcuts: the desktop
// decides its key (F6 preferred) and may ask its user first. A session bus connection of its
// own serves it; the shortcut lives as long as this object.
class PortalGlobalHotKey : public GlobalHotKey {
public:
    // For a portal that offers GlobalShortcuts; null when no session bus answers.
    static std::unique_ptr<PortalGlobalHotKey> Open();
    ~PortalGlobalHotKey() override;
    PortalGlobalHotKey(const PortalGlobalHotKey&) = delete;
    PortalGlobalHotKey& operator=(const PortalGlobalHotKey&) = delete;

    std::string GrabFirstFree() override;
    void OnPressed(Pressed pressed) override;
    bool DesktopDecides() const override { return true; }
    void OnBound(Bound bound) override;

private:
    PortalGlobalHotKey();

    // What follows runs on the bus thread.
    void CreateSession();
    void SessionCreated(uint32_t response, sd_bus_message* results);
    void Bind();
    static int Activated(sd_bus_message* message, void* self, sd_bus_error* error);
    static int ShortcutsChanged(sd_bus_message* message, void* self, sd_bus_error* error);
    static int SessionClosed(sd_bus_message* message, void* self, sd_bus_error* error);
    void Tell(const std::string& key);

    std::string session_;  // "" until the portal has made it
    std::unique_ptr<PortalRequest> request_;
    SlotHandle activated_;
    SlotHandle changed_;
    SlotHandle closed_;

    std::mutex mutex_;  // guards what follows, shared with the bus thread
    bool asked_ = false;
    std::optional<std::string> key_;  // the desktop's last answer
    Pressed pressed_;
    Bound bound_;
    std::unique_ptr<BusThread> bus_;  // last: its thread uses every member above
};

}  // namespace glimtap::platform
