#pragma once

#include <systemd/sd-bus.h>

#include <memory>

// Owning handles of sd-bus objects, so that every bus, message and slot goes with its owner.
namespace glimtap::platform {

struct SdBusClose {
    void operator()(sd_bus* bus) const noexcept { sd_bus_flush_close_unref(bus); }
};
struct SdBusMessageUnref {
    void operator()(sd_bus_message* message) const noexcept { sd_bus_message_unref(message); }
};
struct SdBusSlotUnref {
    void operator()(sd_bus_slot* slot) const noexcept { sd_bus_slot_unref(slot); }
};

using BusHandle = std::unique_ptr<sd_bus, SdBusClose>;
using MessageHandle = std::unique_ptr<sd_bus_message, SdBusMessageUnref>;
// Unreferencing a slot ends its match or its pending call.
using SlotHandle = std::unique_ptr<sd_bus_slot, SdBusSlotUnref>;

// An sd_bus_error that frees what it holds.
class BusError {
public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&error_); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;

    sd_bus_error* get() { return &error_; }
    bool IsSet() const { return sd_bus_error_is_set(&error_) != 0; }
    const char* Message() const { return error_.message != nullptr ? error_.message : error_.name; }

private:
    sd_bus_error error_ = SD_BUS_ERROR_NULL;
};

}  // namespace glimtap::platform
