#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/portal/cast_streams.h"
#include "platform/portal/sd_bus_handles.h"

namespace glimtap::platform {

// The devices a remote-desktop session may drive, as the portal numbers them.
inline constexpr uint32_t kPortalPointer = 2;
inline constexpr uint32_t kPortalTouch = 4;

// What a session's Start answered.
struct StartResults {
    std::vector<CastStream> streams;
    uint32_t devices = 0;      // kPortalPointer | kPortalTouch | the keyboard's 1
    std::string restoreToken;  // "" when none came
};

// Reads the a{sv} at `results`; false when it cannot be read.
bool ReadStartResults(sd_bus_message* results, StartResults& into);
// Reads the session_handle of CreateSession's results; "" when there is none.
std::string ReadSessionHandle(sd_bus_message* results);

}  // namespace glimtap::platform
