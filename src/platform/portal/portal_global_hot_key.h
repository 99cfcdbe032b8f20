#pragma once

#include <systemd/sd-bus.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/global_hot_key.h"
#include "platform/unique_fd.h"

namespace glimtap::platform {

// The "Start/Stop search" shortcut of the desktop portal's GlobalShortcuts: the desktop
// decides its key (the preferred one is F6) and may ask its user first. A session bus
// connection and a thread of its own serve it; the shortcut lives as long as this object.
class PortalGlobalHotKey : public GlobalHotKey {
public:
    // Null when the session bus offers no GlobalShortcuts.
    static std::unique_ptr<PortalGlobalHotKey> Open();
    ~PortalGlobalHotKey() override;
    PortalGlobalHotKey(const PortalGlobalHotKey&) = delete;
    PortalGlobalHotKey& operator=(const PortalGlobalHotKey&) = delete;

    std::string GrabFirstFree() override;
    void OnPressed(Pressed pressed) override;
    bool DesktopDecides() const override { return true; }
    void OnBound(Bound bound) override;

private:
    struct UnrefBus {
        void operator()(sd_bus* bus) const noexcept { sd_bus_flush_close_unref(bus); }
    };
    struct UnrefSlot {
        void operator()(sd_bus_slot* slot) const noexcept { sd_bus_slot_unref(slot); }
    };
    using BusPtr = std::unique_ptr<sd_bus, UnrefBus>;
    using SlotPtr = std::unique_ptr<sd_bus_slot, UnrefSlot>;

    explicit PortalGlobalHotKey(BusPtr bus);

    // What follows runs on the serving thread alone.
    void Serve();
    bool Start();  // false when the bus cannot be used
    // Sends the call of a portal's method, whose request's Response goes to `answered`.
    bool Ask(sd_bus_message* call, const std::string& token, sd_bus_message_handler_t answered);
    static int SessionCreated(sd_bus_message* message, void* self, sd_bus_error* error);
    static int ShortcutsBound(sd_bus_message* message, void* self, sd_bus_error* error);
    static int Activated(sd_bus_message* message, void* self, sd_bus_error* error);
    static int ShortcutsChanged(sd_bus_message* message, void* self, sd_bus_error* error);
    void Tell(const std::string& key);
    void CloseSession();

    BusPtr bus_;
    UniqueFd wake_;      // an eventfd: the serving thread looks at what is asked of it
    std::string session_;
    SlotPtr response_;   // the pending request's Response
    SlotPtr activated_;
    SlotPtr changed_;

    std::mutex mutex_;  // guards what follows, shared with the serving thread
    bool asked_ = false;
    bool stopping_ = false;
    std::optional<std::string> key_;
    Pressed pressed_;
    Bound bound_;
    std::thread server_;  // last: it uses every member above
};

}  // namespace glimtap::platform
